// The binding editor: the file as bytes, its history, the table, the keyboard
// picture and the player's keys. Every reading and every edit of the file is
// done by the C++ (Bridge); this file only shows the results. Every sentence
// comes from strings.js.
'use strict';

// The undo history keeps at most this many steps and this many bytes.
const kHistoryLimit = 200;
const kHistoryBytes = 64 << 20;
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
  undoStack: [],
  redoStack: [],
  analysis: null,
  selected: null,         // the binding whose cell was last focused in the table
  waitingFor: null,
  pendingModifier: null,  // a modifier pressed while waiting: bound when released
  swallowKeyUp: null,     // the key that was just bound: its release does nothing
  lastChangedLine: null,  // set while an edit renders, to bring it into view
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

function decodeBytes(byteString) {
  const decoder = new TextDecoder(kDecoderLabels[editor.codePage] || 'windows-1252');
  return decoder.decode(Bridge.bytesOf(byteString));
}

function isDirty() {
  return !bytesEqual(editor.bytes, editor.savedBytes);
}

function say(message, isError = false) {
  const status = $('#status');
  status.textContent = message;
  status.classList.toggle('error', isError);
}

function hex(value) {
  return '0x' + (value >>> 0).toString(16).toUpperCase();
}

// A key value as the file writes it: its name, or 0x and its number.
function valueText(value) {
  return editor.vocabulary.nameOfValue.get(value) ?? hex(value);
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
  editor.opened = true;
  editor.bytes = bytes;
  editor.savedBytes = bytes;
  editor.fileName = fileName || 'input.ini';
  editor.place = place;
  editor.backupAsked = false;
  editor.undoStack = [];
  editor.redoStack = [];
  hidePrompts();
  analyse();
  say(message ?? text('opened', editor.fileName, bytes.length));
  offerCodePage();
}

