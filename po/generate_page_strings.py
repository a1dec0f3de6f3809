#!/usr/bin/env python3
"""Turns the page's part of the message catalogue (po/*.po, the entries whose
identifier starts with "page." or "gloss.") into the JavaScript table the
editor page shows its words from.

usage: generate_page_strings.py OUTPUT en.po ja.po ...

Each file's "Language:" header names its language in the table."""
import json
import sys

PREFIXES = ('page.', 'gloss.')


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


def main(output, *po_files):
    table = {}
    for path in po_files:
        language, entries = read_po(path)
        table[language] = {key: text for key, text in entries.items()
                           if key.startswith(PREFIXES) and text}
    text = ('// Generated from %s; edit those instead.\n' %
            ' and '.join(path.rsplit('/', 1)[-1] for path in po_files) +
            'const kCatalogue = ' + json.dumps(table, ensure_ascii=False, indent=1,
                                               sort_keys=True) + ';\n')
    try:
        with open(output, encoding='utf-8') as old:
            if old.read() == text:
                return
    except OSError:
        pass
    with open(output, 'w', encoding='utf-8') as out:
        out.write(text)


if __name__ == '__main__':
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    main(sys.argv[1], *sys.argv[2:])
