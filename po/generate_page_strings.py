#!/usr/bin/env python3
"""Turns the page's part of the message catalogue (po/*.po, the entries whose
identifier starts with "page." or "gloss.") into the JavaScript table the
editor page shows its words from.

usage: generate_page_strings.py OUTPUT en.po ja.po ...

Each file's "Language:" header names its language in the table."""
import json
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from po_files import generated_header, read_po, write_if_changed  # noqa: E402

PREFIXES = ('page.', 'gloss.')


def main(output, *po_files):
    table = {}
    for path in po_files:
        language, entries = read_po(path)
        table[language] = {key: text for key, text in entries.items()
                           if key.startswith(PREFIXES) and text}
    write_if_changed(output, generated_header(po_files) + 'const kCatalogue = ' +
                     json.dumps(table, ensure_ascii=False, indent=1, sort_keys=True) + ';\n')


if __name__ == '__main__':
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    main(sys.argv[1], *sys.argv[2:])
