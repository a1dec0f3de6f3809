// The binding editor: the file as bytes, its history, the edits, opening and
// saving. Every reading and every edit of the file is done by the C++ (Bridge);
// editor_view.js shows the results and editor_input.js takes the player's keys.
// Every sentence comes from strings.js.
'use strict';

const kFindingsShown = 300;
const kModifierCodes = new Set(['ShiftLeft', 'ShiftRight', 'ControlLeft', 'ControlRight',
                                'AltLeft', 'AltRight', 'MetaLeft', 'MetaRight']);

const $ = (selector) => document.querySelector(selector);

const editor = {
  vocabulary: null,
  keyOfCode: new Map(),   // KeyboardEvent.code -> {value, name}
  codesOfValue: new Map(),
  opened: false,
  fileName: 'input.ini',
  place: {kind: 'copy'},  // where saves go: 'folder', 'file', 'copy' or 'new'
  backupAsked: false,
  savedBytes: new Uint8Array(0),
  bytes: new Uint8Array(0),
  history: createHistory(),
  analysis: null,
  selected: null,         // the binding whose cell was last focused in the table
  waitingFor: null,
  pendingModifier: null,  // a modifier pressed while waiting: bound when released
  swallowKeyUp: null,     // the key that was just bound: its release does nothing
  lastChangedLine: null,  // set while an edit renders, to bring it into view
  // The status line as a sentence to make again when the language changes.
  status: {words: () => '', isError: false},
  question: null,         // the open question: {question, choices}, as ask() takes them
  codePage: 1252,
  layout: 'us104',
  fileView: null,
};

// localStorage may be missing or refuse access (file:// pages, private modes).
const settings = {
  get(name, fallback) {
    try {
      return window.localStorage.getItem('kio-editor.' + name) ?? fallback;
    } catch {
      return fallback;
    }
  },
  put(name, value) {
    try {
      window.localStorage.setItem('kio-editor.' + name, value);
    } catch {
      // Not remembered; the choice still holds for this visit.
    }
  },
};

// Bytes of the file (as a byte string) as the page shows them.
function shownOf(byteString) {
  return Bridge.shown(Bridge.bytesOf(byteString), editor.codePage);
}

function isDirty() {
  return !bytesEqual(editor.bytes, editor.savedBytes);
}

// Shows `message` in the status line: a function that makes the sentence (so
// that it is said again in a language chosen later), or finished words.
function say(message, isError = false) {
  editor.status = {words: typeof message === 'function' ? message : () => message, isError};
  showStatus();
}

function showStatus() {
  const status = $('#status');
  status.textContent = editor.status.words();
  status.classList.toggle('error', editor.status.isError);
}

// A keyboard binding's value as the file writes it: its name, or 0x and its number.
function valueText(value) {
  return Bridge.written(value);
}

// A pad binding's value as the file writes it.
function padText(value) {
  return Bridge.written(value, true);
}

function bindingOf(name) {
  return editor.analysis.bindings.find((binding) => binding.name === name);
}

function actionOf(binding) {
  return binding.replace(/^(KB|PAD)_/, '');
}

// ---- the file and its history ----

function analyse() {
  editor.analysis = Bridge.analyse(editor.bytes, editor.codePage);
  render();
}

function openBytes(bytes, fileName, place, message) {
  stopWaiting();
  editor.opened = true;
  editor.bytes = bytes;
  editor.savedBytes = bytes;
  editor.fileName = fileName || 'input.ini';
  editor.place = place;
  editor.backupAsked = false;
  editor.history.clear();
  hidePrompts();
  const fromStart = $('#start').contains(document.activeElement);
  analyse();
  say(message ?? (() => text('opened', editor.fileName, bytes.length)));
  if (fromStart) {
    $('#bindings [data-binding] > [tabindex="0"]').focus();
  }
  offerCodePage();
}

// Says once, as a file opens, that its bytes read better in the other code
// page, and switches in one click.
function offerCodePage() {
  const hint = codePageHint(editor.bytes, editor.codePage);
  if (hint === null) {
    return;
  }
  ask('code-page-hint', () => text(hint.says), [
    {id: 'switch-code-page', label: () => text(hint.button), act: () => chooseCodePage(hint.switchTo)},
    {id: 'keep-code-page', label: () => text('keepCodePage', editor.codePage), act: () => {}},
  ]);
}

