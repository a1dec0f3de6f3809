// The keyboard picture: where each key sits on a US 104-key and a Japanese
// 109-key keyboard, in key units, and the drawing of it. Keys are named by
// KeyboardEvent.code; the page adds the key names the file uses.
'use strict';

const KeyboardLayouts = (() => {
  // A row of keys from x = `start`: a string is a key of width 1 labelled by
  // its code's last part; [code, label, width, height] spells it out; a number
  // is a gap of that many units.
  function row(y, start, items) {
    const keys = [];
    let x = start;
    for (const item of items) {
      if (typeof item === 'number') {
        x += item;
        continue;
      }
      const [code, label, width = 1, height = 1] =
        typeof item === 'string' ? [item, item.replace(/^(Key|Digit|Numpad)/, '')] : item;
      keys.push({code, label, x, y, width, height});
      x += width;
    }
    return keys;
  }

  const functionRow = row(0, 0, [
    ['Escape', 'Esc'], 1, 'F1', 'F2', 'F3', 'F4', 0.5, 'F5', 'F6', 'F7', 'F8', 0.5,
    'F9', 'F10', 'F11', 'F12', 0.25, ['PrintScreen', 'Prt Sc'], ['ScrollLock', 'Scr Lk'],
    ['Pause', 'Pause']]);
  const navigation = [
    ...row(1.25, 15.25, [['Insert', 'Ins'], ['Home', 'Home'], ['PageUp', 'Pg Up']]),
    ...row(2.25, 15.25, [['Delete', 'Del'], ['End', 'End'], ['PageDown', 'Pg Dn']]),
    ...row(4.25, 16.25, [['ArrowUp', '↑']]),
    ...row(5.25, 15.25, [['ArrowLeft', '←'], ['ArrowDown', '↓'], ['ArrowRight', '→']]),
  ];
  const numpad = [
    ...row(1.25, 18.5, [['NumLock', 'Num Lk'], ['NumpadDivide', '/'], ['NumpadMultiply', '*'],
                        ['NumpadSubtract', '-']]),
    ...row(2.25, 18.5, ['Numpad7', 'Numpad8', 'Numpad9', ['NumpadAdd', '+', 1, 2]]),
    ...row(3.25, 18.5, ['Numpad4', 'Numpad5', 'Numpad6']),
    ...row(4.25, 18.5, ['Numpad1', 'Numpad2', 'Numpad3', ['NumpadEnter', 'Enter', 1, 2]]),
    ...row(5.25, 18.5, [['Numpad0', '0', 2], ['NumpadDecimal', '.']]),
  ];
  const digits = ['Digit1', 'Digit2', 'Digit3', 'Digit4', 'Digit5', 'Digit6', 'Digit7',
                  'Digit8', 'Digit9', 'Digit0'];
  const topLetters = ['KeyQ', 'KeyW', 'KeyE', 'KeyR', 'KeyT', 'KeyY', 'KeyU', 'KeyI', 'KeyO', 'KeyP'];
  const homeLetters = ['KeyA', 'KeyS', 'KeyD', 'KeyF', 'KeyG', 'KeyH', 'KeyJ', 'KeyK', 'KeyL'];
  const bottomLetters = ['KeyZ', 'KeyX', 'KeyC', 'KeyV', 'KeyB', 'KeyN', 'KeyM'];

  const us104 = [
    ...functionRow,
    ...row(1.25, 0, [['Backquote', '`'], ...digits, ['Minus', '-'], ['Equal', '='],
                     ['Backspace', 'Backspace', 2]]),
    ...row(2.25, 0, [['Tab', 'Tab', 1.5], ...topLetters, ['BracketLeft', '['],
                     ['BracketRight', ']'], ['Backslash', '\\', 1.5]]),
    ...row(3.25, 0, [['CapsLock', 'Caps', 1.75], ...homeLetters, ['Semicolon', ';'],
                     ['Quote', "'"], ['Enter', 'Enter', 2.25]]),
    ...row(4.25, 0, [['ShiftLeft', 'Shift', 2.25], ...bottomLetters, ['Comma', ','],
                     ['Period', '.'], ['Slash', '/'], ['ShiftRight', 'Shift', 2.75]]),
    ...row(5.25, 0, [['ControlLeft', 'Ctrl', 1.25], ['MetaLeft', 'Win', 1.25],
                     ['AltLeft', 'Alt', 1.25], ['Space', 'Space', 6.25], ['AltRight', 'Alt', 1.25],
                     ['MetaRight', 'Win', 1.25], ['ContextMenu', 'Menu', 1.25],
                     ['ControlRight', 'Ctrl', 1.25]]),
    ...navigation, ...numpad,
  ];

  const jis109 = [
    ...functionRow,
    ...row(1.25, 0, [['Backquote', '半/全'], ...digits, ['Minus', '-'], ['Equal', '^'],
                     ['IntlYen', '¥'], ['Backspace', 'BS']]),
    ...row(2.25, 0, [['Tab', 'Tab', 1.5], ...topLetters, ['BracketLeft', '@'],
                     ['BracketRight', '['], 0.25, ['Enter', 'Enter', 1.25, 2]]),
    ...row(3.25, 0, [['CapsLock', '英数', 1.75], ...homeLetters, ['Semicolon', ';'],
                     ['Quote', ':'], ['Backslash', ']']]),
    ...row(4.25, 0, [['ShiftLeft', 'Shift', 2.25], ...bottomLetters, ['Comma', ','],
                     ['Period', '.'], ['Slash', '/'], ['IntlRo', '\\ ろ'],
                     ['ShiftRight', 'Shift', 1.75]]),
    ...row(5.25, 0, [['ControlLeft', 'Ctrl', 1.25], ['MetaLeft', 'Win', 1.25],
                     ['AltLeft', 'Alt', 1.25], ['NonConvert', '無変換', 1.25],
                     ['Space', 'Space', 2.5], ['Convert', '変換', 1.25], ['KanaMode', 'かな', 1.25],
                     ['AltRight', 'Alt', 1.25], ['MetaRight', 'Win', 1.25],
                     ['ContextMenu', 'Menu', 1.25], ['ControlRight', 'Ctrl', 1.25]]),
    ...navigation, ...numpad,
  ];

  return {us104, jis109, width: 22.5, height: 6.25};
})();

