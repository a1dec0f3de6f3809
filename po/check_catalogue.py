#!/usr/bin/env python3
"""The catalogue test: every message of po/en.po has a text in every other
language, with the same {placeholders}; every page sentence the page's scripts
and HTML name exists, and so does every catalogue key the C++ names (a key
built from a stem, "cli.check.warnings" + ".one", counts by its stem); every
identifier has a row in the README's table; and
msgfmt --check accepts each file.

usage: check_catalogue.py PO_DIR WEB_DIR"""
import pathlib
import re
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from po_files import read_po  # noqa: E402

PLACEHOLDER = re.compile(r'\{(\w+)\}')
# A catalogue key written in the C++: a finding's or refusal's identifier with
# its form, or one of kiobind's own texts.
CPP_KEY = re.compile(r'"((?:[KE]\d{3}(?:\.[\w-]+)?)|(?:(?:cli|help)\.[\w.-]+))"')
CPP_DIRS = ('analysis', 'edit', 'tools', 'web')


def main(po_dir, web_dir):
    po_dir, web_dir = pathlib.Path(po_dir), pathlib.Path(web_dir)
    problems = []
    files = sorted(po_dir.glob('*.po'))
    languages = {}
    for path in files:
        result = subprocess.run(['msgfmt', '--check', '-o', '/dev/null', str(path)],
                                capture_output=True, text=True)
        if result.returncode != 0:
            problems.append(f'{path.name}: msgfmt --check: {result.stderr.strip()}')
        language, entries = read_po(str(path))
        languages[language] = entries
    english = languages.pop('en')
    for language, entries in languages.items():
        for key, text in english.items():
            other = entries.get(key, '')
            if not other:
                problems.append(f'{key}: no {language} text')
            elif sorted(set(PLACEHOLDER.findall(other))) != sorted(set(PLACEHOLDER.findall(text))):
                problems.append(f'{key}: {language} placeholders {PLACEHOLDER.findall(other)} '
                                f'differ from English {PLACEHOLDER.findall(text)}')
        problems += [f'{key}: only in {language}' for key in entries if key not in english]
    named = set()
    for script in web_dir.glob('*.js'):
        named |= set(re.findall(r"\btext\('(\w+)'", script.read_text('utf-8')))
    named |= set(re.findall(r'data-(?:text|tip|name)="(\w+)"',
                            (web_dir / 'page.html').read_text('utf-8')))
    problems += [f'page.{key}: named by the page, missing from en.po'
                 for key in sorted(named) if f'page.{key}' not in english]
    source = po_dir.parent
    for folder in CPP_DIRS:
        for path in sorted((source / folder).rglob('*.cpp')):
            if 'tests' in path.relative_to(source).parts:
                continue
            for key in sorted(set(CPP_KEY.findall(path.read_text('utf-8')))):
                if key not in english and not any(k.startswith(key + '.') for k in english):
                    problems.append(f'{key}: named in {path.relative_to(source)}, missing from en.po')
    # The README's table of identifiers: a row, or a range "E101–E105", for each.
    rows = set()
    for first, last in re.findall(r'^\| ([KE]\d{3})(?:–([KE]\d{3}))? \|',
                                  (source / 'README.md').read_text('utf-8'), re.MULTILINE):
        rows |= {f'{first[0]}{n}' for n in range(int(first[1:]), int((last or first)[1:]) + 1)}
    for identifier in sorted({key.split('.')[0] for key in english if re.match(r'[KE]\d{3}', key)}):
        if identifier not in rows:
            problems.append(f'{identifier}: no row in the README\'s table of identifiers')
    for problem in problems:
        print(problem)
    print(f'{len(english)} messages in {len(languages) + 1} languages: '
          + ('FAILED' if problems else 'ok'))
    return 1 if problems else 0


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
