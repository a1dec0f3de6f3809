#!/usr/bin/python3
"""Drives kio-editor.html in headless Chromium as a player would.

usage: editor_test.py PAGE SCREENSHOT_DIR

Opens the page from file://, loads fixtures through the file input, rebinds
keys (WebDriver key presses, and DevTools key events for the keys WebDriver
cannot type), edits pad values, unsets, undoes, fixes, saves to a temporary
download folder and compares the bytes with the expected files. Then one case
for each trap a player met: no file open, the selection, emptied pad fields,
shared keys, the keyboard alone (one table of key steps), accessible names and
axe-core, screen sizes, keycaps, files that are not text, a 5 MB file (its edit
times are printed, never asserted), saving in place through stand-in handles,
and the smaller things. Fails on any console error and on any request that
leaves file:, data: or blob:.

KIO_EDITOR_TESTS=name,name runs only those cases.
"""
import base64
import json
import os
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
    'BracketLeft': ('[', 0xDB),
}
EXAMPLE = HERE.parents[1] / 'examples' / 'input.ini'
# The accessibility checker scripts/setup installs for the tests.
AXE = pathlib.Path(os.environ.get('KIO_CACHE') or
                   pathlib.Path(os.environ.get('XDG_CACHE_HOME') or pathlib.Path.home() / '.cache')
                   / 'kio') / 'npm' / 'node_modules' / 'axe-core' / 'axe.min.js'


