// Every sentence the page shows, by identifier. A value is a string, or a
// function of the names and numbers the sentence carries. Binding names, key
// names, numbers and file names are passed in, never part of a sentence.
'use strict';

const kStrings = {
  title: 'kio binding editor',
  pageTitle: (file, dirty) => `${dirty ? '* ' : ''}${file} — kio binding editor`,
  openFolder: 'Open folder…',
  openFolderTip: 'Saves go back to input.ini in that folder and keep input.ini.bak',
  openFile: 'Open file…',
  openFileTip: 'Saves go back to that file; no backup is kept',
  openCopy: 'Open a copy…',
  openCopyTip: 'Save downloads input.ini',
  newEmpty: 'New empty file',
  newExample: 'New from the example',
  save: 'Save',
  saveDirty: 'Save*',
  saveTip: 'Ctrl+S',
  undo: 'Undo',
  undoTip: 'Ctrl+Z',
  redo: 'Redo',
  redoTip: 'Ctrl+Y',
  unset: 'Unset',
  unsetSelected: (binding) => `Unset ${binding}`,
  unsetNothing: 'Select a binding in the table first',
  resetAll: 'Reset all',
  fixAll: 'Fix all',
  codePage: 'Code page',
  keyboardLayout: 'Keyboard',
  layoutUs: 'US 104 keys',
  layoutJis: 'Japanese 109 keys',
  cp1252: '1252 Western',
  cp932: '932 Japanese',
  cp936: '936 Simplified Chinese',
  cp949: '949 Korean',
  cp950: '950 Traditional Chinese',

  startTitle: 'No file is open',
  startText: 'Open input.ini from the game’s folder (or drop it on the page). ' +
             'Nothing is bound, turned off or saved before a file is open. ' +
             'A new file holds only the lines you set: put in place of the game’s ' +
             'input.ini, it replaces every binding there.',
  noFileYet: 'No file is open: open input.ini, or start a new file.',

  bindingsTitle: 'Bindings',
  bindingsHint: 'Arrow keys move through the table; Enter or a click waits for a key, ' +
                'Delete unsets. Pad values are the game’s button numbers: 0x and 1 to 8 ' +
                'hex digits. “default”: no line sets it; the game keeps its own.',
  columnAction: 'Action',
  columnKeyboard: 'Keyboard',
  columnPad: 'Pad',
  columnLines: 'Lines',
  columnLinesTip: 'The lines that set the keyboard and the pad value',
  defaultValue: 'default',
  pressAKey: 'press a key',
  noKey: (value) => `no key (${value})`,
  keyCellName: (action, value) => `${action}, keyboard: ${value}`,
  padCellName: (action) => `${action}, pad value`,
  sharedMark: (text) => `Shared: ${text}`,

  waitingText: (binding) => `Press the key for ${binding}.`,
  waitingHow: 'Every key binds, Esc and Tab too. Shift+Tab: pick from the list or cancel. ' +
              'Shift+Esc: cancel.',
  orPick: 'or pick',
  bind: 'Bind',
  cancel: 'Cancel',
  mainRowKey: (value, cap) => `${value} (main-row ${cap})`,

  offerText: (cap, value) => `Bind ${cap} (${value})`,
  offerTo: 'to',

  keyboardTitle: 'Keyboard',
  keyboardName: 'Keyboard picture: arrow keys move, Enter binds the key',
  legendBound: 'bound',
  legendTwice: 'bound to two or more actions',
  mainRowNote: 'Main-row - and / have no key name of their own (minus and slash are ' +
               'the numpad’s), so the file gets 0xC and 0x35 for them.',
  keyName: (cap, name, actions) => `${cap} (${name})${actions.length ? ': ' + actions.join(', ') : ''}`,
  noKeyName: 'the game cannot see it',
  keyDetailHint: 'Point at a key or move to it to see all its actions.',

  findingsTitle: 'Findings',
  noProblems: 'No problems found.',
  sharedNote: (what, actions) => `note: ${what} is shared by ${actions.join(', ')}; ` +
                                 'fine if meant (menu and play actions often share keys)',
  nulHelp: 'This page cannot remove a NUL byte: the file view shows it as ␀. Delete it ' +
           'in a text editor, or unset the binding of that line here.',
  moreFindings: (count) => `and ${count} more: the file view marks their lines.`,

  fileTitle: 'File',
  legendChanged: 'will change on save',
  fileEmpty: '(empty file)',

  opened: (file, size) => `Opened ${file} (${size} bytes).`,
  openedFolder: (file) => `Opened ${file} from the folder: Save keeps ${file}.bak.`,
  openedNew: 'New file: it holds only the lines you set.',
  openedExample: 'New file from the example.',
  notInFolder: 'The folder has no input.ini.',
  couldNotOpen: (message) => `Could not open the file: ${message}`,
  discard: 'Discard the unsaved changes?',
  notText: (file, kind) => `${file} does not look like a text file (${kind}). ` +
                           'A binding file is text; editing this one would write lines into it.',
  notTextKind: (what) => `it starts like ${what}`,
  notTextControls: 'it is full of control bytes',
  openAnyway: 'Open it anyway',
  notOpened: (file) => `${file} was not opened.`,

  changed: (line, after, before) => `Line ${line}: ${after} (was ${before})`,
  added: (line, after) => `Line ${line}: ${after} (added)`,
  nothingToChange: 'Nothing to change.',
  couldNot: (binding) => `Could not change ${binding}.`,
  undone: 'Undone.',
  redone: 'Redone.',
  nothingToUndo: 'Nothing to undo.',
  nothingToRedo: 'Nothing to redo.',
  unknownKey: (code) => `The game cannot see the key ${code}; choose another.`,
  padFormat: (binding, value) => `${binding}: “${value}” is not a pad value (0x and 1 to 8 ` +
                                 'hexadecimal digits, such as 0x10); it keeps its value.',
  padCleared: (binding) => `${binding} is unset: the game keeps its own value.`,
  resetAsk: (count) => `Reset all turns off ${count} line(s): every binding goes back to ` +
                       'the game’s default. Undo brings them back.',
  resetDone: 'Every binding is back to the game’s default.',
  fixed: (changes) => `Fixed: ${changes}.`,
  fixedNothing: 'Fix all found nothing it can fix by itself.',
  converted: (from) => `Converted from ${from}.`,
  leftToDecide: (count) => `${count} finding(s) need a decision of yours.`,
  swapText: (value, other, old) => `${value} is also ${other}’s. Swap: give ${other} ${old}?`,
  swap: 'Swap',
  keepBoth: 'Keep both',
  swapped: (other, old) => `Swapped: ${other} now has ${old}.`,

  backupAsk: (file) => `Only ${file} was granted, so no backup is kept when saving over it. ` +
                       'Download the current file first to keep a copy (or use Open folder…).',
  downloadFirst: 'Download a copy first',
  saveAnyway: 'Save without a backup',
  saved: (file) => `Saved ${file}.`,
  savedWithBackup: (file) => `Saved ${file}; the old one is ${file}.bak.`,
  downloaded: 'Downloaded input.ini: put it beside the game, in place of the old one.',
  downloadedNew: 'Downloaded input.ini. It holds only the lines set here: put in place of ' +
                 'the game’s input.ini, it replaces every binding there.',
  downloadedCopy: 'Downloaded the current file as input.ini.bak.',
  changedOnDisk: (file) => `Not saved: ${file} changed on disk since it was opened. ` +
                           'Open it again to see the change.',
  notSaved: (message) => `Not saved, the file is as it was: ${message}`,
  dropHint: 'Drop input.ini to open it',
};

// The sentence `id`, filled with `values`.
function text(id, ...values) {
  const entry = kStrings[id];
  if (entry === undefined) {
    throw new Error(`no page string ${id}`);
  }
  return typeof entry === 'function' ? entry(...values) : entry;
}
