#!/usr/bin/python3
"""Drives kio-editor.html in headless Chromium as a player would.

usage: editor_test.py PAGE SCREENSHOT_DIR

Opens the page from file://, loads fixtures through the file input, rebinds
keys (WebDriver key presses, and DevTools key events for the keys WebDriver
cannot type), edits pad values, unsets, undoes, fixes, saves to a temporary
download folder and compares the bytes with the expected files. Fails on any
console error and on any request that leaves file:, data: or blob:.
"""
import base64
import json
import pathlib
import re
import shutil
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

HERE = pathlib.Path(__file__).resolve().parent
DATA = HERE / 'data'
SHOTS = None  # where screenshots and, on a failure, the saved bytes go
KIOBIND_TESTS = HERE.parents[1] / 'tools' / 'kiobind' / 'tests'
# Key events as Windows reports them: code, key, virtual-key code.
KEYS = {
    'ControlLeft': ('Control', 0x11), 'AltRight': ('Alt', 0x12),
    'IntlBackslash': ('\\', 0xE2), 'IntlYen': ('\\', 0xDC), 'KanaMode': ('KanaMode', 0x15),
    'KeyF': ('f', 0x46), 'Tab': ('Tab', 0x09), 'Escape': ('Escape', 0x1B),
}


class Editor:
    def __init__(self, page, downloads, language='en-US'):
        self.page_url = pathlib.Path(page).resolve().as_uri()
        self.downloads = downloads
        self.profile = tempfile.mkdtemp(prefix='kio-editor-profile-')
        options = webdriver.ChromeOptions()
        options.binary_location = '/usr/bin/chromium'
        for flag in [f'--lang={language}', '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
                     '--no-first-run', '--disable-background-networking',
                     '--disable-component-update', '--disable-sync',
                     f'--user-data-dir={self.profile}']:
            options.add_argument(flag)
        options.set_capability('goog:loggingPrefs', {'browser': 'ALL', 'performance': 'ALL'})
        options.add_experimental_option('prefs', {
            'download.default_directory': str(downloads), 'download.prompt_for_download': False,
            'intl.accept_languages': language})
        self.driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
        self.driver.execute_cdp_cmd('Browser.setDownloadBehavior',
                                    {'behavior': 'allow', 'downloadPath': str(downloads)})
        self.console = []
        self.requests = []

    def quit(self):
        self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)

    def size(self, width, height):
        self.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {
            'width': width, 'height': height, 'deviceScaleFactor': 1, 'mobile': False})

    def load(self):
        self.driver.get(self.page_url)
        WebDriverWait(self.driver, 20).until(
            lambda d: d.execute_script('return document.body.dataset.ready === "true"'))
        self.collect_logs()

    def collect_logs(self):
        self.console += self.driver.get_log('browser')
        for entry in self.driver.get_log('performance'):
            message = json.loads(entry['message'])['message']
            # Only the page's own requests: the browser's start page makes its own.
            if (message['method'] == 'Network.requestWillBeSent' and
                    message['params'].get('documentURL', '').startswith(self.page_url)):
                self.requests.append(message['params']['request']['url'])

    def find(self, selector):
        return self.driver.find_element(By.CSS_SELECTOR, selector)

    def open(self, path, code_page=None):
        if code_page is not None:
            Select(self.find('[data-test=code-page]')).select_by_value(str(code_page))
        self.find('input[type=file][data-test=open]').send_keys(str(path))
        self.wait_for(lambda: path.name in self.driver.title, f'{path.name} opened')

    def drop(self, path):
        self.driver.execute_script(
            'const bytes = Uint8Array.from(atob(arguments[0]), (c) => c.charCodeAt(0));'
            'const transfer = new DataTransfer();'
            'transfer.items.add(new File([bytes], arguments[1]));'
            'document.body.dispatchEvent(new DragEvent("drop", {dataTransfer: transfer,'
            '  bubbles: true, cancelable: true}));',
            base64.b64encode(path.read_bytes()).decode(), path.name)
        self.wait_for(lambda: path.name in self.driver.title, f'{path.name} dropped')

    def wait_for(self, condition, what, timeout=5):
        try:
            WebDriverWait(self.driver, timeout).until(lambda d: condition())
        except Exception:
            raise AssertionError(f'timed out waiting for: {what}; status: '
                                 f'{self.find("#status").text!r}') from None

    def key_text(self, binding):
        return self.find(f'[data-binding="{binding}"]').text

    def expect_key(self, binding, text):
        self.wait_for(lambda: self.key_text(binding) == text, f'{binding} shows {text!r}')

    def dispatch(self, *codes, kind='rawKeyDown'):
        for code in codes:
            key, virtual = KEYS[code]
            self.driver.execute_cdp_cmd('Input.dispatchKeyEvent', {
                'type': kind, 'code': code, 'key': key, 'windowsVirtualKeyCode': virtual})

    def press(self, code):
        self.dispatch(code)
        self.dispatch(code, kind='keyUp')

    def rebind(self, binding, code):
        self.find(f'[data-binding="{binding}"]').click()
        self.press(code)

    def save(self):
        for old in self.downloads.iterdir():
            old.unlink()
        self.find('[data-test=save]').click()
        target = self.downloads / 'input.ini'
        deadline = time.time() + 10
        while not target.exists() or any(self.downloads.glob('*.crdownload')):
            if time.time() > deadline:
                raise AssertionError('no input.ini downloaded')
            time.sleep(0.1)
        return target.read_bytes()

    def findings(self):
        return [e.text for e in self.driver.find_elements(By.CSS_SELECTOR, '[data-test=finding]')]

    def leaving_is_questioned(self):
        return self.driver.execute_script(
            'const e = new Event("beforeunload", {cancelable: true});'
            'window.dispatchEvent(e); return e.defaultPrevented;')