// Says once, as a file opens, that its bytes read better in the other code
// page, and switches in one click.
function offerCodePage() {
  const hint = codePageHint(editor.bytes, editor.codePage);
  if (hint === null) {
    return;
  }
  ask('code-page-hint', text(hint.says), [
    {id: 'switch-code-page', label: text(hint.button), act: () => chooseCodePage(hint.switchTo)},
    {id: 'keep-code-page', label: text('keepCodePage', editor.codePage), act: () => {}},
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
    ask('discard-ask', text('discard'), [
      {id: 'discard-yes', label: text('discardYes'), act: () => {
        editor.savedBytes = editor.bytes;
        offerBytes(bytes, fileName, place, message);
      }},
      {id: 'cancel', label: text('cancel'), act: () => say(text('notOpened', fileName))},
    ]);
    return;
  }
  const reason = notTextReason(bytes);
  if (reason === null) {
    openBytes(bytes, fileName, place, message);
    return;
  }
  say(text('notText', fileName, reason), true);
  ask('not-text', text('notText', fileName, reason), [
    {id: 'open-anyway', label: text('openAnyway'),
     act: () => openBytes(bytes, fileName, place, message)},
    {id: 'cancel', label: text('cancel'), act: () => say(text('notOpened', fileName))},
  ]);
}

function startNew(bytes, message) {
  offerBytes(bytes, 'input.ini', {kind: 'new'}, message);
}

function historyBytes() {
  return editor.undoStack.reduce((sum, bytes) => sum + bytes.length, 0);
}

function replaceBytes(bytes) {
  editor.undoStack.push(editor.bytes);
  while (editor.undoStack.length > kHistoryLimit ||
         (editor.undoStack.length > 1 && historyBytes() > kHistoryBytes)) {
    editor.undoStack.shift();
  }
  editor.redoStack = [];
  editor.bytes = bytes;
  analyse();
}

function changeSummary(outcome) {
  return outcome.changes.map((change) => change.added
    ? text('added', change.line, decodeBytes(change.after))
    : text('changed', change.line, decodeBytes(change.after), decodeBytes(change.before)))
    .join('; ');
}

// Takes an outcome of the editing library: new bytes, or a refusal to show.
// Returns whether the file changed.
function applyOutcome(outcome, binding) {
  if (outcome.status !== 'ok') {
    say(outcome.refusal ? Bridge.words(outcome.refusal) : text('couldNot', binding), true);
    return false;
  }
  const bytes = Bridge.bytesOf(outcome.bytes);
  if (bytesEqual(bytes, editor.bytes)) {
    say(text('nothingToChange'));
    return false;
  }
  editor.lastChangedLine = outcome.changes.length ? outcome.changes[0].line : null;
  replaceBytes(bytes);
  editor.lastChangedLine = null;
  say(changeSummary(outcome));
  return true;
}

function stepHistory(from, to, done, nothing) {
  if (!editor.opened) {
    say(text('noFileYet'));
    return;
  }
  if (from.length === 0) {
    say(text(nothing));
    return;
  }
  to.push(editor.bytes);
  editor.bytes = from.pop();
  hidePrompts();
  analyse();
  say(text(done));
}

const undo = () => stepHistory(editor.undoStack, editor.redoStack, 'undone', 'nothingToUndo');
const redo = () => stepHistory(editor.redoStack, editor.undoStack, 'redone', 'nothingToRedo');

// The other bindings of the same kind that hold `binding`'s value.
function holdersOf(binding) {
  const own = bindingOf(binding);
  const kind = binding.split('_')[0];
  return editor.analysis.bindings.filter((other) =>
    other.name !== binding && other.name.split('_')[0] === kind && other.line !== null &&
    own.line !== null && own.value !== 0 && other.value === own.value);
}

// Binds, then offers to give the old value to an action that held the new one.
function bindKey(binding, value) {
  const before = {...bindingOf(binding)};
  if (!applyOutcome(Bridge.set(editor.bytes, binding, value, editor.codePage), binding)) {
    return;
  }
  const [holder] = holdersOf(binding);
  if (!holder || before.line === null || before.value === 0 ||
      before.value === bindingOf(binding).value) {
    return;
  }
  const shown = binding.startsWith('KB_') ? valueText : hex;
  const newValue = shown(bindingOf(binding).value);
  const oldValue = shown(before.value);
  ask('swap', `${$('#status').textContent}. ${text('swapText', newValue, holder.name, oldValue)}`, [
    {id: 'swap-yes', label: text('swap'), act: () => {
      if (applyOutcome(Bridge.set(editor.bytes, holder.name, oldValue, editor.codePage),
                       holder.name)) {
        say(text('swapped', holder.name, oldValue));
      }
    }},
    {id: 'swap-no', label: text('keepBoth'), act: () => {}},
  ]);
}

function unsetBinding(binding) {
  if (editor.opened && binding) {
    applyOutcome(Bridge.unset(editor.bytes, binding, editor.codePage), binding);
  }
}

function resetAll() {
  const set = editor.analysis.bindings.filter((binding) => binding.line !== null);
  ask('reset-ask', text('resetAsk', set.length), [
    {id: 'reset-yes', label: text('resetAll'), act: () => {
      let bytes = editor.bytes;
      for (const binding of set) {
        const outcome = Bridge.unset(bytes, binding.name, editor.codePage);
        if (outcome.status !== 'ok') {
          say(Bridge.words(outcome.refusal), true);
          return;
        }
        bytes = Bridge.bytesOf(outcome.bytes);
      }
      if (!bytesEqual(bytes, editor.bytes)) {
        replaceBytes(bytes);
      }
      say(text('resetDone'));
    }},
    {id: 'cancel', label: text('cancel'), act: () => {}},
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
  if (outcome.convertedFrom) {
    parts.push(text('converted', outcome.convertedFrom));
  }
  if (outcome.changes.length) {
    parts.push(text('fixed', changeSummary(outcome)));
  } else if (!outcome.convertedFrom) {
    parts.push(text('fixedNothing'));
  }
  if (outcome.remaining.length) {
    parts.push(text('leftToDecide', outcome.remaining.length));
  }
  if (!bytesEqual(bytes, editor.bytes)) {
    editor.lastChangedLine = outcome.changes.length ? outcome.changes[0].line : null;
    replaceBytes(bytes);
    editor.lastChangedLine = null;
  }
  say(parts.join(' '));
}

async function save() {
  if (!editor.opened) {
    say(text('noFileYet'));
    return;
  }
  const place = editor.place;
  if (place.kind === 'file' && !editor.backupAsked) {
    ask('backup-ask', text('backupAsk', place.name), [
      {id: 'download-first', label: text('downloadFirst'), act: () => {
        download(editor.savedBytes, `${place.name}.bak`);
        editor.backupAsked = true;
        save();
      }},
      {id: 'save-anyway', label: text('saveAnyway'), act: () => {
        editor.backupAsked = true;
        save();
      }},
      {id: 'cancel', label: text('cancel'), act: () => {}},
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
      say(text(place.kind === 'new' ? 'downloadedNew' : 'downloaded'));
    }
    editor.savedBytes = bytes;
    render();
  } catch (error) {
    say(text('notSaved', error.message), true);
  }
}

// ---- prompts: one at a time, at the bottom of the window ----

function hidePrompts() {
  for (const prompt of document.querySelectorAll('.prompt')) {
    prompt.hidden = true;
  }
}

// Asks the player: `choices` are {id, label, act}; the last one is the way out.
function ask(name, question, choices) {
  hidePrompts();
  const panel = $('#ask');
  panel.dataset.test = name;
  $('#ask-text').textContent = question;
  const back = document.activeElement;
  $('#ask-buttons').replaceChildren(...choices.map((choice) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.dataset.test = choice.id;
    button.textContent = choice.label;
    button.addEventListener('click', () => {
      panel.hidden = true;
      if (back && back.isConnected && back !== document.body) {
        back.focus();
      }
      choice.act();
    });
    return button;
  }));
  panel.hidden = false;
  panel.querySelector('button').focus();
}

// ---- rendering ----

function buildTable() {
  const body = $('#bindings tbody');
  for (const action of editor.vocabulary.actions) {
    const row = document.createElement('tr');
    row.dataset.action = action;
    row.innerHTML = `<th scope="row"></th>
      <td data-binding="KB_${action}" class="key-cell"><button type="button" tabindex="-1"></button></td>
      <td data-binding="PAD_${action}" class="pad-cell"><input type="text" spellcheck="false"
        autocomplete="off" tabindex="-1"></td>
      <td class="line-cell"></td>`;
    body.append(row);
  }
  body.querySelector('button').tabIndex = 0;
  labelTable();
}

// The words of the table's rows, in the page's language.
function labelTable() {
  for (const row of document.querySelectorAll('#bindings tbody tr')) {
    const action = row.dataset.action;
    const gloss = document.createElement('span');
    gloss.className = 'gloss';
    gloss.textContent = glossOf(action);
    row.querySelector('th').replaceChildren(action, gloss);
    const input = row.querySelector('input');
    input.placeholder = text('defaultValue');
    input.setAttribute('aria-label', text('padCellName', action));
  }
  $('#offer-action').replaceChildren(...editor.vocabulary.actions.map(
    (action) => new Option(actionWithGloss(action), 'KB_' + action)));
}

// Speaks `language` from now on: every sentence, the findings and <html lang>.
function useLanguage(language) {
  pageLanguage.current = language;
  document.documentElement.lang = language;
  $('#language').value = language;
  fillTexts();
}

function findingsByLine() {
  const byLine = new Map();
  for (const finding of editor.analysis.findings) {
    const shown = `${editor.fileName}:${finding.line}: ${text(finding.severity)}: ` +
                  Bridge.words(finding.message);
    if (!byLine.has(finding.line)) {
      byLine.set(finding.line, []);
    }
    byLine.get(finding.line).push({...finding, text: shown});
  }
  return byLine;
}

// Values held by two or more bindings of one kind: [{what, names}].
function sharedValues() {
  const holders = new Map();
  for (const binding of editor.analysis.bindings) {
    if (binding.line !== null && binding.value !== 0) {
      const kind = binding.name.split('_')[0];
      const key = `${kind} ${binding.value}`;
      holders.set(key, [...(holders.get(key) || []), binding]);
    }
  }
  return [...holders.values()].filter((names) => names.length > 1).map((bindings) => ({
    what: bindings[0].name.startsWith('KB_') ? keyShown(bindings[0].value) : hex(bindings[0].value),
    names: bindings.map((binding) => binding.name),
  }));
}

// A key value as the cell shows it: the file's name, and the keycap of the
// chosen layout where it differs (or, for a key without a name, which key).
function keyShown(value) {
  const name = valueText(value);
  const code = (editor.codesOfValue.get(value) || [])[0];
  if (!code) {
    return name;
  }
  const cap = differingCap(editor.layout, code);
  if (!editor.vocabulary.nameOfValue.has(value)) {
    const label = KeyboardLayouts[editor.layout].find((key) => key.code === code)?.label;
    return label ? text('mainRowKey', name, label) : name;
  }
  return cap ? `${name} ${cap}` : name;
}

function renderKeyCell(cell, binding) {
  const button = cell.querySelector('button');
  const waiting = editor.waitingFor === binding.name;
  const set = binding.line !== null;
  cell.classList.toggle('waiting', waiting);
  cell.classList.toggle('broken', set && binding.value === 0);
  button.setAttribute('aria-pressed', String(waiting));
  let name = valueText(binding.value);
  let cap = '';
  if (waiting) {
    name = text('pressAKey');
  } else if (!set) {
    name = text('defaultValue');
  } else if (binding.value === 0) {
    name = text('noKey', hex(0));
  } else {
    cap = keyShown(binding.value).slice(name.length).trim();
  }
  // Redrawn only when it changes: a click whose press found other nodes is lost.
  if (button.dataset.shown !== `${name}\n${cap}`) {
    button.dataset.shown = `${name}\n${cap}`;
    button.textContent = cap ? `${name} ` : name;
    if (cap) {
      const capSpan = document.createElement('span');
      capSpan.className = 'cap';
      capSpan.textContent = cap;
      button.append(capSpan);
    }
  }
  button.setAttribute('aria-label', text('keyCellName', actionOf(binding.name),
                                         cap ? `${name} ${cap}` : name));
  button.title = button.getAttribute('aria-label');
}

function renderPadCell(cell, binding) {
  const input = cell.querySelector('input');
  if (document.activeElement !== input) {
    input.value = binding.line === null ? '' : hex(binding.value);
    input.removeAttribute('aria-invalid');
  }
}

function renderTable(byLine, shared) {
  // Which rows a finding concerns: those whose bindings its line names.
  const rowNotes = new Map();
  const note = (action, what) => rowNotes.set(action, [...(rowNotes.get(action) || []), what]);
  for (const line of editor.analysis.lines) {
    if (line.entry !== null && byLine.has(line.number)) {
      byLine.get(line.number).forEach((finding) =>
        note(editor.vocabulary.actions[line.entry >> 1], finding));
    }
  }
  const sharedRows = new Map();
  for (const {what, names} of shared) {
    for (const name of names) {
      const others = names.filter((other) => other !== name);
      sharedRows.set(actionOf(name), [...(sharedRows.get(actionOf(name)) || []),
                                       `${name}: ${what} = ${others.join(', ')}`]);
    }
  }
  for (const binding of editor.analysis.bindings) {
    const cell = document.querySelector(`[data-binding="${binding.name}"]`);
    cell.classList.toggle('default', binding.line === null);
    (binding.name.startsWith('KB_') ? renderKeyCell : renderPadCell)(cell, binding);
  }
  for (const row of document.querySelectorAll('#bindings tbody tr')) {
    const action = row.dataset.action;
    const lines = [bindingOf('KB_' + action).line, bindingOf('PAD_' + action).line]
      .map((n) => (n === null ? '–' : n));
    const found = rowNotes.get(action) || [];
    const sharing = sharedRows.get(action) || [];
    const lineCell = row.querySelector('.line-cell');
    lineCell.textContent = lines.join(' · ');
    if (found.length) {
      const mark = document.createElement('span');
      mark.className = 'row-finding';
      mark.textContent = found.some((f) => f.severity === 'warning') ? ' ⚠' : ' ⓘ';
      mark.title = found.map((f) => f.text).join('\n');
      mark.setAttribute('aria-label', mark.title);
      mark.setAttribute('role', 'img');
      lineCell.append(mark);
    }
    if (sharing.length) {
      const mark = document.createElement('span');
      mark.className = 'row-shared';
      mark.dataset.test = 'shared-mark';
      mark.textContent = ' ⇄';
      mark.title = text('sharedMark', sharing.join('; '));
      mark.setAttribute('aria-label', mark.title);
      mark.setAttribute('role', 'img');
      lineCell.append(mark);
    }
    row.classList.toggle('has-finding', found.length > 0);
    row.classList.toggle('shared', sharing.length > 0);
    row.classList.toggle('selected', editor.selected !== null && actionOf(editor.selected) === action);
  }
  for (const cell of document.querySelectorAll('#bindings [data-binding]')) {
    cell.classList.toggle('selected', cell.dataset.binding === editor.selected);
  }
}

function initials(action) {
  return action.replace(/[a-z]+/g, '');
}

function renderKeyboard() {
  const labels = new Map();
  for (const binding of editor.analysis.bindings) {
    if (binding.name.startsWith('KB_') && binding.line !== null) {
      for (const code of editor.codesOfValue.get(binding.value) || []) {
        labels.set(code, [...(labels.get(code) || []), actionOf(binding.name)]);
      }
    }
  }
  const keys = [...document.querySelectorAll('#keyboard .key')];
  for (const key of keys) {
    const actions = labels.get(key.dataset.code) || [];
    // Long action names may break between their words, and each takes a line.
    const shown = key.querySelector('.actions');
    shown.replaceChildren(...actions.flatMap((action, i) => [
      ...(i ? [document.createElement('br')] : []),
      ...action.split(/(?<=[a-z])(?=[A-Z])/).flatMap((word, j) =>
        j ? [document.createElement('wbr'), word] : [word])]));
    key.classList.remove('crowded');
    key.classList.toggle('bound', actions.length === 1);
    key.classList.toggle('twice', actions.length > 1);
    key.title = text('keyName', key.querySelector('.cap').textContent,
                     fileNameOfCode(key.dataset.code) || text('noKeyName'), actions);
  }
  // Names that do not fit their key shrink to initials, read out in full; the
  // key's tooltip and the line under the picture give them too.
  const crowded = keys.filter((key) => {
    const actions = key.querySelector('.actions');
    return actions.textContent && (actions.scrollHeight > actions.clientHeight + 1 ||
                                   actions.scrollWidth > actions.clientWidth + 1);
  });
  for (const key of crowded) {
    const actions = labels.get(key.dataset.code);
    key.classList.add('crowded');
    const short = document.createElement('span');
    short.setAttribute('aria-hidden', 'true');
    short.textContent = actions.map(initials).join(' ');
    const full = document.createElement('span');
    full.className = 'unseen';
    full.textContent = actions.join(', ');
    key.querySelector('.actions').replaceChildren(short, full);
  }
}

function renderFile(byLine) {
  const lines = splitLines(editor.bytes);
  if (editor.savedLines?.of !== editor.savedBytes) {
    editor.savedLines = {of: editor.savedBytes, lines: splitLines(editor.savedBytes)};
  }
  const changed = changedLines(editor.savedLines.lines, lines);
  const decoder = new TextDecoder(kDecoderLabels[editor.codePage]);
  editor.fileView.show(lines, (line) => decoder.decode(line), (index) => {
    const found = byLine.get(index + 1);
    const classes = [changed.has(index) ? 'changed' : ''];
    if (found) {
      classes.push(found.some((f) => f.severity === 'warning') ? 'warning' : 'note');
    }
    return {className: classes.join(' ').trim(), title: found && found.map((f) => f.text).join('\n')};
  }, editor.lastChangedLine);
}

function findingItem(className, content, test) {
  const item = document.createElement('li');
  item.className = className;
  item.textContent = content;
  if (test) {
    item.dataset.test = test;
  }
  return item;
}

function renderFindings(byLine, shared) {
  const items = [];
  let count = 0;
  for (const found of byLine.values()) {
    for (const finding of found) {
      if (count++ < kFindingsShown) {
        const item = findingItem(finding.severity, finding.text, 'finding');
        item.dataset.findingId = finding.id;
        items.push(item);
      }
    }
  }
  if (count > kFindingsShown) {
    items.push(findingItem('note', text('moreFindings', count - kFindingsShown)));
  }
  if (editor.bytes.includes(0)) {
    items.push(findingItem('note', text('nulHelp'), 'nul-help'));
  }
  for (const {what, names} of shared) {
    items.push(findingItem('note', text('sharedNote', what, names), 'conflict'));
  }
  if (items.length === 0) {
    items.push(findingItem('clean', text('noProblems')));
  }
  $('#findings').replaceChildren(...items);
}

function renderToolbar() {
  const dirty = isDirty();
  const opened = editor.opened;
  $('#save').disabled = !opened;
  $('#save').textContent = text(dirty ? 'saveDirty' : 'save');
  $('#undo').disabled = editor.undoStack.length === 0;
  $('#redo').disabled = editor.redoStack.length === 0;
  const selected = opened && editor.selected ? bindingOf(editor.selected) : null;
  $('#unset').disabled = !selected || selected.line === null;
  $('#unset').textContent = selected ? text('unsetSelected', selected.name) : text('unset');
  $('#unset').title = selected ? '' : text('unsetNothing');
  $('#reset-all').disabled = !opened || !editor.analysis.bindings.some((b) => b.line !== null);
  $('#fix-all').disabled = !opened || editor.analysis.findings.length === 0;
  $('#start').hidden = opened;
  $('#work').inert = !opened;
  document.title = opened ? text('pageTitle', editor.fileName, dirty) : text('title');
}

function render() {
  const byLine = findingsByLine();
  const shared = sharedValues();
  renderTable(byLine, shared);
  renderKeyboard();
  renderFile(byLine);
  renderFindings(byLine, shared);
  renderToolbar();
}

// ---- the table: one tab stop, arrow keys between cells ----

function cellControl(binding) {
  return document.querySelector(`[data-binding="${binding}"] button, [data-binding="${binding}"] input`);
}

function select(binding) {
  editor.selected = binding;
  for (const control of document.querySelectorAll('#bindings [data-binding] > *')) {
    control.tabIndex = control.parentElement.dataset.binding === binding ? 0 : -1;
  }
  renderTable(findingsByLine(), sharedValues());
  renderToolbar();
}

function moveInTable(event) {
  const cell = event.target.closest('[data-binding]');
  if (!cell || editor.waitingFor) {
    return;
  }
  const actions = editor.vocabulary.actions;
  const action = actionOf(cell.dataset.binding);
  const kind = cell.dataset.binding.split('_')[0];
  const input = event.target.matches('input') ? event.target : null;
  const atStart = !input || (input.selectionStart === 0 && input.selectionEnd === 0);
  const atEnd = !input || input.selectionStart === input.value.length;
  let row = actions.indexOf(action);
  let column = kind;
  switch (event.key) {
    case 'ArrowUp': row = Math.max(0, row - 1); break;
    case 'ArrowDown': row = Math.min(actions.length - 1, row + 1); break;
    case 'ArrowLeft': if (!atStart) return; column = 'KB'; break;
    case 'ArrowRight': if (!atEnd) return; column = 'PAD'; break;
    case 'Home': if (input) return; row = 0; break;
    case 'End': if (input) return; row = actions.length - 1; break;
    case 'Delete':
    case 'Backspace':
      if (input) return;
      event.preventDefault();
      unsetBinding(cell.dataset.binding);
      return;
    default: return;
  }
  event.preventDefault();
  const target = `${column}_${actions[row]}`;
  select(target);
  cellControl(target).focus();
}

// ---- waiting for a key ----

function startWaiting(binding) {
  hidePrompts();
  select(binding);
  editor.waitingFor = binding;
  editor.pendingModifier = null;
  $('#waiting-text').textContent = text('waitingText', binding);
  $('#waiting').hidden = false;
  render();
  // Clear of the panel at the bottom of the window.
  cellControl(binding).scrollIntoView({block: 'nearest'});
}

function stopWaiting() {
  editor.pendingModifier = null;
  if (editor.waitingFor) {
    const control = cellControl(editor.waitingFor);
    editor.waitingFor = null;
    $('#waiting').hidden = true;
    render();
    control.focus();
  }
}

function fileNameOfCode(code) {
  const key = editor.keyOfCode.get(code);
  return key ? key.name ?? hex(key.value) : '';
}

function bindCode(code) {
  const binding = editor.waitingFor;
  stopWaiting();
  const name = fileNameOfCode(code);
  if (!name) {
    say(text('unknownKey', code || '?'), true);
    return;
  }
  bindKey(binding, name);
}

// Every key binds, modifiers when released (so Shift+Tab and Shift+Esc can
// lead out without binding Shift); the key's release does nothing more.
function onWaitingKey(event) {
  event.preventDefault();
  event.stopPropagation();
  if (event.repeat) {
    return;
  }
  if (event.code === 'Tab' && event.shiftKey) {
    editor.pendingModifier = null;
    $('#key-list').focus();
    return;
  }
  if (event.code === 'Escape' && event.shiftKey) {
    stopWaiting();
    return;
  }
  if (kModifierCodes.has(event.code)) {
    // Windows sends AltGr as ControlLeft then AltRight: the later one wins.
    editor.pendingModifier = event.code;
    return;
  }
  editor.pendingModifier = null;
  editor.swallowKeyUp = event.code;
  bindCode(event.code);
}

function onKeyUp(event) {
  if (editor.swallowKeyUp === event.code) {
    editor.swallowKeyUp = null;
    event.preventDefault();
    event.stopPropagation();
    return;
  }
  if (editor.waitingFor && editor.pendingModifier === event.code &&
      !$('#waiting').contains(event.target)) {
    event.preventDefault();
    bindCode(event.code);
  }
}

// Inside the waiting panel: Escape leaves, Tab goes round its controls.
function onWaitingPanelKey(event) {
  if (event.key === 'Escape') {
    event.preventDefault();
    stopWaiting();
  } else if (event.key === 'Enter' && event.target.matches('select')) {
    event.preventDefault();
    $('#pick-key').click();
  } else if (event.key === 'Tab') {
    const controls = [...$('#waiting').querySelectorAll('select, button')];
    const at = controls.indexOf(event.target);
    event.preventDefault();
    controls[(at + (event.shiftKey ? -1 : 1) + controls.length) % controls.length].focus();
  }
}

// ---- events ----

function onKeyDown(event) {
  const inWaitingPanel = $('#waiting').contains(event.target);
  if (editor.waitingFor && !inWaitingPanel) {
    onWaitingKey(event);
    return;
  }
  if (inWaitingPanel) {
    onWaitingPanelKey(event);
    return;
  }
  if (event.key === 'Escape' && event.target.closest('.prompt')) {
    const way = event.target.closest('.prompt');
    event.preventDefault();
    way.id === 'ask' ? $('#ask-buttons').lastElementChild.click() : (way.hidden = true);
    return;
  }
  const typing = event.target.matches('input, select, textarea');
  if ((event.ctrlKey || event.metaKey) && !event.altKey) {
    const key = event.key.toLowerCase();
    if (key === 's') {
      event.preventDefault();
      if (event.target.matches('.pad-cell input')) {
        commitPad(event.target);
      }
      save();
    } else if (key === 'z' && !event.shiftKey && !typing) {
      event.preventDefault();
      undo();
    } else if ((key === 'y' || (key === 'z' && event.shiftKey)) && !typing) {
      event.preventDefault();
      redo();
    }
  }
}

function onPadInput(input) {
  const value = input.value.trim();
  const valid = /^0x[0-9a-f]{1,8}$/i.test(value) || value === '';
  input.setAttribute('aria-invalid', String(!valid));
  return valid;
}

// A pad value is taken, an empty field unsets, and anything else is put back
// with the reason: the field always shows what the file says.
function commitPad(input) {
  const binding = input.parentElement.dataset.binding;
  const value = input.value.trim();
  const current = bindingOf(binding);
  const shown = current.line === null ? '' : hex(current.value);
  if (value === shown) {
    return;
  }
  if (value === '') {
    if (current.line !== null) {
      input.blur();
      unsetBinding(binding);
      input.focus();
      say(`${$('#status').textContent}. ${text('padCleared', binding)}`);
    }
    return;
  }
  if (!onPadInput(input)) {
    input.value = shown;
    input.removeAttribute('aria-invalid');
    say(text('padFormat', binding, value), true);
    return;
  }
  if (current.line !== null && parseInt(value, 16) === current.value >>> 0) {
    input.value = shown;
    return;
  }
  input.blur();
  bindKey(binding, value);
  if (!$('#ask').hidden) {
    return;
  }
  input.focus();
}

function offerKey(key) {
  const value = fileNameOfCode(key.dataset.code);
  if (!value) {
    say(text('unknownKey', key.dataset.code), true);
    return;
  }
  hidePrompts();
  const form = $('#offer');
  form.dataset.value = value;
  form.returnTo = key;
  $('#offer-text').textContent = text('offerText', key.querySelector('.cap').textContent, value);
  const select = $('#offer-action');
  select.value = editor.selected && editor.selected.startsWith('KB_') ? editor.selected
                                                                      : select.options[0].value;
  form.hidden = false;
  select.focus();
}

async function openFrom(picker) {
  try {
    const {place, bytes} = await picker();
    offerBytes(bytes, place.name, place,
               place.kind === 'folder' ? text('openedFolder', place.name) : undefined);
  } catch (error) {
    if (error.name !== 'AbortError') {
      say(text('couldNotOpen', error.message), true);
    }
  }
}

async function openFile(file) {
  offerBytes(new Uint8Array(await file.arrayBuffer()), file.name, {kind: 'copy'});
}

function showKeyDetail(event) {
  const key = event.target.closest && event.target.closest('.key');
  if (key) {
    $('#key-detail').textContent = key.title;
  }
}

function wireTable() {
  const table = $('#bindings');
  table.addEventListener('click', (event) => {
    const cell = event.target.closest('[data-binding]');
    if (!cell || !editor.opened) {
      return;
    }
    if (cell.classList.contains('key-cell')) {
      event.stopPropagation();
      if (editor.waitingFor === cell.dataset.binding) {
        stopWaiting();
      } else {
        startWaiting(cell.dataset.binding);
      }
    }
  });
  table.addEventListener('focusin', (event) => {
    const cell = event.target.closest('[data-binding]');
    if (cell && !editor.waitingFor && editor.selected !== cell.dataset.binding) {
      select(cell.dataset.binding);
    }
  });
  table.addEventListener('input', (event) => onPadInput(event.target));
  table.addEventListener('change', (event) => commitPad(event.target));
  table.addEventListener('keydown', (event) => {
    if (event.key === 'Enter' && event.target.matches('input')) {
      commitPad(event.target);
      return;
    }
    moveInTable(event);
  });
}

function wirePrompts() {
  document.addEventListener('click', (event) => {
    if (editor.waitingFor && !event.target.closest('.key-cell.waiting, #waiting, #keyboard')) {
      stopWaiting();
    }
  });
  const keyboard = $('#keyboard');
  keyboard.addEventListener('click', (event) => {
    const key = event.target.closest('.key');
    if (!key) {
      return;
    }
    if (editor.waitingFor) {
      bindCode(key.dataset.code);
    } else {
      offerKey(key);
    }
  });
  keyboard.addEventListener('focusin', showKeyDetail);
  keyboard.addEventListener('mouseover', showKeyDetail);
  $('#offer').addEventListener('submit', (event) => {
    event.preventDefault();
    const form = $('#offer');
    form.hidden = true;
    const binding = $('#offer-action').value;
    select(binding);
    bindKey(binding, form.dataset.value);
  });
  $('#offer-cancel').addEventListener('click', () => {
    $('#offer').hidden = true;
    $('#offer').returnTo?.focus();
  });
  $('#pick-key').addEventListener('click', () => {
    const binding = editor.waitingFor;
    stopWaiting();
    bindKey(binding, $('#key-list').value);
  });
  $('#stop-waiting').addEventListener('click', stopWaiting);
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
    startOpen.textContent = text('openFolder');
    startOpen.addEventListener('click', () => openFrom(pickFolder));
  } else {
    startOpen.textContent = text('openCopy');
    startOpen.addEventListener('click', () => $('[data-test=open]').click());
  }
  if (window.showOpenFilePicker) {
    $('#open-file').hidden = false;
    $('#open-file').addEventListener('click', () => openFrom(pickFile));
  }
  $('#new-empty').addEventListener('click', () =>
    startNew(new Uint8Array(0), text('openedNew')));
  $('#new-example').addEventListener('click', () =>
    startNew(Uint8Array.from(kExampleFileHex.match(/../g) || [], (pair) => parseInt(pair, 16)),
             text('openedExample')));
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
    if (!editor.opened) {
      say(text('noFileYet'));
    }
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
    .map((key) => new Option(keyShown(key.value), hex(key.value)));
  $('#key-list').replaceChildren(...named, ...unnamed);
}

function startEditor() {
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
  editor.codePage = kDecoderLabels[codePage] ? Number(codePage) : 1252;
  $('#code-page').value = String(editor.codePage);
  const layout = settings.get('layout', defaults.layout);
  editor.layout = KeyboardLayouts[layout] ? layout : 'us104';
  $('#layout').value = editor.layout;
  fillKeyList();

  buildTable();
  editor.fileView = createFileView($('#file-view'));
  drawPicture();
  wireEvents();
  analyse();
  say(text('noFileYet'));
  document.body.dataset.ready = 'true';
}

var Module = {onRuntimeInitialized: startEditor, encodeUtf16: Bridge.encodeUtf16};