function chooseCodePage(codePage) {
  editor.codePage = codePage;
  $('#code-page').value = String(codePage);
  settings.put('codePage', String(codePage));
  analyse();
}

// Opens what the player chose, asking first when it does not look like text.
function offerBytes(bytes, fileName, place, message) {
  if (isDirty()) {
    ask('discard-ask', () => text('discard'), [
      {id: 'discard-yes', label: () => text('discardYes'), act: () => {
        editor.savedBytes = editor.bytes;
        offerBytes(bytes, fileName, place, message);
      }},
      {id: 'cancel', label: () => text('cancel'), act: () => say(() => text('notOpened', fileName))},
    ]);
    return;
  }
  const reason = notTextReason(bytes);
  if (reason === null) {
    openBytes(bytes, fileName, place, message);
    return;
  }
  say(() => text('notText', fileName, reason), true);
  ask('not-text', () => text('notText', fileName, reason), [
    {id: 'open-anyway', label: () => text('openAnyway'),
     act: () => openBytes(bytes, fileName, place, message)},
    {id: 'cancel', label: () => text('cancel'), act: () => say(() => text('notOpened', fileName))},
  ]);
}

function startNew(bytes, message) {
  offerBytes(bytes, 'input.ini', {kind: 'new'}, message);
}

// The file becomes `bytes`, one step of the history (with `join`, part of the
// last one). Returns the words to add when old steps had to be dropped.
function replaceBytes(bytes, join = false) {
  const dropped = editor.history.record(editor.bytes, bytes, join);
  editor.bytes = bytes;
  analyse();
  return dropped ? () => text('historyDropped', dropped) : null;
}

// Says `words`, and that old steps were dropped when they were.
function sayAfterEdit(words, dropped) {
  say(dropped ? () => sentences(words(), dropped()) : words);
}

// The lines an outcome changed, as the status line tells them.
function changeSummary(outcome) {
  const lines = outcome.changes.map((change) => ({
    line: change.line, added: change.added, after: shownOf(change.after),
    before: change.added ? '' : shownOf(change.before)}));
  return () => lines.map((change) => (change.added
    ? text('added', change.line, change.after)
    : text('changed', change.line, change.after, change.before))).join('; ');
}

// A refusal as the status line's sentence, in the language shown when it is
// said: the library's words start in lower case, as kiobind prints them after
// the file's name.
function refusalWords(outcome) {
  return () => {
    const words = Bridge.words(outcome.refusal[Bridge.languageId()]);
    return words.charAt(0).toUpperCase() + words.slice(1);
  };
}

// Takes an outcome of the editing library: new bytes, or a refusal to show.
// With `join`, the change is part of the last step of the history. Returns
// whether the file changed; `words` say what it did instead of the lines.
function applyOutcome(outcome, binding, {join = false, words = null} = {}) {
  if (outcome.status !== 'ok') {
    say(outcome.refusal.length ? refusalWords(outcome) : () => text('couldNot', binding), true);
    return false;
  }
  const bytes = Bridge.bytesOf(outcome.bytes);
  if (bytesEqual(bytes, editor.bytes)) {
    say(() => text('nothingToChange'));
    return false;
  }
  editor.lastChangedLine = outcome.changes.length ? outcome.changes[0].line : null;
  const dropped = replaceBytes(bytes, join);
  editor.lastChangedLine = null;
  sayAfterEdit(words ?? changeSummary(outcome), dropped);
  return true;
}

function stepHistory(step, done, nothing) {
  if (!editor.opened) {
    say(() => text('noFileYet'));
    return;
  }
  const bytes = step(editor.bytes);
  if (bytes === null) {
    say(() => text(nothing));
    return;
  }
  const before = new Map(editor.analysis.bindings.map((b) => [b.name, `${b.line}:${b.value}`]));
  editor.bytes = bytes;
  hidePrompts();
  analyse();
  // Says which bindings went back, and brings the first into view.
  const changed = editor.analysis.bindings.filter((b) => before.get(b.name) !== `${b.line}:${b.value}`)
    .map((b) => b.name);
  if (changed.length === 0) {
    say(() => text(done));
    return;
  }
  // Focus in the table follows to that row, so the row the next key acts on is
  // the one in view.
  if (document.activeElement?.closest('#bindings')) {
    cellControl(changed[0]).focus();
  } else {
    cellControl(changed[0]).scrollIntoView({block: 'nearest'});
  }
  say(() => text(`${done}Of`, changed));
}