def expect_same_bytes(actual, expected_path):
    expected = expected_path.read_bytes() if expected_path.exists() else None
    if actual != expected:
        (SHOTS / (expected_path.name + '.saved')).write_bytes(actual)
        raise AssertionError(f'saved bytes differ from {expected_path.name}:\n'
                             f'  saved:    {actual!r}\n  expected: {expected!r}')


def test_rebinding_and_saving(editor):
    editor.load()
    editor.open(DATA / 'bindings.ini')
    # A real key press through WebDriver: its code is ControlLeft.
    editor.find('[data-binding="KB_Run"]').click()
    ActionChains(editor.driver).key_down(Keys.CONTROL).key_up(Keys.CONTROL).perform()
    editor.expect_key('KB_Run', 'lcontrol')
    # AltGr as Windows sends it: a fake ControlLeft, then AltRight at once.
    editor.find('[data-binding="KB_Pose"]').click()
    editor.dispatch('ControlLeft', 'AltRight')
    editor.dispatch('AltRight', 'ControlLeft', kind='keyUp')
    editor.expect_key('KB_Pose', 'rmenu')
    for binding, code, name in [('KB_Map', 'IntlBackslash', 'oem_102'),
                                ('KB_ScrapBook', 'IntlYen', 'yen'),
                                ('KB_Iteminfo', 'KanaMode', 'kana'),
                                ('KB_Cancel', 'Escape', 'escape'),
                                ('KB_Item', 'Tab', 'tab')]:
        editor.rebind(binding, code)
        editor.expect_key(binding, name)
    assert editor.find(f'[data-key="tab"] .actions').text == 'Item'

    pad = editor.find('[data-binding="PAD_Run"] input')
    pad.send_keys(Keys.CONTROL, 'a')
    pad.send_keys('0x1G')
    assert pad.get_attribute('aria-invalid') == 'true', 'a non-hex digit passes as typed'
    pad.send_keys(Keys.BACKSPACE, 'F', Keys.ENTER)
    editor.wait_for(lambda: 'PAD_Run=0x1F' in editor.find('#file-view').text, 'PAD_Run set')

    # Unset a binding, then undo it.
    editor.find('[data-binding="PAD_Item"] input').click()
    editor.find('[data-test=unset]').click()
    editor.wait_for(lambda: '; PAD_Item=0x2' in editor.find('#file-view').text, 'PAD_Item unset')
    editor.find('[data-test=undo]').click()
    editor.wait_for(lambda: '; PAD_Item' not in editor.find('#file-view').text, 'unset undone')
    ActionChains(editor.driver).key_down(Keys.CONTROL).send_keys('y').key_up(Keys.CONTROL).perform()
    editor.wait_for(lambda: '; PAD_Item=0x2' in editor.find('#file-view').text, 'unset redone')

    assert editor.leaving_is_questioned(), 'leaving with unsaved changes is not questioned'
    expect_same_bytes(editor.save(), DATA / 'bindings.expected.ini')
    assert not editor.leaving_is_questioned(), 'leaving after saving is questioned'


