#!/usr/bin/env python3
"""Turns the message catalogue (po/*.po) into the C++ table the library renders
from: one entry per message identifier, with its text in each language.

usage: generate_catalogue.py OUTPUT en.po ja.po

A message missing from a language gets an empty text there; the catalogue test
reports it, so the build never hides a gap."""
import sys


def unquote(token):
    body = token.strip()[1:-1]
    out, i = [], 0
    while i < len(body):
        if body[i] == '\\':
            nxt = body[i + 1]
            out.append({'n': '\n', 't': '\t', '"': '"', '\\': '\\'}[nxt])
            i += 2
        else:
            out.append(body[i])
            i += 1
    return ''.join(out)


def read_po(path):
    """{msgctxt: msgstr} of every entry that has a context."""
    entries, current, field = {}, {}, None
    with open(path, encoding='utf-8') as po:
        for line in list(po) + ['']:
            line = line.strip()
            if not line or line.startswith('#'):
                if 'msgctxt' in current:
                    entries[current['msgctxt']] = current.get('msgstr', '')
                if not line:
                    current, field = {}, None
                continue
            if line.startswith('"'):
                current[field] += unquote(line)
                continue
            field, _, rest = line.partition(' ')
            current[field] = unquote(rest)
    return entries


def cxx_string(text):
    """A C++ literal of the UTF-8 bytes; octal escapes never swallow what follows."""
    out = ['"']
    for byte in text.encode('utf-8'):
        char = chr(byte)
        if char in '"\\':
            out.append('\\' + char)
        elif 0x20 <= byte < 0x7F and char != '?':  # '?' could start a trigraph
            out.append(char)
        else:
            out.append('\\%03o' % byte)
    out.append('"')
    return ''.join(out)


def main(output, *po_files):
    languages = [read_po(path) for path in po_files]
    keys = list(languages[0])
    for other in languages[1:]:
        keys += [key for key in other if key not in keys]
    # The page's own words go to its JavaScript table (generate_page_strings.py).
    keys = [key for key in keys if not key.startswith(('page.', 'gloss.'))]
    rows = ['    {%s, %s},\n' % (cxx_string(key),
                                 ', '.join(cxx_string(texts.get(key, '')) for texts in languages))
            for key in keys]
    text = '// Generated from %s; edit those instead.\n' % ' and '.join(
        path.rsplit('/', 1)[-1] for path in po_files) + ''.join(rows)
    try:
        with open(output, encoding='utf-8') as old:
            if old.read() == text:
                return
    except OSError:
        pass
    with open(output, 'w', encoding='utf-8') as out:
        out.write(text)


if __name__ == '__main__':
    main(*sys.argv[1:])
