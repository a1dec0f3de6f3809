#!/usr/bin/env python3
"""The list of check's identifiers in the players' READMEs, one line each, made
from the catalogue's summary.K... entries so that the READMEs cannot drift from
it. --check fails when a README's list is not what the catalogue makes;
--write puts it right.

usage: readme_identifiers.py --check|--write PO_DIR PACKAGE_DIR"""
import pathlib
import re
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from po_files import read_po  # noqa: E402

READMES = {'en': 'README.txt', 'ja': 'README-ja.txt'}
LIST_LINE = re.compile(r'^  K\d{3}  ')
FINDING = re.compile(r'^K\d{3}\b')


def listing(entries):
    """The lines of the list, in identifier order; a finding without a summary
    is a problem, not a gap."""
    ids = sorted({key.split('.')[0] for key in entries if FINDING.match(key)})
    missing = [i for i in ids if not entries.get('summary.' + i)]
    lines = ['  %s  %s' % (i, entries.get('summary.' + i, '')) for i in ids]
    return lines, missing


def replaced(text, lines):
    """The README with its one run of list lines replaced, or None without one."""
    old = text.split('\n')
    runs = [i for i, line in enumerate(old)
            if LIST_LINE.match(line) and (i == 0 or not LIST_LINE.match(old[i - 1]))]
    if len(runs) != 1:
        return None
    start = end = runs[0]
    while end < len(old) and LIST_LINE.match(old[end]):
        end += 1
    return '\n'.join(old[:start] + lines + old[end:])


def main(mode, po_dir, package_dir):
    problems = []
    for path in sorted(pathlib.Path(po_dir).glob('*.po')):
        language, entries = read_po(str(path))
        if language not in READMES:
            continue
        lines, missing = listing(entries)
        problems += ['%s: %s has no summary.%s' % (path.name, i, i) for i in missing]
        readme = pathlib.Path(package_dir) / READMES[language]
        text = readme.read_text('utf-8')
        new = replaced(text, lines)
        if new is None:
            problems.append('%s: no single list of identifiers ("  K101  ...")' % readme.name)
        elif new != text:
            if mode == '--write':
                readme.write_text(new, 'utf-8')
            else:
                problems.append('%s: the list of identifiers differs from %s; '
                                'run po/readme_identifiers.py --write' % (readme.name, path.name))
    for problem in problems:
        print(problem)
    print('identifiers in the READMEs: ' + ('FAILED' if problems else 'ok'))
    return 1 if problems else 0


if __name__ == '__main__':
    if len(sys.argv) != 4 or sys.argv[1] not in ('--check', '--write'):
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