def test_fix_all(editor):
    editor.load()
    editor.open(DATA / 'traps.ini')
    assert len(editor.findings()) >= 6, editor.findings()
    editor.find('[data-test=fix-all]').click()
    editor.wait_for(lambda: len(editor.findings()) == 2, 'two findings left after fix all')
    remaining = editor.findings()
    assert any('KB_Jump' in text for text in remaining), remaining
    assert any('PAD_Run' in text for text in remaining), remaining
    expect_same_bytes(editor.save(), DATA / 'traps.expected.ini')
    # Saved as UTF-16 by a text editor: converted to code page 932, then fixed.
    editor.open(DATA / 'utf16.ini', code_page=932)
    editor.find('[data-test=fix-all]').click()
    editor.wait_for(lambda: not editor.findings(), 'no findings left in the UTF-16 file')
    expect_same_bytes(editor.save(), DATA / 'utf16.expected.ini')
    Select(editor.find('[data-test=code-page]')).select_by_value('1252')


def test_code_page_932(editor):
    editor.load()
    Select(editor.find('[data-test=code-page]')).select_by_value('932')
    editor.drop(DATA / 'sjis.ini')
    assert 'キー設定（日本語のコメント）' in editor.find('#file-view').text
    editor.rebind('KB_Evade', 'KeyF')
    editor.expect_key('KB_Evade', 'f')
    expect_same_bytes(editor.save(), DATA / 'sjis.expected.ini')
    # The choice is remembered by the next visit.
    editor.load()
    assert Select(editor.find('[data-test=code-page]')).first_selected_option \
        .get_attribute('value') == '932'
    Select(editor.find('[data-test=code-page]')).select_by_value('1252')


def test_findings_agree_with_check(editor):
    """Every check transcript of kiobind's golden tests, shown by the page."""
    editor.load()
    code_pages = {'shift_jis': 932}
    compared = 0
    for golden in sorted((KIOBIND_TESTS / 'golden').glob('*.txt')):
        fixture = KIOBIND_TESTS / 'data' / f'{golden.stem}.ini'
        if not fixture.exists():
            continue
        Select(editor.find('[data-test=code-page]')).select_by_value(
            str(code_pages.get(golden.stem, 1252)))
        editor.open(fixture)
        text = golden.read_bytes().decode('latin-1')
        if not re.search('^' + re.escape(fixture.name) + r': (no problems|\d+ warning)', text,
                         re.MULTILINE):
            continue  # not a check transcript
        expected = [line for line in text.splitlines()
                    if re.match(re.escape(fixture.name) + r':\d+: ', line)]
        assert editor.findings() == expected, f'{fixture.name}: {editor.findings()} != {expected}'
        compared += 1
    assert compared >= 10, f'only {compared} transcripts compared'


