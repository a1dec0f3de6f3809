"""Reading the message catalogue (po/*.po) and writing what is generated from
it, shared by the generators and the catalogue test."""
import sys


# Families of the catalogue the page's WebAssembly leaves out: the command
# line's words (its help, summaries and result meanings, the glosses kiobind
# show gives), and the page's own words, which go to its JavaScript table.
LEFT_OUT_OF_THE_PAGE = ('cli.', 'help.', 'summary.', 'result.', 'gloss.', 'page.')


def unquote(token):
    body = token.strip()[1:-1]
    out, i = [], 0
    while i < len(body):
        if body[i] == '\\':
            out.append({'n': '\n', 't': '\t', '"': '"', '\\': '\\'}[body[i + 1]])
            i += 2
        else:
            out.append(body[i])
            i += 1
    return ''.join(out)


def read_po(path):
    """The file's language and {msgctxt: msgstr}; the header entry gives the language."""
    entries, current, field, language = {}, {}, None, None

    def finish():
        nonlocal language
        if 'msgctxt' in current:
            entries[current['msgctxt']] = current.get('msgstr', '')
        elif current.get('msgid') == '':
            for line in current.get('msgstr', '').split('\n'):
                if line.startswith('Language:'):
                    language = line.split(':', 1)[1].strip()

    with open(path, encoding='utf-8') as po:
        for line in list(po) + ['']:
            line = line.strip()
            if not line:
                finish()
                current, field = {}, None
                continue
            if line.startswith('#'):
                continue
            if line.startswith('"'):
                current[field] += unquote(line)
                continue
            field, _, rest = line.partition(' ')
            current[field] = unquote(rest)
    if language is None:
        sys.exit('%s: no Language: header' % path)
    return language, entries


def generated_header(po_files):
    return '// Generated from %s; edit those instead.\n' % ' and '.join(
        path.rsplit('/', 1)[-1] for path in po_files)


def write_if_changed(output, text):
    """Leaves an unchanged output alone, so that nothing depending on it rebuilds."""
    try:
        with open(output, encoding='utf-8') as old:
            if old.read() == text:
                return
    except OSError:
        pass
    with open(output, 'w', encoding='utf-8') as out:
        out.write(text)
