// The player's keys and clicks: moving through the table, waiting for a key to
// bind, pad values typed, keys of the picture offered, the shortcuts.
'use strict';

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
  renderTable(findingsByLine(), sharedValues());
  // Clear of the panel at the bottom of the window.
  cellControl(binding).scrollIntoView({block: 'nearest'});
}

function stopWaiting() {
  editor.pendingModifier = null;
  if (editor.waitingFor) {
    const control = cellControl(editor.waitingFor);
    editor.waitingFor = null;
    const focused = document.activeElement;
    $('#waiting').hidden = true;
    renderTable(findingsByLine(), sharedValues());
    // Back to the cell, unless the player's click put focus elsewhere.
    if (!focused || focused === document.body || $('#waiting').contains(focused)) {
      control.focus();
    }
  }
}

// The player gave up waiting: said, so that the status does not still tell
// the edit before.
function cancelWaiting() {
  const binding = editor.waitingFor;
  stopWaiting();
  if (binding) {
    say(() => text('waitCancelled', binding));
  }
}

function fileNameOfCode(code) {
  const key = editor.keyOfCode.get(code);
  return key ? key.name ?? valueText(key.value) : '';
}

function bindCode(code) {
  const binding = editor.waitingFor;
  stopWaiting();
  const name = fileNameOfCode(code);
  if (!name) {
    say(() => text('unknownKey', code || '?'), true);
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
    cancelWaiting();
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
// Returns whether the key was taken.
function onWaitingPanelKey(event) {
  if (event.key === 'Escape') {
    cancelWaiting();
  } else if (event.key === 'Enter' && event.target.matches('select')) {
    $('#pick-key').click();
  } else if (event.key === 'Tab') {
    const controls = [...$('#waiting').querySelectorAll('select, button')];
    const at = controls.indexOf(event.target);
    controls[(at + (event.shiftKey ? -1 : 1) + controls.length) % controls.length].focus();
  } else {
    return false;
  }
  event.preventDefault();
  return true;
}

// ---- events ----

function onKeyDown(event) {
  const inWaitingPanel = $('#waiting').contains(event.target);
  if (editor.waitingFor && !inWaitingPanel) {
    onWaitingKey(event);
    return;
  }
  if (inWaitingPanel && onWaitingPanelKey(event)) {
    return;
  }
  if (event.key === 'Escape' && event.target.closest('#ask, #offer')) {
    event.preventDefault();
    (event.target.closest('#ask') ? $('#ask-buttons').lastElementChild : $('#offer-cancel')).click();
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

// The value a pad field's text sets, as kiobind set takes it; null where set
// refuses it.
function padValueOf(input) {
  return Bridge.valueToSet(input.parentElement.dataset.binding, input.value, editor.codePage).value;
}

function onPadInput(input) {
  const valid = input.value === '' || padValueOf(input) !== null;
  input.setAttribute('aria-invalid', String(!valid));
  return valid;
}

// A pad value is taken, an empty field unsets, and anything else is put back
// with the reason: the field always shows what the file says. With `stay` (Enter,
// Ctrl+S) focus comes back to the field; a commit on leaving it (Tab, a click
// elsewhere) lets focus go where the player sent it.
function commitPad(input, {stay = true} = {}) {
  // Blurring the field to redraw it fires its change event inside this call:
  // that one must not commit the same value a second time.
  if (input.dataset.committing) {
    return;
  }
  input.dataset.committing = 'yes';
  try {
    commitPadOnce(input, stay);
  } finally {
    delete input.dataset.committing;
  }
}

function commitPadOnce(input, stay) {
  const binding = input.parentElement.dataset.binding;
  const value = input.value;
  const current = bindingOf(binding);
  const shown = current.line === null ? '' : padText(current.value);
  if (value === shown) {
    return;
  }
  if (value === '') {
    if (current.line !== null) {
      input.blur();
      unsetBinding(binding);
      if (stay) {
        input.focus();
      }
    }
    return;
  }
  const answer = Bridge.valueToSet(binding, value, editor.codePage);
  const typed = answer.value;
  if (typed === null) {
    input.value = shown;
    input.removeAttribute('aria-invalid');
    const refusal = refusalWords(answer);
    say(() => text('padKept', refusal(), binding), true);
    return;
  }
  if (current.line !== null && typed === current.value) {
    input.value = shown;
    return;
  }
  input.blur();
  bindKey(binding, value, input);
  if (!$('#ask').hidden) {
    return;
  }
  if (stay) {
    input.focus();
  }
}

function offerKey(key) {
  const value = fileNameOfCode(key.dataset.code);
  if (!value) {
    say(() => text('unknownKey', key.dataset.code), true);
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
               place.kind === 'folder' ? () => text('openedFolder', place.name) : undefined);
  } catch (error) {
    if (error.name !== 'AbortError') {
      say(() => text('couldNotOpen', error.message), true);
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
        cancelWaiting();
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
  table.addEventListener('change', (event) => commitPad(event.target, {stay: false}));
  table.addEventListener('keydown', (event) => {
    if (event.key === 'Enter' && event.target.matches('input')) {
      // The Enter that commits must not also press the question it raises.
      event.preventDefault();
      commitPad(event.target);
      return;
    }
    moveInTable(event);
  });
}

function wirePrompts() {
  document.addEventListener('click', (event) => {
    if (editor.waitingFor && !event.target.closest('.key-cell.waiting, #waiting, #keyboard')) {
      cancelWaiting();
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
    const binding = $('#offer-action').value;
    select(binding);
    // Back to the picture's key, before the form that had focus is hidden.
    form.returnTo?.focus();
    form.hidden = true;
    bindKey(binding, form.dataset.value, form.returnTo);
  });
  $('#offer-action').addEventListener('keydown', (event) => {
    if (event.key === 'Enter') {
      // Not also pressing the swap question the binding may raise.
      event.preventDefault();
      $('#offer').requestSubmit();
    }
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
  $('#stop-waiting').addEventListener('click', cancelWaiting);
}