def test_layout(editor):
    shots = SHOTS
    editor.load()
    editor.open(HERE.parents[1] / 'examples' / 'input.ini')
    editor.rebind('KB_Map', 'KeyF')  # f for Pose and Map: flagged in its own colour
    editor.expect_key('KB_Map', 'f')
    assert 'twice' in editor.find('[data-key="f"]').get_attribute('class')
    for width, height in [(1280, 720), (1280, 800)]:
        editor.size(width, height)
        fits = editor.driver.execute_script(
            'const r = (s) => document.querySelector(s).getBoundingClientRect();'
            'return document.documentElement.scrollWidth <= innerWidth &&'
            '  document.documentElement.scrollHeight <= innerHeight &&'
            '  r("#keyboard").bottom <= innerHeight && r("#keyboard").right <= innerWidth &&'
            '  r(".table-scroll").bottom <= innerHeight;')
        assert fits, f'the page does not fit {width}x{height}'
        editor.driver.save_screenshot(str(shots / f'editor-{width}x{height}.png'))
    editor.find('.bindings').screenshot(str(shots / 'table.png'))
    editor.find('#keyboard').screenshot(str(shots / 'keyboard.png'))
    # A key of the picture offers itself; a key name may be picked from the list.
    editor.find('#keyboard [data-key="g"]').click()
    Select(editor.find('#offer-action')).select_by_value('KB_Item')
    editor.find('#offer [type=submit]').click()
    editor.expect_key('KB_Item', 'g')
    editor.find('[data-binding="KB_Run"]').click()
    Select(editor.find('#key-list')).select_by_value('numpadenter')
    editor.find('#pick-key').click()
    editor.expect_key('KB_Run', 'numpadenter')
    Select(editor.find('#layout')).select_by_value('jis109')
    editor.find('#keyboard').screenshot(str(shots / 'keyboard-jis109.png'))
    for name in ['yen', 'kana', 'convert', 'noconvert', 'abnt_c1']:
        editor.find(f'[data-key="{name}"]')


def catalogue_sentences(language):
    """The page's sentences of po/<language>.po, each as a pattern of its whole text."""
    entries, key = {}, None
    for line in (HERE.parents[1] / 'po' / f'{language}.po').read_text('utf-8').splitlines():
        if line.startswith('msgctxt '):
            key = json.loads(line[len('msgctxt '):])
        elif line.startswith('msgstr ') and key and key.startswith('page.'):
            entries[key] = json.loads(line[len('msgstr '):])
    return {key: re.compile(re.sub(r'\\\{\w+\\\}', '.+', re.escape(text)) + '$', re.DOTALL)
            for key, text in entries.items()}


def visible_texts(editor):
    """Every text a player reads outside the file view and the key names: text
    nodes, tooltips, accessible names and placeholders."""
    return editor.driver.execute_script('''
        const texts = [];
        const skip = (node) => node.closest('#file-view, #key-list, [hidden]');
        const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
        for (let node = walker.nextNode(); node; node = walker.nextNode()) {
          if (!skip(node.parentElement) && node.textContent.trim()) texts.push(node.textContent.trim());
        }
        for (const element of document.querySelectorAll('[title], [aria-label], [placeholder]')) {
          if (skip(element)) continue;
          for (const name of ['title', 'aria-label', 'placeholder']) {
            if (element.getAttribute(name)) texts.push(element.getAttribute(name));
          }
        }
        texts.push(document.title);
        return texts;''')


