#!/usr/bin/env python3
"""The catalogue test: every message of po/en.po has a text in every other
language, with the same {placeholders}; the Japanese texts keep the style
rules written at the top of po/ja.po that a machine can check; every page
sentence the page's scripts and HTML name exists, and so does every catalogue
key the C++ names (a key built from a stem, "cli.check.warnings" + ".one",
counts by its stem); every identifier has a row in the README's table; and
msgfmt --check accepts each file.

usage: check_catalogue.py PO_DIR WEB_DIR"""
import pathlib
import re
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from po_files import LEFT_OUT_OF_THE_PAGE, read_po  # noqa: E402

PLACEHOLDER = re.compile(r'\{(\w+)\}')
# A catalogue key written in the C++: a finding's or refusal's identifier with
# its form, or a key of one of the catalogue's other families.
CPP_KEY = re.compile(r'"((?:[KE]\d{3}(?:\.[\w-]+)?)|'
                     r'(?:(?:change|cli|encoding|gloss|help|page|quote|result|save|summary)'
                     r'\.[\w.-]+))"')
CPP_DIRS = ('analysis', 'edit', 'messages', 'tools', 'web')
# What the page's WebAssembly is built from.
PAGE_CPP_DIRS = ('analysis', 'edit', 'messages', 'web')

KANA_KANJI = '\u3040-\u30ff\u3400-\u9fff\uf900-\ufaff'
FULL_WIDTH_PUNCTUATION = '「」（）。、：？'
# Texts laid out in columns (tables, usage lines, FILE:LINE: 警告:), where
# half-width brackets and colons and runs of spaces belong.
COLUMNS = re.compile(r'^(help\.|cli\.keys\.header$|cli\.(warning|note|error)$)')
# Placeholders whose text is Japanese in every message that has them.
JAPANESE_ARGUMENTS = {'reason', 'summary', 'no_problems', 'bindings', 'warnings', 'notes',
                      'error', 'message', 'kind', 'changes', 'meaning', 'gloss', 'from',
                      'result'}
JAPANESE_WHAT = {'cli.fix.would', 'cli.fix.fixed'}  # elsewhere {what} names keys
ENDS_IN_A_SENTENCE = {'page.swapAsk'}  # its last {value} is a whole sentence
MUST_END_SENTENCE = re.compile(r'^(K\d|E[1-3]\d|summary\.|save\.)')
FILE_CONTENT = re.compile(r'^(K\d|summary\.)')
ARGUMENTS = re.compile(r'^(E1\d|cli\.arg\.|cli\.code-page-unknown$)')


def japanese_style_problems(entries):
    """The mechanical style rules of po/ja.po's header, one problem per breach."""
    problems = []
    mixed = re.compile(f'[{KANA_KANJI}][A-Za-z0-9]|[A-Za-z0-9][{KANA_KANJI}]')
    spaced = re.compile(f'(?<=\\S) [{FULL_WIDTH_PUNCTUATION}]|[{FULL_WIDTH_PUNCTUATION}] (?=\\S)')
    for key, text in entries.items():
        def problem(rule):
            problems.append(f'{key}: ja: {rule}: {text!r}')
        columns = COLUMNS.match(key)
        if not columns and re.search(r"['\"]", text):
            problem('quotes are 「」')
        if not columns and re.search(r'[():]', text):
            problem('brackets and colons in prose are full-width')
        # A placeholder holding a Japanese sentence may end the text.
        stripped = re.sub(r'\{(\w+)\}$', lambda m: '。' if m[1] in JAPANESE_ARGUMENTS else m[0],
                          text.rstrip())
        if stripped and (MUST_END_SENTENCE.match(key) or '。' in stripped and not columns):
            if not stripped.endswith(('。', '？', '。）')) and key not in ENDS_IN_A_SENTENCE:
                problem('every sentence ends in 。')
        if mixed.search(text):
            problem('a space between Japanese and ASCII')
        literal = text.replace('「; 」', '「;」')  # the "; " that turns a line off
        if spaced.search(literal) or (not columns and '  ' in text):
            problem('no space beside full-width punctuation, and never two')
        japanese = JAPANESE_ARGUMENTS | ({'what'} if key in JAPANESE_WHAT else set())
        if any(f'{{{name}}} ' in text for name in japanese):
            problem('no space after a placeholder that holds Japanese')
        if FILE_CONTENT.match(key) and '指定してください' in text:
            problem('what goes in the file is 書いてください')
        if ARGUMENTS.match(key) and '書いてください' in text:
            problem('arguments are 指定してください')
    return problems


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
    problems += japanese_style_problems(languages.get('ja', {}))
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
        for path in sorted(p for p in (source / folder).rglob('*') if p.suffix in ('.cpp', '.h')):
            if 'tests' in path.relative_to(source).parts:
                continue
            for key in sorted(set(CPP_KEY.findall(path.read_text('utf-8')))):
                where = path.relative_to(source)
                if key not in english and not any(k.startswith(key + '.') for k in english):
                    problems.append(f'{key}: named in {where}, missing from en.po')
                if folder in PAGE_CPP_DIRS and key.startswith(LEFT_OUT_OF_THE_PAGE):
                    problems.append(f'{key}: named in {where}, left out of the page\'s table')
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