const undo = () => stepHistory(editor.history.undo, 'undone', 'nothingToUndo');
const redo = () => stepHistory(editor.history.redo, 'redone', 'nothingToRedo');

// The shared-key finding that names `binding`, with the other bindings holding its value.
function sharingOf(binding) {
  const shared = sharedValues().find(({names}) => names.includes(binding));
  return shared && {finding: shared.finding,
                    holders: shared.names.filter((name) => name !== binding).map(bindingOf)};
}

// Binds, then offers to give the old value to an action that held the new one.
// `back` is where focus goes once the question is answered.
function bindKey(binding, value, back = document.activeElement) {
  const before = {...bindingOf(binding)};
  if (!applyOutcome(Bridge.set(editor.bytes, binding, value, editor.codePage), binding)) {
    return;
  }
  const sharing = sharingOf(binding);
  const holder = sharing?.holders[0];
  if (!holder || before.line === null || before.value === 0 ||
      before.value === bindingOf(binding).value) {
    return;
  }
  const shown = binding.startsWith('KB_') ? valueText : padText;
  const newValue = shown(bindingOf(binding).value);
  const oldValue = shown(before.value);
  const change = editor.status.words;
  ask('swap', () => text('swapAsk', change(), text('swapText', newValue, holder.name, oldValue)), [
    // The swap joins the binding's step: one undo takes both back.
    {id: 'swap-yes', label: () => text('swap'), act: () => {
      applyOutcome(Bridge.set(editor.bytes, holder.name, oldValue, editor.codePage), holder.name,
                   {join: true, words: () => text('swapped', holder.name, oldValue)});
    }},
    {id: 'swap-no', label: () => text('keepBoth'), act: () => {}},
  ], back);
  $('#ask').dataset.findingId = sharing.finding.id;
}

function unsetBinding(binding) {
  if (editor.opened && binding) {
    const outcome = Bridge.unset(editor.bytes, binding, editor.codePage);
    const lines = (outcome.changes || []).map((change) => change.line);
    applyOutcome(outcome, binding, {words: () => text('turnedOff', binding, lines)});
  }
}

function resetAll() {
  const set = editor.analysis.bindings.filter((binding) => binding.line !== null);
  ask('reset-ask', () => text('resetAsk', set.length), [
    {id: 'reset-yes', label: () => text('resetAll'), act: () => {
      let bytes = editor.bytes;
      for (const binding of set) {
        const outcome = Bridge.unset(bytes, binding.name, editor.codePage);
        if (outcome.status !== 'ok') {
          say(refusalWords(outcome), true);
          return;
        }
        bytes = Bridge.bytesOf(outcome.bytes);
      }
      const dropped = bytesEqual(bytes, editor.bytes) ? null : replaceBytes(bytes);
      sayAfterEdit(() => text('resetDone'), dropped);
    }},
    {id: 'cancel', label: () => text('cancel'), act: () => {}},
  ]);
}

function fixAll() {
  const outcome = Bridge.fix(editor.bytes, editor.codePage);
  if (outcome.status !== 'ok') {
    applyOutcome(outcome, editor.fileName);
    return;
  }
  const bytes = Bridge.bytesOf(outcome.bytes);
  const parts = [];
  const converted = outcome.convertedFrom.length !== 0;
  if (converted) {
    // The byte order in the language shown when it is said.
    parts.push(() => text('converted', Bridge.words(outcome.convertedFrom[Bridge.languageId()])));
  }
  if (outcome.changes.length) {
    const summary = changeSummary(outcome);
    parts.push(() => text('fixed', summary()));
  } else if (!converted) {
    parts.push(() => text('fixedNothing'));
  }
  if (outcome.remaining.length) {
    parts.push(() => text('leftToDecide', outcome.remaining.length));
  }
  let dropped = null;
  if (!bytesEqual(bytes, editor.bytes)) {
    editor.lastChangedLine = outcome.changes.length ? outcome.changes[0].line : null;
    dropped = replaceBytes(bytes);
    editor.lastChangedLine = null;
  }
  sayAfterEdit(() => sentences(...parts.map((part) => part())), dropped);
}