class Editor:
    def __init__(self, page, downloads, language='en-US'):
        self.page_url = pathlib.Path(page).resolve().as_uri()
        self.downloads = downloads
        self.profile = tempfile.mkdtemp(prefix='kio-editor-profile-')
        options = webdriver.ChromeOptions()
        options.binary_location = '/usr/bin/chromium'
        for flag in [f'--lang={language}', '--headless', '--no-sandbox', '--disable-gpu',
                     '--disable-quic', '--no-first-run', '--disable-background-networking',
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
        # The file is read asynchronously: unsaved changes are questioned only then.
        self.wait_for(lambda: (self.shown('[data-test=discard-ask]')
                               or path.name in self.driver.title),
                      f'{path.name} read', timeout=30)
        if self.shown('[data-test=discard-ask]'):
            self.find('[data-test=discard-yes]').click()
        self.wait_for(lambda: path.name in self.driver.title, f'{path.name} opened', timeout=30)

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
            WebDriverWait(self.driver, timeout, poll_frequency=0.05).until(lambda d: condition())
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

    def js(self, script, *arguments):
        return self.driver.execute_script(script, *arguments)

    def keys(self, *keys):
        """Key presses to whatever has focus; a tuple is a chord."""
        chain = ActionChains(self.driver)
        for key in keys:
            if isinstance(key, tuple):
                modifier, key = key
                chain.key_down(modifier).send_keys(key).key_up(modifier)
            else:
                chain.send_keys(key)
        chain.perform()

    def focused(self):
        """What has focus: a cell's binding, else its id or data-test."""
        return self.js('const e = document.activeElement;'
                       'const cell = e.closest("[data-binding]");'
                       'return cell ? cell.dataset.binding : e.id || e.dataset.test || e.tagName;')

    def shown(self, selector):
        found = self.driver.find_elements(By.CSS_SELECTOR, selector)
        return bool(found) and found[0].is_displayed()

    def status(self):
        return self.find('#status').text

    def file_text(self):
        return self.find('#file-view').text

    def start_new(self, which='new-empty'):
        self.find(f'[data-test={which}]').click()
        self.wait_for(lambda: 'input.ini' in self.driver.title, 'a new file')

    def downloaded(self, name='input.ini'):
        target = self.downloads / name
        self.wait_for(lambda: target.exists() and not any(self.downloads.glob('*.crdownload')),
                      f'{name} downloaded')
        return target.read_bytes()

    def clear_downloads(self):
        for old in self.downloads.iterdir():
            old.unlink()

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
    assert editor.find('[data-key="tab"] .actions').text == 'Item'

    pad = editor.find('[data-binding="PAD_Run"] input')
    # A number refused says what set says: the hexadecimal meant.
    pad.send_keys(Keys.CONTROL, 'a')
    pad.send_keys('57', Keys.ENTER)
    editor.wait_for(lambda: '0x39' in editor.status(), 'the refusal names 0x39')
    pad.send_keys(Keys.CONTROL, 'a')
    pad.send_keys('0x1G')
    assert pad.get_attribute('aria-invalid') == 'true', 'a non-hex digit passes as typed'
    pad.send_keys(Keys.BACKSPACE, 'F', Keys.ENTER)
    editor.wait_for(lambda: 'PAD_Run=0x1F' in editor.find('#file-view').text, 'PAD_Run set')
    # Enter commits once: the status tells what changed, not "Nothing to change."
    assert 'PAD_Run=0x1F' in editor.status(), editor.status()

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
    editor.wait_for(lambda: len(editor.findings()) == 3, 'three findings left after fix all')
    remaining = editor.findings()
    assert any('KB_Item shares space with KB_Run' in text for text in remaining), remaining
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
    # The C++ trail bytes are the browser's: a byte ends some character after a
    # lead byte exactly when the C++ counts it as a trail byte.
    wrong = editor.js('''return Bridge.codePages().flatMap((page) => {
        const decoder = new TextDecoder(page.decoder, {fatal: true});
        const isCharacter = (lead, trail) => {
          try {
            return [...decoder.decode(Uint8Array.of(lead, trail))].length === 1;
          } catch {
            return false;
          }
        };
        const wrong = [];
        for (let trail = 0; trail < 0x100; ++trail) {
          if (page.leadBytes.some((lead) => isCharacter(lead, trail))
              !== page.trailBytes.includes(trail)) {
            wrong.push(`${page.id}: ${trail}`);
          }
        }
        return wrong;
      });''')
    assert not wrong, wrong
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
        expected = [as_page_says(line) for line in text.splitlines()
                    if re.match(re.escape(fixture.name) + r':\d+: ', line)]
        assert editor.findings() == expected, f'{fixture.name}: {editor.findings()} != {expected}'
        compared += 1
    assert compared >= 10, f'only {compared} transcripts compared'
    # The page hooks each finding on check's own identifier.
    Select(editor.find('[data-test=code-page]')).select_by_value('1252')
    editor.open(KIOBIND_TESTS / 'data' / 'traps.ini')
    shown = [e.get_attribute('data-finding-id')
             for e in editor.driver.find_elements(By.CSS_SELECTOR, '[data-test=finding]')]
    transcript = (KIOBIND_TESTS / 'golden' / 'check_json.txt').read_text()
    document = json.loads(transcript.rsplit('[exit', 1)[0])
    assert shown == [finding['id'] for finding in document['findings']], shown


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


def catalogue(language):
    """Every one-line entry of po/<language>.po: its key and its text."""
    entries, key = {}, None
    for line in (HERE.parents[1] / 'po' / f'{language}.po').read_text('utf-8').splitlines():
        if line.startswith('msgctxt '):
            key = json.loads(line[len('msgctxt '):])
        elif line.startswith('msgstr ') and key:
            entries[key] = json.loads(line[len('msgstr '):])
    return entries


def catalogue_sentences(language):
    """The page's sentences of po/<language>.po, each as a pattern of its whole text."""
    return {key: re.compile(re.sub(r'\\\{\w+\\\}', '.+', re.escape(text)) + '$', re.DOTALL)
            for key, text in catalogue(language).items() if key.startswith('page.')}


def page_sentence(key, *values, language='en'):
    """A page sentence as the page fills it: the values in the order of its {names}."""
    names = []
    words = catalogue(language)[f'page.{key}']
    for name in re.findall(r'\{(\w+)\}', words):
        names += [name] if name not in names else []
    return re.sub(r'\{(\w+)\}', lambda m: str(values[names.index(m.group(1))]), words)


def as_page_says(transcript_line):
    """A line of kiobind's transcript with the page's own words where the page has
    its own variant of the message (a button where kiobind has a command)."""
    entries = catalogue('en')
    for key, text in entries.items():
        if not key.endswith('.page'):
            continue
        seen = set()

        def group(match):
            name = match.group(1)
            if name in seen:
                return f'(?P={name})'
            seen.add(name)
            return f'(?P<{name}>.+?)'
        pattern = re.sub(r'\\\{(\w+)\\\}', group, re.escape(entries[key[:-len('.page')]]))
        found = re.match(r'(.*?: (?:warning|note): )' + pattern + '$', transcript_line)
        if found:
            return found.group(1) + re.sub(r'\{(\w+)\}', lambda m: found.group(m.group(1)), text)
    return transcript_line


def visible_texts(editor):
    """Every text a player reads outside the file view and the key names: text
    nodes, tooltips, accessible names and placeholders."""
    return editor.driver.execute_script('''
        const texts = [];
        const skip = (node) => node.closest('script, style, #file-view, #key-list, [hidden]');
        const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
        for (let node = walker.nextNode(); node; node = walker.nextNode()) {
          if (!skip(node.parentElement) && node.textContent.trim())
            texts.push(node.textContent.trim());
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

    # Action names are the game's own (Action, Cancel): never translated.
    def no_english(where):
        names = set(editor.driver.execute_script('return editor.vocabulary.actions'))
        found = [(text, key) for text in visible_texts(editor) if text not in names
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
    # A Japanese font is wider: no action's name breaks in the middle.
    for width, height in [(390, 844), (1280, 720)]:
        editor.size(width, height)
        broken = editor.js('''return [...document.querySelectorAll('tbody th')].filter(th => {
            const name = document.createRange(); name.selectNodeContents(th.firstChild);
            return name.getClientRects().length > 1; }).map(th => th.firstChild.data)''')
        assert not broken, f'{width}x{height}: action names broken across lines: {broken}'
    editor.driver.save_screenshot(str(shots / 'ja-editor-1280x720.png'))
    editor.find('#keyboard').screenshot(str(shots / 'ja-keyboard-jis109.png'))

    # A finding quotes the file's own text as the reader sees it, not as escapes.
    quoting = SHOTS / 'sjis_value.ini'
    quoting.write_bytes('KB_Run=Ｌシフト\r\n'.encode('cp932'))
    editor.open(quoting, code_page=932)
    assert any('「Ｌシフト」' in text for text in editor.findings()), editor.findings()

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


# ---- what a player can trust: one case per finding of the editor review ----

def test_no_file_open(editor):
    """Nothing binds or saves before a file is open; a new file is a choice."""
    editor.load()
    assert editor.shown('[data-test=start]') and editor.shown('[data-test=start-open]')
    findings = editor.find('#findings').text
    assert findings == page_sentence('noFileYet'), f'with no file open: {findings}'
    editor.js('document.querySelector(\'[data-binding="KB_Run"] button\').click()')
    editor.dispatch('ControlLeft')
    editor.dispatch('ControlLeft', kind='keyUp')
    assert editor.key_text('KB_Run') == 'default', 'a key was bound with no file open'
    assert not editor.find('[data-test=save]').is_enabled(), 'Save works with no file open'
    editor.start_new('new-empty')
    editor.rebind('KB_Run', 'KeyF')
    editor.expect_key('KB_Run', 'f')
    editor.clear_downloads()
    editor.find('[data-test=save]').click()
    assert editor.downloaded() == b'KB_Run=f\r\n'
    assert 'in place of the old one' not in editor.status(), editor.status()
    editor.load()
    editor.start_new('new-example')
    assert editor.key_text('KB_Cancel') == 'escape', 'the example is not the new file'


def test_actions_act_on_the_selection(editor):
    editor.load()
    editor.open(DATA / 'bindings.ini')
    assert not editor.find('[data-test=unset]').is_enabled(), 'Unset with nothing selected'
    editor.js('document.querySelector(\'[data-binding="KB_Evade"] button\').focus()')
    for _ in range(40):
        if editor.focused() == 'unset':
            break
        editor.keys((Keys.SHIFT, Keys.TAB))
    assert 'KB_Evade' in editor.find('[data-test=unset]').text, 'Unset does not name Evade'
    editor.keys(Keys.ENTER)
    editor.expect_key('KB_Evade', 'default')
    assert editor.key_text('KB_MoveForward') == 'w', 'Unset turned off another binding'


def test_clearing_a_pad_field(editor):
    editor.load()
    editor.open(DATA / 'bindings.ini')
    pad = editor.find('[data-binding="PAD_Item"] input')
    pad.click()
    editor.keys((Keys.CONTROL, 'a'), Keys.DELETE, Keys.TAB)
    editor.wait_for(lambda: '; PAD_Item=0x2' in editor.file_text(), 'clearing PAD_Item unsets it')
    assert pad.get_attribute('value') == ''
    run = editor.find('[data-binding="PAD_Run"] input')
    run.click()
    editor.keys((Keys.CONTROL, 'a'), 'zz', Keys.TAB)
    editor.wait_for(lambda: run.get_attribute('value') == '0x4', 'a bad pad value is put back')
    assert 'PAD_Run' in editor.status(), editor.status()
    editor.find('[data-test=undo]').click()
    editor.wait_for(lambda: pad.get_attribute('value') == '0x2', 'clearing is undone')
    # A pad field takes what kiobind set takes: a key name too.
    run.click()
    editor.keys((Keys.CONTROL, 'a'), 'Space', Keys.TAB)
    editor.wait_for(lambda: 'PAD_Run=space' in editor.file_text(), 'a key name sets PAD_Run')


def shared_findings(editor):
    """The shared-key findings the page lists: (id, text) of each."""
    return [(e.get_attribute('data-finding-id'), e.text) for e in editor.driver.find_elements(
        By.CSS_SELECTOR, '[data-test=finding][data-finding-id^=K50]')]


def test_shared_keys(editor):
    editor.load()
    editor.open(EXAMPLE)
    editor.rebind('KB_Pause', 'Escape')
    editor.expect_key('KB_Pause', 'escape')
    notes = shared_findings(editor)
    assert any(i == 'K501' and 'KB_Cancel' in n and 'KB_Pause' in n for i, n in notes), notes
    for action in ['Cancel', 'Pause']:
        assert 'shared' in editor.find(f'tr[data-action={action}]').get_attribute('class'), action
    assert editor.shown('[data-test=swap]'), f'no swap offered: {editor.status()}'
    assert editor.find('[data-test=swap]').get_attribute('data-finding-id') == 'K501'
    editor.find('[data-test=swap-yes]').click()
    editor.expect_key('KB_Cancel', 'p')
    notes = shared_findings(editor)
    assert not any('KB_Cancel' in n for _, n in notes), notes
    editor.find('[data-test=undo]').click()
    editor.expect_key('KB_Cancel', 'escape')
    assert editor.key_text('KB_Pause') == 'p', 'one undo left the swap half done'
    # The rule's table, as kiobind's unit test runs it through check.
    folder = pathlib.Path(tempfile.mkdtemp(prefix='kio-shared-'))
    try:
        table = json.loads((KIOBIND_TESTS / 'data' / 'shared_keys.json').read_text())
        for number, row in enumerate(table):
            path = folder / f'shared{number}.ini'
            path.write_bytes(row['file'].encode('latin-1'))
            editor.open(path)
            expected = [(key.split('.')[0], f'{path.name}:{line}: {severity}: ', binding, others)
                        for key, severity, line, binding, value, others in row['shared']]
            shown = shared_findings(editor)
            assert len(shown) == len(expected), f'{row["what"]}: {shown} != {row["shared"]}'
            for (shown_id, text), (key, start, binding, others) in zip(shown, expected):
                assert shown_id == key and text.startswith(start) and binding in text \
                    and others in text, f'{row["what"]}: {text} != {row["shared"]}'
    finally:
        shutil.rmtree(folder, ignore_errors=True)


# ---- the page follows through: one undo per step, focus where the player is ----

def test_one_step_one_answer(editor):
    """A swap is one undo step, and the Enter that commits a pad value does not
    also answer the swap question it raises: both judged by the saved file."""
    example = EXAMPLE.read_bytes()
    for how in ['button', 'ctrl+z']:
        editor.load()
        editor.open(EXAMPLE)
        editor.find('[data-binding="KB_Run"]').click()
        editor.keys('w')
        editor.wait_for(lambda: editor.shown('[data-test=swap]'), 'a swap offered')
        editor.find('[data-test=swap-yes]').click()
        editor.expect_key('KB_MoveForward', 'lcontrol')
        if how == 'button':
            editor.find('[data-test=undo]').click()
        else:
            editor.keys((Keys.CONTROL, 'z'))
        editor.expect_key('KB_Run', 'lcontrol')
        assert editor.save() == example, f'swap then one undo by {how} is not the example'
    editor.load()
    editor.open(EXAMPLE)
    editor.find('[data-binding="PAD_Run"] input').click()
    editor.keys((Keys.CONTROL, 'a'), '0x100', Keys.ENTER)
    editor.wait_for(lambda: editor.shown('[data-test=swap]'), 'the swap question stays')
    assert editor.focused() == 'swap-no', editor.focused()
    editor.keys((Keys.SHIFT, Keys.TAB), Keys.ENTER)  # Swap
    editor.wait_for(lambda: editor.focused() == 'PAD_Run', 'focus back on PAD_Run')
    expected = example.replace(b'PAD_Run=0x00000010', b'PAD_Run=0x100') \
                      .replace(b'PAD_MoveForward=0x00000100', b'PAD_MoveForward=0x10')
    assert editor.save() == expected, 'Enter answered the swap question'


def test_focus_follows(editor):
    """By keyboard alone, focus stays where the player works: (keys, where focus
    is after them, what else holds)."""
    editor.load()
    editor.open(EXAMPLE)
    editor.js('document.querySelector("#keyboard .key[tabindex=\'0\']").focus()')  # Esc
    key = lambda: editor.js('return document.activeElement.dataset.code || null')
    status = lambda: editor.status()
    # (keys, what then holds); a string names the control focus starts from.
    steps = [
        # The picture: a free key, then a key another action holds (Keep both).
        ([Keys.ARROW_RIGHT, Keys.ENTER, Keys.ENTER], lambda: key() == 'F1'
         and editor.key_text('KB_MoveForward') == 'f1'),
        ([Keys.ARROW_LEFT, Keys.ENTER, Keys.ENTER], lambda: editor.focused() == 'swap-no'),
        ([Keys.ENTER], lambda: key() == 'Escape' and editor.key_text('KB_MoveForward') == 'escape'
         and editor.key_text('KB_Cancel') == 'escape'),
        # Undo until the history is empty: focus moves on to Redo.
        (['#undo', Keys.ENTER], lambda: editor.focused() == 'undo'
         and editor.key_text('KB_MoveForward') == 'f1'
         and status() == page_sentence('undoneOf', 'KB_MoveForward')),
        ([Keys.ENTER], lambda: editor.focused() == 'redo'
         and editor.key_text('KB_MoveForward') == 'w'),
        # Unset from the toolbar: focus back on the row it turned off.
        (['[data-binding="KB_Item"] button'], lambda: editor.focused() == 'KB_Item'),
        (['#unset', Keys.ENTER], lambda: editor.focused() == 'KB_Item'
         and editor.key_text('KB_Item') == 'default'),
        # Ctrl+Z far down the table: focus goes to the row it changed, in view.
        (['[data-binding="KB_CameraDown"] button', (Keys.CONTROL, 'z')],
         lambda: editor.focused() == 'KB_Item' and editor.key_text('KB_Item') == 'i'),
        # Waiting given up is said.
        (['[data-binding="KB_Run"] button', Keys.ENTER, (Keys.SHIFT, Keys.ESCAPE)],
         lambda: editor.focused() == 'KB_Run'
         and status() == page_sentence('waitCancelled', 'KB_Run')),
    ]
    for number, (keys, holds) in enumerate(steps, 1):
        if keys[0].startswith(('#', '[')):
            editor.js('document.querySelector(arguments[0]).focus()', keys[0])
            keys = keys[1:]
        editor.keys(*keys)
        editor.wait_for(holds, f'focus step {number}: {editor.focused()} {key()}')
    item = editor.find('[data-binding="KB_Item"] button')
    ActionChains(editor.driver).double_click(item).perform()
    editor.wait_for(lambda: status() == page_sentence('waitCancelled', 'KB_Item'),
                    'a double click that cancels says so')


def test_status_speaks_plainly(editor):
    """Unset says what it did, control bytes show escaped everywhere, UTF-16 and
    unknown keys point at the page's own buttons, the status follows the language."""
    editor.load()
    weird = SHOTS / 'control.ini'
    weird.write_bytes(b'; bell \x07 here \x81\r\n'
                      b'KB_Run=f ; esc \x1b\r\nKB_Item=i\r\nKB_Map=hello\r\n')
    editor.open(weird)
    editor.rebind('KB_Run', 'Tab')
    editor.expect_key('KB_Run', 'tab')
    # The ESC was on the line the status tells of; the BEL stays in the file.
    for where, shown, escaped in [('file view', editor.file_text(), '\\x07'),
                                  ('status', editor.status(), '\\x1B')]:
        assert escaped in shown and not re.search('[\x00-\x08\x0b-\x1f]', shown), \
            f'{where}: {shown!r}'
    # A C1 control (0x81 in 1252) shows as the findings show it.
    assert '\\x81' in editor.file_text() and '\ufffd' not in editor.file_text(), editor.file_text()
    assert any('pick a key from the list' in f for f in editor.findings()), editor.findings()
    editor.js('document.querySelector(\'[data-binding="KB_Item"] button\').focus()')
    editor.find('[data-test=unset]').click()
    editor.wait_for(lambda: editor.status() == page_sentence('turnedOff', 'KB_Item', 3),
                    'unset says the binding is off')
    Select(editor.find('[data-test=language]')).select_by_value('ja')
    assert editor.status() == page_sentence('turnedOff', 'KB_Item', 3, language='ja'), \
        editor.status()
    Select(editor.find('[data-test=language]')).select_by_value('en')
    editor.open(DATA / 'utf16.ini', code_page=932)
    assert not editor.shown('[data-test=nul-help]'), 'UTF-16 text sent to a text editor'
    assert all('kiobind' not in f for f in editor.findings()), editor.findings()
    assert any('Fix all converts it' in f for f in editor.findings()), editor.findings()
    editor.rebind('KB_Run', 'Tab')
    editor.wait_for(lambda: editor.status().startswith('The file is saved as UTF-16')
                    and 'Fix all converts it' in editor.status(), 'the UTF-16 refusal')
    # The library's refusal, too, is said again in the language chosen after it.
    Select(editor.find('[data-test=language]')).select_by_value('ja')
    assert 'UTF-16' in editor.status() and re.search('[\u3040-\u30ff]', editor.status()), \
        editor.status()
    Select(editor.find('[data-test=language]')).select_by_value('en')
    Select(editor.find('[data-test=code-page]')).select_by_value('1252')


def test_words_follow_the_language(editor):
    """What stays on screen is said again in the language chosen after it: the
    status after Fix all converts UTF-16, an open question and its buttons, the
    start panel. (setting up, what is read, what it holds in Japanese)."""
    language = lambda tag: Select(editor.find('[data-test=language]')).select_by_value(tag)
    ask = lambda: editor.find('#ask').text

    def fixed_utf16():
        editor.open(DATA / 'utf16.ini', code_page=932)
        editor.find('[data-test=fix-all]').click()

    def swap_asked():
        editor.open(EXAMPLE)
        editor.rebind('KB_MoveForward', 'KeyF')  # f is Pose's
    cases = [
        (fixed_utf16, editor.status, lambda said: 'リトルエンディアン' in said and '。 ' not in said),
        (swap_asked, ask, lambda said: 'KB_Pose' in said and re.search('[\u3040-\u30ff]', said)
         and '）. ' not in said and 'Swap' not in said and 'Keep both' not in said),
        (editor.load, lambda: editor.find('[data-test=start-open]').text,
         lambda said: re.search('[\u3040-\u30ff]', said)),
    ]
    for number, (set_up, read, holds) in enumerate(cases, 1):
        editor.load()
        set_up()
        english = read()
        language('ja')
        japanese = read()
        language('en')
        assert holds(japanese) and re.fullmatch('[ -~’…\n]*', english) \
            and read() == english, f'case {number}: {english!r} then {japanese!r}'
    editor.load()
    Select(editor.find('[data-test=code-page]')).select_by_value('1252')


def test_long_history(editor):
    """A large file undoes to its start; the history keeps changes, not copies."""
    editor.load()
    big = SHOTS / 'history.ini'
    big.write_bytes(b''.join(b'; padding line %06d of a large file\r\n' % n for n in range(120000))
                    + b'KB_Run=x\r\n')
    editor.open(big)
    for number in range(20):
        editor.rebind('KB_Run', ['KeyF', 'Tab'][number % 2])
        editor.expect_key('KB_Run', ['f', 'tab'][number % 2])
    for number in range(20):
        editor.find('[data-test=undo]').click()
    editor.expect_key('KB_Run', 'x')
    assert not editor.find('[data-test=undo]').is_enabled()
    held = editor.js('return editor.history.heldBytes()')
    assert held < 10000, f'the history holds {held} bytes for 20 one-line edits'
    # Past the cap, each step recorded says how many old ones it dropped.
    dropped = editor.js('const h = createHistory(); const a = new Uint8Array(20 << 20);'
                        'const b = new Uint8Array(20 << 20).fill(1);'
                        'return [h.record(a, b), h.record(b, a), h.record(a, b)];')
    assert dropped == [0, 1, 1], dropped


def test_short_names(editor):
    """The picture's short names: one each, unlike each other."""
    editor.load()
    actions = editor.js('return editor.vocabulary.actions')
    short = editor.js('return kActionShortNames')
    assert sorted(short) == sorted(actions), set(short) ^ set(actions)
    assert len(set(short.values())) == len(short), short
    assert all(len(name) <= 5 for name in short.values()), short


def test_keyboard_alone(editor):
    editor.load()
    editor.open(DATA / 'bindings.ini')
    editor.js('document.querySelector(\'[data-binding="KB_Map"] button\').focus()')
    waiting = lambda: editor.shown('[data-test=waiting]')
    # (keys, what then holds)
    steps = [
        ([Keys.ENTER], lambda: waiting() and 'Shift+Tab' in editor.find('#waiting').text),
        ([Keys.TAB], lambda: editor.key_text('KB_Map') == 'tab' and not waiting()),
        ([Keys.ENTER, (Keys.SHIFT, Keys.TAB)],
         lambda: waiting() and editor.focused() == 'key-list'),
        ([Keys.ESCAPE],
         lambda: not waiting() and editor.key_text('KB_Map') == 'tab'
         and editor.focused() == 'KB_Map'),
        ([Keys.ENTER, (Keys.SHIFT, Keys.ESCAPE)],
         lambda: not waiting() and editor.key_text('KB_Map') == 'tab'),
        ([Keys.ENTER, (Keys.SHIFT, Keys.TAB), Keys.HOME, Keys.ENTER],
         lambda: editor.key_text('KB_Map') == editor.js(
             'return document.querySelector("#key-list").options[0].value')),
        ([Keys.ENTER, Keys.ESCAPE], lambda: editor.key_text('KB_Map') == 'escape'),
        ([Keys.ARROW_DOWN, Keys.ARROW_RIGHT], lambda: editor.focused() == 'PAD_Item'),
        # Tab takes the typed value and goes on, as it does from any field.
        ([(Keys.CONTROL, 'a'), '0x7', Keys.TAB], lambda: editor.focused() != 'PAD_Item'
         and editor.js('return document.querySelector(\'[data-binding="PAD_Item"] input\').value')
         == '0x7'),
    ]
    for number, (keys, holds) in enumerate(steps, 1):
        editor.keys(*keys)
        editor.wait_for(holds, f'keyboard step {number}')
    editor.clear_downloads()
    editor.keys((Keys.CONTROL, 's'))
    assert b'KB_Map=escape' in editor.downloaded(), 'Ctrl+S did not save'


def axe_findings(editor):
    """axe-core's findings of moderate impact or worse, where the page stands."""
    assert AXE.exists(), f'{AXE} is missing: run scripts/setup'
    editor.js(AXE.read_text())
    result = editor.driver.execute_async_script(
        'const done = arguments[arguments.length - 1];'
        'axe.run(document).then((r) => done(r.violations.map((v) =>'
        '  [v.impact, v.id, v.nodes.slice(0, 3).map((n) => n.target.join(" "))])));')
    return [v for v in result if v[0] in ('moderate', 'serious', 'critical')]


def test_accessible_names_and_axe(editor):
    editor.load()
    assert not axe_findings(editor), f'before a file is open: {axe_findings(editor)}'
    editor.open(EXAMPLE)
    # A part's name is its title, not its legend's words too.
    names = editor.js('return [...document.querySelectorAll('
                      '"section[aria-labelledby], [role=region]")]'
                      '.map((e) => document.getElementById(e.getAttribute("aria-labelledby")))'
                      '.filter((label) => label.querySelector(".legend"))'
                      '.map((l) => l.textContent)')
    assert not names, names
    label = editor.find('[data-binding="KB_Run"] button').get_attribute('aria-label')
    assert label.endswith(editor.key_text('KB_Run')), f'the Run cell is named {label!r}'
    stops = editor.js('return [...document.querySelectorAll("#keyboard .key")]'
                      '.filter((k) => k.tabIndex === 0).length')
    assert stops == 1, f'{stops} tab stops in the keyboard picture'
    editor.js('document.querySelector("#keyboard .key[tabindex=\'0\']").focus()')
    before = editor.js('return document.activeElement.dataset.code')
    editor.keys(Keys.ARROW_RIGHT)
    assert editor.js('return document.activeElement.dataset.code') != before, 'arrows do not move'
    editor.keys(Keys.ENTER)
    editor.wait_for(lambda: editor.shown('[data-test=offer]'), 'Enter on a key offers it')
    editor.keys(Keys.ESCAPE)
    editor.find('[data-binding="KB_Run"]').click()  # the waiting state is checked too
    found = axe_findings(editor)
    assert not found, found
    editor.keys((Keys.SHIFT, Keys.ESCAPE))


def test_layout_holds(editor):
    """Steady columns that hold the longest key name, a space before each gloss,
    and one column with nothing sideways on a phone."""
    editor.load()
    editor.open(EXAMPLE)
    widths = lambda: editor.js('return [...document.querySelectorAll("#bindings thead th")]'
                               '.map((th) => th.getBoundingClientRect().width)')
    before = widths()
    # A row that grows when selected moves the others under the pointer.
    heights = lambda: editor.js('return [...document.querySelectorAll("#bindings tbody tr")]'
                                '.map((row) => row.getBoundingClientRect().height)')
    editor.js('document.querySelector(\'[data-binding="KB_MoveForward"] button\').focus()')
    first = heights()
    editor.find('[data-binding="KB_Run"]').click()
    assert heights() == first, f'selecting Run moved the rows: {first} -> {heights()}'
    Select(editor.find('#key-list')).select_by_value('numpadenter')
    editor.find('#pick-key').click()
    editor.expect_key('KB_Run', 'numpadenter')
    sideways = editor.js('const box = document.querySelector(".table-scroll");'
                         'const right = box.getBoundingClientRect().left + box.clientWidth;'
                         'return [box.scrollWidth - box.clientWidth,'
                         '  ...[...document.querySelectorAll(".row-shared, .key-cell button")]'
                         '  .map((e) => e.getBoundingClientRect().right - right)'
                         '  .filter((over) => over > 0.5)]')
    assert sideways == [0], f'the table reaches past its box: {sideways}'
    run = editor.find('tr[data-action=Run] th').text
    assert run == 'Run (run)', run
    editor.find('[data-test=reset-all]').click()
    editor.find('[data-test=reset-yes]').click()
    editor.expect_key('KB_Run', 'default')
    assert widths() == before, f'columns moved: {before} -> {widths()}'
    editor.size(390, 844)
    try:
        over = editor.js('const page = document.documentElement;'
                         'return [page.scrollWidth - page.clientWidth,'
                         '  ...[...document.querySelectorAll('
                         '    ".toolbar button:not([hidden]), .toolbar select")]'
                         '  .filter((e) => e.getBoundingClientRect().right > page.clientWidth)'
                         '  .map((e) => e.id)]')
        assert over == [0], f'390x844 scrolls sideways or cuts off: {over}'
        columns = editor.js('return getComputedStyle(document.querySelector(".work"))'
                            '.gridTemplateColumns')
        assert len(columns.split()) == 1, columns
        crowded = SHOTS / 'jis_keys.ini'  # long key names under an action each
        crowded.write_bytes(b'KB_Run=noconvert\r\nKB_Item=abnt_c1\r\nKB_Map=grave\r\n')
        editor.open(crowded)
        for layout in ['jis109', 'us104']:
            Select(editor.find('#layout')).select_by_value(layout)
            small, cut, _ = editor.js(MEASURE)
            assert not small and not cut, f'390x844 {layout}: text too small or cut: {small} {cut}'
        editor.driver.save_screenshot(str(SHOTS / 'editor-390x844.png'))
    finally:
        editor.size(1280, 720)


# Text smaller than 9px, and text cut off by its box.
MEASURE = '''
const small = [], cut = [];
for (const element of document.querySelectorAll('body *')) {
  const own = [...element.childNodes].some((n) => n.nodeType === 3 && n.textContent.trim());
  if (!own || !element.getClientRects().length) continue;
  const style = getComputedStyle(element);
  if (style.visibility === 'hidden' || element.closest('[hidden], option, script, style')) continue;
  if (parseFloat(style.fontSize) < 9) small.push(element.className + ' ' + element.textContent);
  if (style.overflow !== 'visible' && element.tagName !== 'SELECT' &&
      !element.classList.contains('unseen') &&
      !element.classList.contains('file-view') &&
      (element.scrollWidth > element.clientWidth ||
       element.scrollHeight > element.clientHeight + 1 ||
       style.textOverflow === 'ellipsis'))
    cut.push(element.className + ' ' + element.textContent);
}
for (const key of document.querySelectorAll('.key')) {
  if (key.scrollHeight > key.clientHeight + 1 || key.scrollWidth > key.clientWidth + 1)
    cut.push('key ' + key.dataset.code);
  // An action's name squeezed out of its key by the names above it.
  const actions = key.querySelector('.actions');
  if (actions && actions.textContent.trim() && actions.getBoundingClientRect().height < 8)
    cut.push('actions ' + key.dataset.code);
}
const panel = document.querySelector('#waiting').getBoundingClientRect();
const inside = panel.left >= 0 && panel.top >= 0 && panel.right <= innerWidth &&
               panel.bottom <= innerHeight;
return [small.slice(0, 5), cut.slice(0, 5), inside];
'''


def test_screen_sizes(editor):
    editor.load()
    editor.open(EXAMPLE)
    editor.rebind('KB_Map', 'KeyF')  # f for Pose and Map
    editor.wait_for(lambda: editor.key_text('KB_Map') == 'f', 'Map bound to f')
    if editor.shown('[data-test=swap]'):
        editor.find('[data-test=swap-no]').click()
    for layout in ['us104', 'jis109']:
        Select(editor.find('#layout')).select_by_value(layout)
        for width, height in [(800, 600), (1024, 768), (1280, 720), (1920, 1080)]:
            editor.size(width, height)
            editor.js('window.dispatchEvent(new Event("resize"))')
            editor.find('[data-binding="KB_Run"]').click()
            small, cut, inside = editor.js(MEASURE)
            where = f'{layout} {width}x{height}'
            if (width, height) != (1024, 768):
                editor.driver.save_screenshot(str(SHOTS / f'editor-{layout}-{width}x{height}.png'))
            editor.keys((Keys.SHIFT, Keys.ESCAPE))
            assert not small, f'{where}: text under 9px: {small}'
            assert not cut, f'{where}: text cut off: {cut}'
            assert inside, f'{where}: the bind panel leaves the window'
            if width == 1920:
                crowded = editor.js('return document.querySelectorAll(".key.crowded").length')
                assert crowded <= 3, f'{where}: {crowded} keys show initials on a large screen'
    Select(editor.find('#layout')).select_by_value('us104')
    editor.size(1280, 720)


def test_keycaps(editor):
    editor.load()
    editor.open(EXAMPLE)
    Select(editor.find('#layout')).select_by_value('jis109')
    editor.rebind('KB_Map', 'BracketLeft')
    editor.wait_for(lambda: editor.key_text('KB_Map').replace(' ', '') == '[@', 'Map shows [ and @')
    for code, cap, name in [('BracketLeft', '@', '['), ('Quote', ':', "'"), ('Equal', '^', '='),
                            ('IntlRo', 'ろ', 'abnt_c1'), ('Backquote', '半/全', 'grave'),
                            ('CapsLock', '英数', 'capital'), ('Minus', '-', '0xC')]:
        key = editor.find(f'#keyboard [data-code={code}]').text
        assert cap in key and name in key, f'{code} shows {key!r}'
    note = editor.find('[data-test=main-row-note]')
    assert note.is_displayed() and '0xC' in note.text and '0x35' in note.text
    # A name too wide for its key is cut short, never broken inside a word.
    broken = editor.js('''return [...document.querySelectorAll('#keyboard .top > :not(.unseen)')]
        .flatMap(s => [...s.childNodes]).filter(n => { const r = document.createRange();
            r.selectNodeContents(n); return n.nodeType === 3 && !/\\s/.test(n.data)
            && r.getClientRects().length > 1; }).map(n => n.data)''')
    assert not broken, f'names broken inside a word: {broken}'
    # A value the main row's key has no name for: its note wraps inside the cell.
    main_row = SHOTS / 'main_row.ini'
    main_row.write_bytes(b'KB_CameraLeft=0xC\r\nKB_CameraRight=0x35\r\n')
    editor.open(main_row)
    spilled = editor.js('return [...document.querySelectorAll(".key-cell button")]'
                        '.filter((b) => b.scrollWidth > b.clientWidth + 1)'
                        '.map((b) => b.textContent)')
    assert not spilled, f'key cells spill over: {spilled}'
    Select(editor.find('#layout')).select_by_value('us104')


def test_not_a_text_file(editor):
    editor.load()
    controls = SHOTS / 'controls.ini'
    controls.write_bytes(b'KB_Run=space\r\n' + bytes(range(32)) * 4)
    image = SHOTS / 'image.png'
    image.write_bytes(b'\x89PNG\r\n\x1a\n' + bytes(range(256)) * 15)
    # The reason shown is the kind the C++ tells.
    for path, reason in [(controls, 'full of control bytes'), (image, 'a PNG image')]:
        editor.find('input[type=file][data-test=open]').send_keys(str(path))
        editor.wait_for(lambda: editor.shown('[data-test=not-text]'), f'{path.name} is questioned')
        assert reason in editor.find('[data-test=not-text]').text, path.name
        assert path.name not in editor.driver.title, f'{path.name} opened without asking'
        if path == controls:
            editor.find('[data-test=not-text] [data-test=cancel]').click()
    editor.find('[data-test=open-anyway]').click()
    editor.wait_for(lambda: 'image.png' in editor.driver.title, 'the player opens it anyway')


def test_large_file(editor):
    editor.load()
    big = SHOTS / 'large.ini'
    lines = [f'; comment line {n:06} of a large file, no binding here at all: padding padding'
             for n in range(70000)]
    for n, action in enumerate(['MoveForward', 'Run', 'Map', 'Item']):
        lines[n * 17000 + 5] = f'KB_{action}={"wxyz"[n]}'
    big.write_bytes('\r\n'.join(lines).encode() + b'\r\n')
    started = time.perf_counter()
    editor.open(big)
    opened = time.perf_counter() - started
    drawn = editor.js('return document.querySelectorAll("#file-view li").length')
    assert drawn < 300, f'{drawn} of 70001 lines drawn'
    # Each edit timed in the page, from the key press to the next frame drawn.
    times = []
    for number in range(3):
        code = ['KeyF', 'Tab'][number % 2]
        for what, step in [('bind', 'const cell = document.querySelector('
                                    '\'[data-binding="KB_Run"] button\');'
                                    'cell.click(); const t0 = performance.now();'
                                    'cell.dispatchEvent(new KeyboardEvent("keydown", '
                                    f'{{code: "{code}", bubbles: true}}));'),
                           ('undo', 'const t0 = performance.now();'
                                    'document.querySelector("[data-test=undo]").click();')]:
            times.append((what, editor.driver.execute_async_script(
                'const done = arguments[arguments.length - 1];' + step +
                'requestAnimationFrame(() => setTimeout(() => done(performance.now() - t0)));')))
        editor.expect_key('KB_Run', 'x')
    editor.js('const v = document.querySelector("#file-view"); v.scrollTop = v.scrollHeight;')
    editor.wait_for(lambda: 'comment line 069999' in editor.file_text(), 'the last line in view')
    print(f'     {big.stat().st_size} bytes, 70001 lines: open {opened * 1000:.0f} ms; ' +
          ', '.join(f'{what} {milliseconds:.0f} ms' for what, milliseconds in times))


FAKE_FILES = '''
window.fakeFiles = {'input.ini': Uint8Array.from(atob(arguments[0]), (c) => c.charCodeAt(0))};
window.writes = {aborted: 0, fail: false};
const handle = (name) => ({kind: 'file', name,
  async getFile() { return new File([fakeFiles[name]], name); },
  async createWritable() {
    const parts = [];
    return {
      async write(bytes) { if (writes.fail) throw new Error('disk full'); parts.push(bytes); },
      async close() { fakeFiles[name] = new Uint8Array(await new Blob(parts).arrayBuffer()); },
      async abort() { ++writes.aborted; },
    };
  }});
window.showDirectoryPicker = async () => ({kind: 'directory', name: 'game',
  async getFileHandle(name, options) {
    if (!(name in fakeFiles)) {
      if (!options || !options.create) throw new DOMException('missing', 'NotFoundError');
      fakeFiles[name] = new Uint8Array(0);
    }
    return handle(name);
  }});
window.showOpenFilePicker = async () => [handle('input.ini')];
'''
FAKE_TEXT = 'return new TextDecoder().decode(fakeFiles[arguments[0]] || new Uint8Array(0))'


def test_saving_in_place(editor):
    editor.load()
    original = (DATA / 'bindings.ini').read_bytes()
    editor.js(FAKE_FILES, base64.b64encode(original).decode())
    editor.find('[data-test=open-folder]').click()
    editor.wait_for(lambda: 'input.ini' in editor.driver.title, 'the folder opened')
    editor.rebind('KB_Run', 'KeyF')
    editor.expect_key('KB_Run', 'f')
    editor.find('[data-test=save]').click()
    editor.wait_for(lambda: 'KB_Run=f' in editor.js(FAKE_TEXT, 'input.ini'), 'saved in place')
    assert editor.js(FAKE_TEXT, 'input.ini.bak') == original.decode(), 'no input.ini.bak'
    saved = editor.js(FAKE_TEXT, 'input.ini')
    # A write that fails is aborted: the file keeps its old bytes.
    editor.js('writes.fail = true')
    editor.rebind('KB_Run', 'Tab')
    editor.find('[data-test=save]').click()
    editor.wait_for(lambda: editor.js('return writes.aborted') > 0, 'the failed write aborted')
    assert editor.js(FAKE_TEXT, 'input.ini') == saved
    assert 'disk full' in editor.status(), editor.status()
    # Changed by another program meanwhile: refused.
    editor.js('writes.fail = false; fakeFiles["input.ini"] = new Uint8Array([59, 10]);')
    editor.find('[data-test=save]').click()
    editor.wait_for(lambda: 'changed' in editor.status(), 'a file changed on disk is refused')
    assert editor.js(FAKE_TEXT, 'input.ini') == ';\n'
    # Only the file granted: no backup, and the player is offered a download first.
    editor.js(FAKE_FILES, base64.b64encode(original).decode())
    editor.find('[data-test=open-file]').click()
    editor.wait_for(lambda: editor.shown('[data-test=discard-ask]'), 'unsaved changes questioned')
    editor.find('[data-test=discard-yes]').click()
    editor.wait_for(lambda: editor.key_text('KB_Run') == 'lshift', 'the file opened')
    editor.rebind('KB_Run', 'KeyF')
    editor.clear_downloads()
    editor.find('[data-test=save]').click()
    editor.wait_for(lambda: editor.shown('[data-test=backup-ask]'), 'no backup is said')
    editor.find('[data-test=download-first]').click()
    assert editor.downloaded('input.ini.bak') == original
    editor.wait_for(lambda: 'KB_Run=f' in editor.js(FAKE_TEXT, 'input.ini'), 'then saved')


def test_smaller_things(editor):
    editor.load()
    names = [editor.find(s).text for s in ['#open-folder', '#open-file', '#open-copy-label']]
    assert len(set(names)) == 3 and all(names), names
    editor.open(EXAMPLE)
    editor.find('[data-test=reset-all]').click()
    assert editor.shown('[data-test=reset-ask]'), 'Reset all does not ask'
    assert editor.key_text('KB_Run') != 'default', 'Reset all did not wait for an answer'
    editor.find('[data-test=reset-yes]').click()
    editor.expect_key('KB_Run', 'default')
    editor.open(KIOBIND_TESTS / 'data' / 'nul_byte.ini')
    assert editor.shown('[data-test=nul-help]'), 'a NUL byte with no way out'
    assert '\\x00' in editor.file_text(), editor.file_text()
    editor.open(KIOBIND_TESTS / 'data' / 'not_a_key.ini')
    assert editor.key_text('KB_Run') != '0x0', 'a broken value shows as 0x0'
    editor.open(DATA / 'utf16.ini', code_page=932)
    editor.find('[data-test=fix-all]').click()
    editor.wait_for(lambda: 'UTF-16' in editor.status(), 'fixed')
    assert not re.search(r'\. [a-z]', editor.status()), editor.status()
    Select(editor.find('[data-test=code-page]')).select_by_value('1252')


def main():
    global SHOTS
    page, shots = sys.argv[1], pathlib.Path(sys.argv[2])
    SHOTS = shots.resolve()
    shots.mkdir(parents=True, exist_ok=True)
    downloads = pathlib.Path(tempfile.mkdtemp(prefix='kio-editor-downloads-'))
    editor = Editor(page, downloads)
    failures = 0
    try:
        editor.size(1280, 720)
        tests = [test_rebinding_and_saving, test_fix_all, test_code_page_932,
                 test_findings_agree_with_check, test_layout,
                 test_no_file_open, test_actions_act_on_the_selection, test_clearing_a_pad_field,
                 test_shared_keys, test_one_step_one_answer, test_focus_follows, test_layout_holds,
                 test_status_speaks_plainly, test_words_follow_the_language, test_long_history,
                 test_short_names,
                 test_keyboard_alone, test_accessible_names_and_axe,
                 test_screen_sizes, test_keycaps, test_not_a_text_file, test_large_file,
                 test_saving_in_place, test_smaller_things]
        only = os.environ.get('KIO_EDITOR_TESTS')
        tests = [t for t in tests if not only or t.__name__ in only.split(',')]
        for test in tests:
            name = test.__name__
            try:
                test(editor)
                print(f'ok   {name}')
            except Exception as error:  # a missing element fails the case, not the run
                failures += 1
                message = str(error) if isinstance(error, AssertionError) else \
                    f'{type(error).__name__}: {str(error).splitlines()[0] if str(error) else ""}'
                print(f'FAIL {name}: {message}')
                if os.environ.get('KIO_EDITOR_TRACE'):
                    import traceback
                    traceback.print_exc()
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
            if not only or 'test_japanese' in only.split(','):
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
