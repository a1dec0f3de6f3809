// The binding editor: the file as bytes, its history, the table, the keyboard
// picture and the player's keys. Every reading and every edit of the file is
// done by the C++ (Bridge); this file only shows the results.
'use strict';

// Windows sends AltGr as a ControlLeft that AltRight follows at once.
const kAltGrWindowMs = 50;
const kHistoryLimit = 200;

const $ = (selector) => document.querySelector(selector);

const editor = {
  vocabulary: null,
  keyOfCode: new Map(),   // KeyboardEvent.code -> {value, name}
  codesOfValue: new Map(),
  fileName: 'input.ini',
  handle: null,           // a FileSystemFileHandle when saves can go back to the file
  savedBytes: new Uint8Array(0),
  bytes: new Uint8Array(0),
  undoStack: [],
  redoStack: [],
  analysis: null,
  selected: 'KB_MoveForward',
  waitingFor: null,
  pendingControl: null,
  lastChangedLine: null,  // set while an edit renders, to bring it into view
  codePage: 1252,
  layout: 'us104',
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

function bytesEqual(a, b) {
  return a.length === b.length && a.every((byte, i) => byte === b[i]);
}

function isDirty() {
  return !bytesEqual(editor.bytes, editor.savedBytes);
}

function say(message, isError = false) {
  const status = $('#status');
  status.textContent = message;
  status.classList.toggle('error', isError);
}

function valueText(value) {
  const name = editor.vocabulary.nameOfValue.get(value);
  return name ?? '0x' + (value >>> 0).toString(16).toUpperCase();
}

// ---- the file and its history ----

function analyse() {
  editor.analysis = Bridge.analyse(editor.bytes, editor.codePage);
  render();
}

function openBytes(bytes, fileName, handle) {
  if (isDirty() && !window.confirm('Discard the unsaved changes?')) {
    return;
  }
  editor.bytes = bytes;
  editor.savedBytes = bytes;
  editor.fileName = fileName || 'input.ini';
  editor.handle = handle || null;
  editor.undoStack = [];
  editor.redoStack = [];
  analyse();
  say(`Opened ${editor.fileName} (${bytes.length} bytes).`);
}

function replaceBytes(bytes) {
  editor.undoStack.push(editor.bytes);
  if (editor.undoStack.length > kHistoryLimit) {
    editor.undoStack.shift();
  }
  editor.redoStack = [];
  editor.bytes = bytes;
  analyse();
}

// Takes an outcome of the editing library: new bytes, or a refusal to show.
function applyOutcome(outcome, what) {
  if (outcome.status !== 'ok') {
    say(outcome.refusal ? decodeBytes(outcome.refusal) : `Could not ${what}.`, true);
    return false;
  }
  const bytes = Bridge.bytesOf(outcome.bytes);
  if (bytesEqual(bytes, editor.bytes)) {
    say(`Nothing to change: ${what}.`);
    return true;
  }
  editor.lastChangedLine = outcome.changes.length ? outcome.changes[0].line : null;
  replaceBytes(bytes);
  editor.lastChangedLine = null;
  const changes = outcome.changes.map((change) =>
    `line ${change.line}: ${decodeBytes(change.after)}` +
    (change.added ? ' (added)' : ` (was ${decodeBytes(change.before)})`));
  say(changes.join('; ') || what);
  return true;
}

function stepHistory(from, to, word) {
  if (from.length === 0) {
    return;
  }
  to.push(editor.bytes);
  editor.bytes = from.pop();
  analyse();
  say(word);
}

function bindKey(binding, value) {
  applyOutcome(Bridge.set(editor.bytes, binding, value, editor.codePage), `bind ${binding}`);
}

function unsetBinding(binding) {
  applyOutcome(Bridge.unset(editor.bytes, binding, editor.codePage), `unset ${binding}`);
}

function resetAll() {
  let bytes = editor.bytes;
  for (const binding of editor.analysis.bindings) {
    if (binding.line !== null) {
      const outcome = Bridge.unset(bytes, binding.name, editor.codePage);
      if (outcome.status !== 'ok') {
        say(decodeBytes(outcome.refusal), true);
        return;
      }
      bytes = Bridge.bytesOf(outcome.bytes);
    }
  }
  if (!bytesEqual(bytes, editor.bytes)) {
    replaceBytes(bytes);
  }
  say('Every binding is back to the game default.');
}

function fixAll() {
  const outcome = Bridge.fix(editor.bytes, editor.codePage);
  if (applyOutcome(outcome, 'fix the file') && outcome.status === 'ok') {
    const left = outcome.remaining.length;
    const converted = outcome.convertedFrom ? `Converted from ${outcome.convertedFrom}. ` : '';
    say(`${converted}${$('#status').textContent}` +
        (left ? ` ${left} finding(s) need a decision of yours.` : ''));
  }
}

async function save() {
  const bytes = editor.bytes;
  try {
    if (editor.handle && editor.handle.createWritable) {
      const writable = await editor.handle.createWritable();
      await writable.write(bytes);
      await writable.close();
      say(`Saved ${editor.fileName}.`);
    } else {
      const link = document.createElement('a');
      link.href = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
      link.download = 'input.ini';
      document.body.append(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(link.href), 10000);
      say('Downloaded input.ini: put it beside the game, in place of the old one.');
    }
    editor.savedBytes = bytes;
    render();
  } catch (error) {
    say(`Not saved: ${error.message}`, true);
  }
}

// ---- rendering ----

function buildTable() {
  const body = $('#bindings tbody');
  for (const action of editor.vocabulary.actions) {
    const row = document.createElement('tr');
    row.dataset.action = action;
    row.innerHTML = `<th scope="row"></th>
      <td data-binding="KB_${action}" class="key-cell"><button type="button"></button></td>
      <td data-binding="PAD_${action}" class="pad-cell"><input type="text" spellcheck="false"
        autocomplete="off" placeholder="default"></td>
      <td class="line-cell"></td>`;
    row.querySelector('th').textContent = action;
    row.querySelector('button').setAttribute('aria-label', `${action}, keyboard`);
    row.querySelector('input').setAttribute('aria-label', `${action}, pad value in hexadecimal`);
    body.append(row);
  }
}

function findingsByLine() {
  const byLine = new Map();
  for (const finding of editor.analysis.findings) {
    const text = `${editor.fileName}:${finding.line}: ${finding.severity}: ` +
                 decodeBytes(finding.message);
    if (!byLine.has(finding.line)) {
      byLine.set(finding.line, []);
    }
    byLine.get(finding.line).push({...finding, text});
  }
  return byLine;
}

function renderTable(byLine) {
  // Which rows a finding concerns: those whose bindings its line names.
  const rowFindings = new Map();
  for (const line of editor.analysis.lines) {
    if (line.entry !== null && byLine.has(line.number)) {
      const action = editor.vocabulary.actions[line.entry >> 1];
      rowFindings.set(action, [...(rowFindings.get(action) || []), ...byLine.get(line.number)]);
    }
  }
  for (const binding of editor.analysis.bindings) {
    const cell = document.querySelector(`[data-binding="${binding.name}"]`);
    const row = cell.parentElement;
    const set = binding.line !== null;
    cell.classList.toggle('default', !set);
    cell.classList.toggle('selected', editor.selected === binding.name);
    if (binding.name.startsWith('KB_')) {
      const button = cell.querySelector('button');
      button.textContent = editor.waitingFor === binding.name ? 'press a key'
        : set ? valueText(binding.value) : 'default';
      cell.classList.toggle('waiting', editor.waitingFor === binding.name);
      button.setAttribute('aria-pressed', String(editor.waitingFor === binding.name));
    } else {
      const input = cell.querySelector('input');
      if (document.activeElement !== input) {
        input.value = set ? '0x' + (binding.value >>> 0).toString(16).toUpperCase() : '';
        input.removeAttribute('aria-invalid');
      }
    }
    const kb = editor.analysis.bindings.find((b) => b.name === 'KB_' + row.dataset.action);
    const pad = editor.analysis.bindings.find((b) => b.name === 'PAD_' + row.dataset.action);
    const lines = [kb.line, pad.line].map((n) => (n === null ? '–' : n));
    const found = rowFindings.get(row.dataset.action) || [];
    const lineCell = row.querySelector('.line-cell');
    lineCell.textContent = lines.join(' · ');
    if (found.length) {
      const mark = document.createElement('span');
      mark.className = 'row-finding';
      mark.textContent = found.some((f) => f.severity === 'warning') ? ' ⚠' : ' ⓘ';
      mark.title = found.map((f) => f.text).join('\n');
      mark.setAttribute('aria-label', mark.title);
      lineCell.append(mark);
    }
    row.classList.toggle('has-finding', found.length > 0);
  }
}

function renderKeyboard() {
  const labels = new Map();
  for (const binding of editor.analysis.bindings) {
    if (binding.name.startsWith('KB_') && binding.line !== null) {
      for (const code of editor.codesOfValue.get(binding.value) || []) {
        labels.set(code, [...(labels.get(code) || []), binding.name.slice(3)]);
      }
    }
  }
  for (const key of document.querySelectorAll('#keyboard .key')) {
    const actions = labels.get(key.dataset.code) || [];
    // Long action names may break between their words, and each takes a line.
    key.querySelector('.actions').textContent =
      actions.map((action) => action.replace(/([a-z])([A-Z])/g, '$1\u200b$2')).join('\n');
    key.classList.toggle('bound', actions.length === 1);
    key.classList.toggle('twice', actions.length > 1);
    const name = key.dataset.key || 'no key name';
    key.setAttribute('aria-label', `${key.querySelector('.cap').textContent} (${name})` +
                     (actions.length ? `: ${actions.join(', ')}` : ''));
    key.title = key.getAttribute('aria-label');
  }
}

// Lines as an editor counts them: CR LF is one break, any other CR or LF one.
function splitLines(bytes) {
  const lines = [];
  let start = 0;
  for (let i = 0; i < bytes.length; ++i) {
    if (bytes[i] === 0x0D || bytes[i] === 0x0A) {
      lines.push(bytes.subarray(start, i));
      if (bytes[i] === 0x0D && bytes[i + 1] === 0x0A) {
        ++i;
      }
      start = i + 1;
    }
  }
  lines.push(bytes.subarray(start));
  return lines;
}

// Which lines of `after` are not lines of `before`, by a longest common subsequence.
function changedLines(before, after) {
  const key = (line) => String.fromCharCode(...line);
  const a = before.map(key);
  const b = after.map(key);
  if (a.length * b.length > 4e6) {
    return new Set(b.map((line, i) => i).filter((i) => a[i] !== b[i]));
  }
  const table = Array.from({length: a.length + 1}, () => new Uint32Array(b.length + 1));
  for (let i = a.length - 1; i >= 0; --i) {
    for (let j = b.length - 1; j >= 0; --j) {
      table[i][j] = a[i] === b[j] ? table[i + 1][j + 1] + 1
                                  : Math.max(table[i + 1][j], table[i][j + 1]);
    }
  }
  const changed = new Set();
  let i = 0;
  let j = 0;
  while (j < b.length) {
    if (i < a.length && a[i] === b[j]) {
      ++i;
      ++j;
    } else if (i < a.length && table[i + 1][j] >= table[i][j + 1]) {
      ++i;
    } else {
      changed.add(j++);
    }
  }
  return changed;
}

function renderFile(byLine) {
  const lines = splitLines(editor.bytes);
  const changed = changedLines(splitLines(editor.savedBytes), lines);
  const decoder = new TextDecoder(kDecoderLabels[editor.codePage]);
  const view = $('#file-view');
  view.replaceChildren(...lines.map((line, index) => {
    const item = document.createElement('li');
    item.id = `file-line-${index + 1}`;
    item.textContent = decoder.decode(line) || '\u200b';
    item.classList.toggle('changed', changed.has(index));
    const found = byLine.get(index + 1);
    if (found) {
      item.classList.add(found.some((f) => f.severity === 'warning') ? 'warning' : 'note');
      item.title = found.map((f) => f.text).join('\n');
    }
    return item;
  }));
  // Keep the latest change in sight.
  const latest = editor.lastChangedLine && view.children[editor.lastChangedLine - 1];
  if (latest) {
    view.scrollTop = latest.offsetTop - view.clientHeight / 2;
  }
}

function renderFindings(byLine) {
  const list = $('#findings');
  const items = [];
  for (const found of byLine.values()) {
    for (const finding of found) {
      const item = document.createElement('li');
      item.dataset.test = 'finding';
      item.dataset.findingId = finding.id;
      item.className = finding.severity;
      item.textContent = finding.text;
      items.push(item);
    }
  }
  if (items.length === 0) {
    const item = document.createElement('li');
    item.className = 'clean';
    item.textContent = 'No problems found.';
    items.push(item);
  }
  list.replaceChildren(...items);
}

function render() {
  const byLine = findingsByLine();
  renderTable(byLine);
  renderKeyboard();
  renderFile(byLine);
  renderFindings(byLine);
  const dirty = isDirty();
  $('#save').disabled = !dirty && editor.bytes.length === 0;
  $('#save').textContent = dirty ? 'Save*' : 'Save';
  $('#undo').disabled = editor.undoStack.length === 0;
  $('#redo').disabled = editor.redoStack.length === 0;
  $('#unset').disabled = !editor.selected;
  $('#reset-all').disabled = !editor.analysis.bindings.some((b) => b.line !== null);
  $('#fix-all').disabled = editor.analysis.findings.length === 0;
  document.title = `${dirty ? '* ' : ''}${editor.fileName} — kio binding editor`;
}

// ---- waiting for a key ----

function startWaiting(binding) {
  editor.selected = binding;
  editor.waitingFor = binding;
  $('#waiting-binding').textContent = binding;
  $('#waiting').hidden = false;
  $('#offer').hidden = true;
  render();
}

function stopWaiting() {
  if (editor.pendingControl) {
    clearTimeout(editor.pendingControl);
    editor.pendingControl = null;
  }
  if (editor.waitingFor) {
    const cell = document.querySelector(`[data-binding="${editor.waitingFor}"] button`);
    editor.waitingFor = null;
    $('#waiting').hidden = true;
    render();
    cell.focus();
  }
}

function bindCode(code) {
  const binding = editor.waitingFor;
  const key = editor.keyOfCode.get(code);
  stopWaiting();
  if (!key) {
    say(`The game cannot see the key ${code || 'pressed'}; choose another.`, true);
    return;
  }
  bindKey(binding, key.name ?? '0x' + key.value.toString(16).toUpperCase());
}

function onWaitingKey(event) {
  event.preventDefault();
  event.stopPropagation();
  if (event.repeat) {
    return;
  }
  if (event.code === 'ControlLeft') {
    // Maybe the first half of AltGr: bound only if AltRight does not follow.
    clearTimeout(editor.pendingControl);
    editor.pendingControl = setTimeout(() => {
      editor.pendingControl = null;
      bindCode('ControlLeft');
    }, kAltGrWindowMs);
    return;
  }
  if (editor.pendingControl) {
    clearTimeout(editor.pendingControl);
    editor.pendingControl = null;
  }
  bindCode(event.code);
}

// ---- events ----

function onKeyDown(event) {
  const insideWaitingPanel = $('#waiting').contains(event.target);
  if (editor.waitingFor && !insideWaitingPanel) {
    onWaitingKey(event);
    return;
  }
  const typing = event.target.matches('input, select, textarea');
  if ((event.ctrlKey || event.metaKey) && !event.altKey && !typing) {
    const key = event.key.toLowerCase();
    if (key === 'z' && !event.shiftKey) {
      event.preventDefault();
      stepHistory(editor.undoStack, editor.redoStack, 'Undone.');
    } else if (key === 'y' || (key === 'z' && event.shiftKey)) {
      event.preventDefault();
      stepHistory(editor.redoStack, editor.undoStack, 'Redone.');
    }
  }
}

function onPadInput(input) {
  const valid = /^0x[0-9a-f]{1,8}$/i.test(input.value.trim()) || input.value.trim() === '';
  input.setAttribute('aria-invalid', String(!valid));
  return valid;
}

function commitPad(input) {
  const binding = input.parentElement.dataset.binding;
  const value = input.value.trim();
  if (!onPadInput(input) || value === '') {
    if (value !== '') {
      say(`${binding}: a pad value is 0x and 1 to 8 hexadecimal digits, such as 0x10.`, true);
    }
    return;
  }
  const current = editor.analysis.bindings.find((b) => b.name === binding);
  if (current.line !== null && parseInt(value, 16) === current.value >>> 0) {
    return;
  }
  bindKey(binding, value);
}

function offerKey(key) {
  const name = key.dataset.key;
  const entry = editor.keyOfCode.get(key.dataset.code);
  if (!entry) {
    say(`The game cannot see the key ${key.dataset.code}.`, true);
    return;
  }
  const form = $('#offer');
  form.dataset.value = name ?? '0x' + entry.value.toString(16).toUpperCase();
  $('#offer-text').textContent = `Bind ${key.querySelector('.cap').textContent} (${form.dataset.value})`;
  const select = $('#offer-action');
  select.value = editor.selected.startsWith('KB_') ? editor.selected : select.options[0].value;
  form.hidden = false;
  select.focus();
}

async function openWithPicker() {
  try {
    const [handle] = await window.showOpenFilePicker({
      types: [{description: 'Binding file', accept: {'text/plain': ['.ini']}}]});
    const file = await handle.getFile();
    openBytes(new Uint8Array(await file.arrayBuffer()), file.name, handle);
  } catch (error) {
    if (error.name !== 'AbortError') {
      say(`Could not open the file: ${error.message}`, true);
    }
  }
}

async function openFile(file, handle) {
  openBytes(new Uint8Array(await file.arrayBuffer()), file.name, handle);
}

function wireEvents() {
  window.addEventListener('keydown', onKeyDown, true);
  window.addEventListener('beforeunload', (event) => {
    if (isDirty()) {
      event.preventDefault();
      event.returnValue = '';
    }
  });
  document.addEventListener('click', (event) => {
    if (editor.waitingFor && !event.target.closest('.key-cell.waiting, #waiting, #keyboard')) {
      stopWaiting();
    }
  });

  const table = $('#bindings');
  table.addEventListener('click', (event) => {
    const cell = event.target.closest('[data-binding]');
    if (!cell) {
      return;
    }
    editor.selected = cell.dataset.binding;
    if (cell.classList.contains('key-cell')) {
      event.stopPropagation();
      if (editor.waitingFor === cell.dataset.binding) {
        stopWaiting();
      } else {
        startWaiting(cell.dataset.binding);
      }
    } else {
      render();
    }
  });
  table.addEventListener('focusin', (event) => {
    const cell = event.target.closest('[data-binding]');
    if (cell && !editor.waitingFor) {
      editor.selected = cell.dataset.binding;
      for (const other of table.querySelectorAll('.selected')) {
        other.classList.toggle('selected', other === cell);
      }
      cell.classList.add('selected');
    }
  });
  table.addEventListener('input', (event) => onPadInput(event.target));
  table.addEventListener('change', (event) => commitPad(event.target));
  table.addEventListener('keydown', (event) => {
    if (event.key === 'Enter' && event.target.matches('input')) {
      commitPad(event.target);
    }
  });

  $('#keyboard').addEventListener('click', (event) => {
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
  $('#offer').addEventListener('submit', (event) => {
    event.preventDefault();
    $('#offer').hidden = true;
    editor.selected = $('#offer-action').value;
    bindKey(editor.selected, $('#offer').dataset.value);
  });
  $('#offer-cancel').addEventListener('click', () => {
    $('#offer').hidden = true;
  });
  $('#pick-key').addEventListener('click', () => {
    const binding = editor.waitingFor;
    stopWaiting();
    bindKey(binding, $('#key-list').value);
  });
  $('#stop-waiting').addEventListener('click', stopWaiting);

  $('[data-test=open]').addEventListener('change', async (event) => {
    const [file] = event.target.files;
    if (file) {
      await openFile(file, null);
    }
    event.target.value = '';
  });
  if (window.showOpenFilePicker) {
    $('#open-file').hidden = false;
    $('#open-copy-note').hidden = false;
    $('#open-file').addEventListener('click', openWithPicker);
  }
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
    if (!item) {
      return;
    }
    const file = item.getAsFile();
    const handlePromise = item.getAsFileSystemHandle ? item.getAsFileSystemHandle()
                                                     : Promise.resolve(null);
    handlePromise.catch(() => null).then((handle) => openFile(file, handle));
  });

  $('#save').addEventListener('click', save);
  $('#undo').addEventListener('click', () =>
    stepHistory(editor.undoStack, editor.redoStack, 'Undone.'));
  $('#redo').addEventListener('click', () =>
    stepHistory(editor.redoStack, editor.undoStack, 'Redone.'));
  $('#unset').addEventListener('click', () => unsetBinding(editor.selected));
  $('#reset-all').addEventListener('click', resetAll);
  $('#fix-all').addEventListener('click', fixAll);

  $('#code-page').addEventListener('change', (event) => {
    editor.codePage = Number(event.target.value);
    settings.put('codePage', event.target.value);
    analyse();
  });
  $('#layout').addEventListener('change', (event) => {
    editor.layout = event.target.value;
    settings.put('layout', editor.layout);
    drawKeyboard($('#keyboard'), editor.layout, (code) => editor.keyOfCode.get(code)?.name);
    renderKeyboard();
  });
}

function startEditor() {
  const vocabulary = Bridge.vocabulary();
  vocabulary.nameOfValue = new Map(vocabulary.keyNames.map((k) => [k.value, k.name]));
  editor.vocabulary = vocabulary;
  for (const key of vocabulary.browserKeys) {
    editor.keyOfCode.set(key.code, key);
    editor.codesOfValue.set(key.value, [...(editor.codesOfValue.get(key.value) || []), key.code]);
  }
  $('#key-list').replaceChildren(...vocabulary.keyNames.map((k) => new Option(k.name, k.name)));
  $('#offer-action').replaceChildren(
    ...vocabulary.actions.map((action) => new Option(action, 'KB_' + action)));

  const codePage = settings.get('codePage', '1252');
  editor.codePage = kDecoderLabels[codePage] ? Number(codePage) : 1252;
  $('#code-page').value = String(editor.codePage);
  const layout = settings.get('layout', 'us104');
  editor.layout = KeyboardLayouts[layout] ? layout : 'us104';
  $('#layout').value = editor.layout;

  buildTable();
  drawKeyboard($('#keyboard'), editor.layout, (code) => editor.keyOfCode.get(code)?.name);
  wireEvents();
  analyse();
  document.body.dataset.ready = 'true';
}

var Module = {onRuntimeInitialized: startEditor, encodeUtf16: Bridge.encodeUtf16};