async function save() {
  if (!editor.opened) {
    say(() => text('noFileYet'));
    return;
  }
  const place = editor.place;
  if (place.kind === 'file' && !editor.backupAsked) {
    ask('backup-ask', () => text('backupAsk', place.name), [
      {id: 'download-first', label: () => text('downloadFirst'), act: () => {
        download(editor.savedBytes, `${place.name}.bak`);
        editor.backupAsked = true;
        save();
      }},
      {id: 'save-anyway', label: () => text('saveAnyway'), act: () => {
        editor.backupAsked = true;
        save();
      }},
      {id: 'cancel', label: () => text('cancel'), act: () => {}},
    ]);
    return;
  }
  const bytes = editor.bytes;
  try {
    if (place.kind === 'folder' || place.kind === 'file') {
      const result = await saveInPlace(place, bytes, editor.savedBytes);
      say(result.message, !result.saved);
      if (!result.saved) {
        return;
      }
    } else {
      download(bytes, 'input.ini');
      say(() => text(place.kind === 'new' ? 'downloadedNew' : 'downloaded'));
    }
    editor.savedBytes = bytes;
    render();
  } catch (error) {
    say(() => text('notSaved', error.message), true);
  }
}

// ---- prompts: one at a time, at the bottom of the window ----

function hidePrompts() {
  for (const prompt of document.querySelectorAll('.prompt')) {
    prompt.hidden = true;
  }
}

// Asks the player: `question` and each label are functions that make the words,
// said again when the language changes; `choices` are {id, label, act}, the
// last one the way out. Focus goes `back` once answered.
function ask(name, question, choices, back = document.activeElement) {
  stopWaiting();
  hidePrompts();
  const panel = $('#ask');
  panel.dataset.test = name;
  delete panel.dataset.findingId;
  editor.question = {question, choices};
  $('#ask-buttons').replaceChildren(...choices.map((choice) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.dataset.test = choice.id;
    button.addEventListener('click', () => {
      panel.hidden = true;
      if (back && back.isConnected && back !== document.body) {
        back.focus();
      }
      choice.act();
    });
    return button;
  }));
  drawQuestion();
  panel.hidden = false;
  // The way out has focus, so a stray Enter changes nothing.
  $('#ask-buttons').lastElementChild.focus();
}

// The open question's words, in the language shown.
function drawQuestion() {
  if (!editor.question) {
    return;
  }
  $('#ask-text').textContent = editor.question.question();
  editor.question.choices.forEach((choice, index) => {
    $('#ask-buttons').children[index].textContent = choice.label();
  });
}

function wireFiles() {
  $('[data-test=open]').addEventListener('change', async (event) => {
    const [file] = event.target.files;
    if (file) {
      await openFile(file);
    }
    event.target.value = '';
  });
  const startOpen = $('#start-open');
  if (window.showDirectoryPicker) {
    $('#open-folder').hidden = false;
    $('#open-folder').addEventListener('click', () => openFrom(pickFolder));
    startOpen.dataset.text = 'openFolder';
    startOpen.addEventListener('click', () => openFrom(pickFolder));
  } else {
    startOpen.dataset.text = 'openCopy';
    startOpen.addEventListener('click', () => $('[data-test=open]').click());
  }
  startOpen.textContent = text(startOpen.dataset.text);
  if (window.showOpenFilePicker) {
    $('#open-file').hidden = false;
    $('#open-file').addEventListener('click', () => openFrom(pickFile));
  }
  $('#new-empty').addEventListener('click', () =>
    startNew(new Uint8Array(0), () => text('openedNew')));
  $('#new-example').addEventListener('click', () =>
    startNew(Uint8Array.from(kExampleFileHex.match(/../g) || [], (pair) => parseInt(pair, 16)),
             () => text('openedExample')));
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    $('#drop-hint').hidden = false;
  });
  document.addEventListener('dragleave', (event) => {
    if (!event.relatedTarget) {
      $('#drop-hint').hidden = true;
    }
  });
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    $('#drop-hint').hidden = true;
    const item = [...event.dataTransfer.items].find((i) => i.kind === 'file');
    if (item) {
      openFile(item.getAsFile());
    }
  });
}