def test_japanese(editor):
    """A browser set to Japanese: Japanese words, code page 932 and the JIS picture."""
    shots = SHOTS
    english = catalogue_sentences('en')
    japanese = catalogue_sentences('ja')
    # A sentence spelt alike in both (Ctrl+S, 932 ...) is not English.
    english = {key: pattern for key, pattern in english.items()
               if pattern.pattern != japanese[key].pattern}

    def no_english(where):
        found = [(text, key) for text in visible_texts(editor)
                 for key, pattern in english.items() if pattern.match(text)]
        assert not found, f'{where}: English on a Japanese page: {found}'

    editor.load()
    assert editor.driver.execute_script('return document.documentElement.lang') == 'ja'
    selected = lambda name: Select(editor.find(f'[data-test={name}]')) \
        .first_selected_option.get_attribute('value')
    assert (selected('code-page'), selected('layout')) == ('932', 'jis109'), \
        'a Japanese browser does not start on code page 932 with the JIS picture'
    no_english('the start')

    # A Shift-JIS file opened under 1252: said once, switched in one click.
    Select(editor.find('[data-test=code-page]')).select_by_value('1252')
    editor.open(DATA / 'sjis.ini')
    editor.wait_for(lambda: editor.find('[data-test=code-page-hint]').is_displayed(),
                    'the Shift-JIS hint')
    editor.find('[data-test=switch-code-page]').click()
    assert selected('code-page') == '932'
    assert 'キー設定（日本語のコメント）' in editor.find('#file-view').text
    assert not editor.find('#ask').is_displayed()
    editor.find('[data-binding="KB_Run"]').click()  # waiting for a key, in Japanese
    no_english('a Shift-JIS file')
    editor.find('[data-test=stop-waiting]').click()
    editor.driver.save_screenshot(str(shots / 'ja-editor-1280x720.png'))
    editor.find('#keyboard').screenshot(str(shots / 'ja-keyboard-jis109.png'))

    # What check finds, in Japanese, on the file full of traps.
    editor.open(DATA / 'traps.ini')
    findings = editor.findings()
    assert findings and all(re.search('[\u3040-\u30ff]', text) for text in findings), findings
    no_english('the findings')
    editor.find('.lower').screenshot(str(shots / 'ja-findings.png'))

    # The switch speaks English again, and is remembered.
    Select(editor.find('[data-test=language]')).select_by_value('en')
    assert editor.driver.execute_script('return document.documentElement.lang') == 'en'
    editor.load()
    assert selected('language') == 'en'


def main():
    global SHOTS
    page, shots = sys.argv[1], pathlib.Path(sys.argv[2])
    SHOTS = shots
    shots.mkdir(parents=True, exist_ok=True)
    downloads = pathlib.Path(tempfile.mkdtemp(prefix='kio-editor-downloads-'))
    editor = Editor(page, downloads)
    failures = 0
    try:
        editor.size(1280, 720)
        tests = [test_rebinding_and_saving, test_fix_all, test_code_page_932,
                 test_findings_agree_with_check, test_layout]
        for test in tests:
            name = test.__name__
            try:
                test(editor)
                print(f'ok   {name}')
            except AssertionError as error:
                failures += 1
                print(f'FAIL {name}: {error}')
                editor.driver.save_screenshot(str(shots / f'failure-{failures}.png'))
            editor.collect_logs()
        editor.collect_logs()
        console, requests = editor.console, editor.requests
        editor.quit()
        # A second browser, its language set to Japanese and nothing remembered.
        editor = Editor(page, downloads, language='ja')
        editor.console, editor.requests = console, requests
        editor.size(1280, 720)
        try:
            test_japanese(editor)
            print('ok   test_japanese')
        except AssertionError as error:
            failures += 1
            print(f'FAIL test_japanese: {error}')
            editor.driver.save_screenshot(str(shots / f'failure-{failures}.png'))
        editor.collect_logs()
    finally:
        editor.quit()
        shutil.rmtree(downloads, ignore_errors=True)

    errors = [entry['message'] for entry in editor.console if entry['level'] == 'SEVERE']
    outside = [url for url in editor.requests if not url.startswith(('file:', 'data:', 'blob:'))]
    for what, found in [('console errors', errors), ('network requests', outside)]:
        if found:
            failures += 1
            print(f'FAIL {what}: {found}')
        else:
            print(f'ok   no {what} ({len(editor.requests)} file/data/blob requests)'
                  if what == 'network requests' else f'ok   no {what}')
    print('browser tests: ' + ('FAILED' if failures else 'passed'))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