// What a crowded key shows for each action bound to it: short enough for a
// key, unlike any other (the page's test holds them to that), and read out in
// full by the key's accessible name and title.
const kActionShortNames = {
  MoveForward: 'Move↑', MoveBackward: 'Move↓', MoveLeft: 'Move←', MoveRight: 'Move→',
  TurnRight: 'Turn→', TurnLeft: 'Turn←', Up: '↑', Down: '↓', Left: '←', Right: '→',
  Enter: 'Enter', Action: 'Act', Cancel: 'Canc', SkipDemo: 'Skip', Pause: 'Pause',
  Pose: 'Pose', Evade: 'Evade', RearCamera: 'Rear', Run: 'Run', ScrapBook: 'Scrap',
  Map: 'Map', Item: 'Item', Iteminfo: 'Info', CameraLeft: 'Cam←', CameraRight: 'Cam→',
  CameraUp: 'Cam↑', CameraDown: 'Cam↓',
};

// The keycap of `code` on the chosen layout where it is not the US keycap the
// key names follow (the 109-key @ is the US [), or null.
function differingCap(layoutName, code) {
  const cap = (keys) => keys.find((key) => key.code === code)?.label;
  const own = cap(KeyboardLayouts[layoutName] || KeyboardLayouts.us104);
  return own !== undefined && own !== cap(KeyboardLayouts.us104) ? own : null;
}

// Draws a layout into `container`: one button per key, carrying data-code and,
// where the file can name the key, data-key with that name. `fileName(code)`
// gives the name or 0x number the file uses, shown where the keycap differs.
// Only one key is a tab stop; arrow keys move between keys.
function drawKeyboard(container, layoutName, nameOfCode, fileName) {
  const layout = KeyboardLayouts[layoutName] || KeyboardLayouts.us104;
  const board = document.createElement('div');
  board.className = 'board';
  board.style.setProperty('--columns', KeyboardLayouts.width);
  board.style.setProperty('--rows', KeyboardLayouts.height);
  for (const key of layout) {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'key';
    button.tabIndex = key === layout[0] ? 0 : -1;
    button.dataset.code = key.code;
    const name = nameOfCode(key.code);
    if (name) {
      button.dataset.key = name;
    }
    for (const [property, value] of [['--x', key.x], ['--y', key.y], ['--w', key.width],
                                     ['--h', key.height]]) {
      button.style.setProperty(property, value);
    }
    const top = document.createElement('span');
    top.className = 'top';
    const cap = document.createElement('span');
    cap.className = 'cap';
    cap.textContent = key.label;
    cap.classList.toggle('long', key.label.length > 3 && key.width < 1.5);
    top.append(cap);
    // The file's name for the key: shown where the keycap differs, else only read out.
    const shown = document.createElement('span');
    shown.className = !name || differingCap(layoutName, key.code) !== null ? 'file-name'
                                                                          : 'file-name unseen';
    // A narrow key wraps a long name only where it reads as two parts
    // (abnt_ c1, no convert), never inside a word.
    const parts = fileName(key.code).split(/(?<=_)|(?<=^no)(?=convert$)/);
    shown.append(...parts.flatMap((part, index) => (index ? [document.createElement('wbr'), part]
                                                          : [part])));
    top.append(' ', shown);
    const actions = document.createElement('span');
    actions.className = 'actions';
    button.append(top, actions);
    board.append(button);
  }
  board.addEventListener('keydown', (event) => moveAmongKeys(board, event));
  container.replaceChildren(board);
}

const kArrowDirections = {ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1],
                          ArrowDown: [0, 1]};

// Arrow keys: to the nearest key that way, rows weighing more than columns.
function moveAmongKeys(board, event) {
  const direction = kArrowDirections[event.key];
  const from = event.target.closest('.key');
  if (!direction || !from) {
    return;
  }
  event.preventDefault();
  const centre = (key) => {
    const style = key.style;
    const value = (name) => Number(style.getPropertyValue(name));
    return [value('--x') + value('--w') / 2, value('--y') + value('--h') / 2];
  };
  const [x, y] = centre(from);
  let best = null;
  let bestCost = Infinity;
  for (const key of board.querySelectorAll('.key')) {
    const [kx, ky] = centre(key);
    const along = (kx - x) * direction[0] + (ky - y) * direction[1];
    const across = Math.abs((kx - x) * direction[1]) + Math.abs((ky - y) * direction[0]);
    const cost = along + across * 3;
    if (key !== from && along > 0.2 && cost < bestCost) {
      best = key;
      bestCost = cost;
    }
  }
  if (best) {
    from.tabIndex = -1;
    best.tabIndex = 0;
    best.focus();
  }
}
