#!/usr/bin/env python3
"""Turns the message catalogue (po/*.po) into the C++ table the library renders
from: one entry per message identifier, with its text in each language.

usage: generate_catalogue.py OUTPUT en.po ja.po [--page]

The page's own words go to its JavaScript table (generate_page_strings.py),
never here; with --page, the table is the WebAssembly's, which also leaves out
the command line's words (LEFT_OUT_OF_THE_PAGE).

A message missing from a language gets an empty text there; the catalogue test
reports it, so the build never hides a gap."""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from po_files import LEFT_OUT_OF_THE_PAGE, generated_header, read_po, write_if_changed  # noqa: E402


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


def main(output, *arguments):
    for_page = '--page' in arguments
    po_files = [argument for argument in arguments if argument != '--page']
    left_out = LEFT_OUT_OF_THE_PAGE if for_page else ('page.',)
    languages = [read_po(path)[1] for path in po_files]
    keys = list(languages[0])
    for other in languages[1:]:
        keys += [key for key in other if key not in keys]
    keys = [key for key in keys if not key.startswith(left_out)]
    rows = ['    {%s, %s},\n' % (cxx_string(key),
                                 ', '.join(cxx_string(texts.get(key, '')) for texts in languages))
            for key in keys]
    write_if_changed(output, generated_header(po_files) + ''.join(rows))


if __name__ == '__main__':
    main(*sys.argv[1:])