function wireEvents() {
  window.addEventListener('keydown', onKeyDown, true);
  window.addEventListener('keyup', onKeyUp, true);
  window.addEventListener('beforeunload', (event) => {
    if (isDirty()) {
      event.preventDefault();
      event.returnValue = '';
    }
  });
  wireTable();
  wirePrompts();
  wireFiles();
  $('#save').addEventListener('click', save);
  $('#undo').addEventListener('click', undo);
  $('#redo').addEventListener('click', redo);
  $('#unset').addEventListener('click', () => unsetBinding(editor.selected));
  $('#reset-all').addEventListener('click', resetAll);
  $('#fix-all').addEventListener('click', fixAll);
  $('#code-page').addEventListener('change', (event) => {
    chooseCodePage(Number(event.target.value));
  });
  $('#language').addEventListener('change', (event) => {
    settings.put('language', event.target.value);
    useLanguage(event.target.value);
    labelTable();
    analyse();
    showStatus();
    drawQuestion();
  });
  $('#layout').addEventListener('change', (event) => {
    editor.layout = event.target.value;
    settings.put('layout', editor.layout);
    drawPicture();
    render();
  });
}

function drawPicture() {
  drawKeyboard($('#keyboard'), editor.layout, (code) => editor.keyOfCode.get(code)?.name,
               fileNameOfCode);
}

// Fills in the page's own sentences, named by data-text, data-tip and data-name.
function fillTexts() {
  for (const element of document.querySelectorAll('[data-text]')) {
    element.textContent = text(element.dataset.text);
  }
  for (const element of document.querySelectorAll('[data-tip]')) {
    element.title = text(element.dataset.tip);
  }
  for (const element of document.querySelectorAll('[data-name]')) {
    element.setAttribute('aria-label', text(element.dataset.name));
  }
}

function fillKeyList() {
  const named = editor.vocabulary.keyNames.map((k) => new Option(k.name, k.name));
  // Keys without a name of their own are written as numbers.
  const unnamed = editor.vocabulary.browserKeys
    .filter((key) => key.name === null && KeyboardLayouts.us104.some((k) => k.code === key.code))
    .map((key) => new Option(keyShown(key.value), valueText(key.value)));
  $('#key-list').replaceChildren(...named, ...unnamed);
}

// Speaks `language` from now on: every sentence, the findings and <html lang>.
function useLanguage(language) {
  pageLanguage.current = language;
  document.documentElement.lang = language;
  $('#language').value = language;
  fillTexts();
}

// The code pages to choose from, as the C++ lists them.
function fillCodePages() {
  $('#code-page').replaceChildren(...Bridge.codePages().map((page) => {
    const option = new Option('', String(page.id));
    option.dataset.text = `cp${page.id}`;
    return option;
  }));
}

function startEditor() {
  fillCodePages();
  $('#language').replaceChildren(
    ...Object.entries(kLanguages).map(([tag, name]) => new Option(name, tag)));
  useLanguage(chooseLanguage(settings.get('language', null), navigator.languages));
  const vocabulary = Bridge.vocabulary();
  vocabulary.nameOfValue = new Map(vocabulary.keyNames.map((k) => [k.value, k.name]));
  editor.vocabulary = vocabulary;
  for (const key of vocabulary.browserKeys) {
    editor.keyOfCode.set(key.code, key);
    editor.codesOfValue.set(key.value, [...(editor.codesOfValue.get(key.value) || []), key.code]);
  }

  // Where the player has chosen nothing, the language decides.
  const defaults = languageDefaults(pageLanguage.current);
  const codePage = settings.get('codePage', defaults.codePage);
  editor.codePage = Bridge.codePage(Number(codePage)) ? Number(codePage) : 1252;
  $('#code-page').value = String(editor.codePage);
  const layout = settings.get('layout', defaults.layout);
  editor.layout = KeyboardLayouts[layout] ? layout : 'us104';
  $('#layout').value = editor.layout;
  fillKeyList();

  buildTable();
  editor.fileView = createFileView($('#file-view'));
  // Whether action names fit their keys depends on the picture's size.
  new ResizeObserver(() => editor.analysis && renderKeyboard()).observe($('#keyboard'));
  drawPicture();
  wireEvents();
  analyse();
  say(() => text('noFileYet'));
  document.body.dataset.ready = 'true';
}

var Module = {onRuntimeInitialized: startEditor, encodeUtf16: Bridge.encodeUtf16,
              decodeToUtf8: Bridge.decodeToUtf8};
