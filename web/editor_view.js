// What the page shows of the file: the table, the keyboard picture, the file
// view, the findings with the rows that share a key, and the toolbar's state.
'use strict';

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

// The words of the table's rows, in the page's language: each action's name
// with its gloss beside it.
function labelTable() {
  for (const row of document.querySelectorAll('#bindings tbody tr')) {
    const action = row.dataset.action;
    const gloss = document.createElement('span');
    gloss.className = 'gloss';
    gloss.textContent = glossOf(action).trim();
    // The space outside the gloss's box: inside, it would not show.
    const space = glossOf(action).startsWith(' ') ? ' ' : '';
    row.querySelector('th').replaceChildren(action, space, gloss);
    const input = row.querySelector('input');
    input.placeholder = text('defaultValue');
    input.setAttribute('aria-label', text('padCellName', action));
  }
  $('#offer-action').replaceChildren(...editor.vocabulary.actions.map(
    (action) => new Option(actionWithGloss(action), 'KB_' + action)));
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

// The shared keys and pad buttons kiobind check finds (K501, K502), each with
// the bindings that hold it: [{finding, names}].
function sharedValues() {
  return editor.analysis.findings.filter((finding) => /^K50[12]$/.test(finding.id)).map(
    (finding) => ({finding, names: [finding.arguments.binding,
                                    ...finding.arguments.others.split(', ')]}));
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
  if (waiting) {
    button.setAttribute('aria-describedby', 'waiting');
  } else {
    button.removeAttribute('aria-describedby');
  }
  let name = valueText(binding.value);
  let cap = '';
  if (waiting) {
    name = text('pressAKey');
  } else if (!set) {
    name = text('defaultValue');
  } else if (binding.value === 0) {
    name = text('noKey', padText(0));
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
      // A keycap stays whole (半/全); a note about the key (main-row -) wraps.
      capSpan.classList.toggle('note', /\s/.test(cap));
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
    input.value = binding.line === null ? '' : padText(binding.value);
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
  for (const {finding, names} of shared) {
    for (const name of names) {
      sharedRows.set(actionOf(name), [...(sharedRows.get(actionOf(name)) || []),
                                       Bridge.words(finding.message)]);
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
  // Names that do not fit their key shrink to their short names, read out in
  // full; the key's tooltip and the line under the picture give them too.
  const crowded = keys.filter((key) => {
    const actions = key.querySelector('.actions');
    return actions.textContent && (actions.scrollHeight > actions.clientHeight + 1 ||
                                   actions.scrollWidth > actions.clientWidth);
  });
  for (const key of crowded) {
    const actions = labels.get(key.dataset.code);
    key.classList.add('crowded');
    const short = document.createElement('span');
    short.setAttribute('aria-hidden', 'true');
    short.textContent = actions.map((action) => kActionShortNames[action] ?? action).join(' ');
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
  editor.fileView.show(lines, (line) => Bridge.shown(line, editor.codePage), (index) => {
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

function renderFindings(byLine) {
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
  // UTF-16 text is full of NUL bytes, and its finding says Fix all converts it.
  const utf16 = editor.analysis.findings.some((finding) => finding.id === 'K101');
  if (!utf16 && editor.bytes.includes(0)) {
    items.push(findingItem('note', text('nulHelp'), 'nul-help'));
  }
  if (items.length === 0) {
    // With no file open there is nothing to find fault with yet.
    items.push(findingItem('clean', text(editor.opened ? 'noProblems' : 'noFileYet')));
  }
  $('#findings').replaceChildren(...items);
}

// A toolbar button that disables under focus hands it on, so the player's place
// is kept: Unset and Fix all to the selected row they acted on (a second Enter
// on a neighbour such as Reset all would do something else), the others to the
// nearest enabled button of the toolbar.
function keepFocusInToolbar(button) {
  if (!button.disabled) {
    return;
  }
  if ((button.id === 'unset' || button.id === 'fix-all') && editor.selected) {
    cellControl(editor.selected).focus();
    return;
  }
  const buttons = [...document.querySelectorAll('.toolbar button')];
  const at = buttons.indexOf(button);
  for (let distance = 1; distance < buttons.length; ++distance) {
    const neighbour = [buttons[at + distance], buttons[at - distance]]
      .find((b) => b && !b.disabled && !b.hidden);
    if (neighbour) {
      neighbour.focus();
      return;
    }
  }
}

function renderToolbar() {
  const dirty = isDirty();
  const opened = editor.opened;
  const focused = document.activeElement;
  $('#save').disabled = !opened;
  $('#save').textContent = text(dirty ? 'saveDirty' : 'save');
  $('#undo').disabled = !editor.history.canUndo();
  $('#redo').disabled = !editor.history.canRedo();
  const selected = opened && editor.selected ? bindingOf(editor.selected) : null;
  $('#unset').disabled = !selected || selected.line === null;
  $('#unset').textContent = selected ? text('unsetSelected', selected.name) : text('unset');
  $('#unset').title = selected ? '' : text('unsetNothing');
  $('#reset-all').disabled = !opened || !editor.analysis.bindings.some((b) => b.line !== null);
  $('#fix-all').disabled = !opened || editor.analysis.findings.length === 0;
  $('#start').hidden = opened;
  $('#work').inert = !opened;
  document.title = opened ? text('pageTitle', editor.fileName, dirty) : text('title');
  if (focused?.matches('.toolbar button')) {
    keepFocusInToolbar(focused);
  }
}

function render() {
  const byLine = findingsByLine();
  const shared = sharedValues();
  renderTable(byLine, shared);
  renderKeyboard();
  renderFile(byLine);
  renderFindings(byLine);
  renderToolbar();
}
