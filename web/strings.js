// The page's sentences. Their words are in the message catalogue (po/, as
// "page.<identifier>"), one text per language, generated into kCatalogue when
// the page is built. Here is only what a sentence takes: the names of its
// {values}, in the order the page passes them. Binding names, key names,
// numbers and file names are passed in, never part of a sentence.
'use strict';

const kStringValues = {
  pageTitle: ['file', 'dirty'],
  unsetSelected: ['binding'],
  noKey: ['value'],
  keyCellName: ['action', 'value'],
  padCellName: ['action'],
  sharedMark: ['text'],
  waitingText: ['binding'],
  mainRowKey: ['value', 'cap'],
  offerText: ['cap', 'value'],
  keyName: ['cap', 'name', 'actions'],
  moreFindings: ['count'],
  opened: ['file', 'size'],
  openedFolder: ['file'],
  couldNotOpen: ['message'],
  notText: ['file', 'kind'],
  notTextKind: ['what'],
  notOpened: ['file'],
  changed: ['line', 'after', 'before'],
  added: ['line', 'after'],
  couldNot: ['binding'],
  unknownKey: ['code'],
  resetAsk: ['count'],
  fixed: ['changes'],
  converted: ['from'],
  leftToDecide: ['count'],
  swapText: ['value', 'other', 'old'],
  swapAsk: ['change', 'question'],
  undoneOf: ['names'],
  redoneOf: ['names'],
  swapped: ['other', 'old'],
  backupAsk: ['file'],
  saved: ['file'],
  savedWithBackup: ['file'],
  changedOnDisk: ['file'],
  notSaved: ['message'],
  keepCodePage: ['codePage'],
  turnedOff: ['binding', 'lines'],
  waitCancelled: ['binding'],
  padKept: ['refusal', 'binding'],
  historyDropped: ['count'],
};

// Sentences whose words change with their values: the identifier of the form to use.
const kStringForms = {
  pageTitle: (file, dirty) => (dirty ? 'pageTitle' : 'pageTitleSaved'),
  keyName: (cap, name, actions) => (actions.length ? 'keyName' : 'keyNameAlone'),
  leftToDecide: (count) => (count === 1 ? 'leftToDecideOne' : 'leftToDecide'),
};

// The languages of the page, each named in its own language.
const kLanguages = {en: 'English', ja: '日本語'};
const kListSeparators = {en: ', ', ja: '、'};
// Between two sentences: a space after '.', nothing after '。'.
const kSentenceSeparators = {en: ' ', ja: ''};

function sentences(...parts) {
  return parts.join(kSentenceSeparators[pageLanguage.current] ?? ' ');
}

// The language the page speaks; chosen by chooseLanguage in editor.js.
const pageLanguage = {current: 'en'};

function catalogueText(key, language = pageLanguage.current) {
  const own = kCatalogue[language]?.[key];
  return own !== undefined ? own : kCatalogue.en[key];
}

// The sentence `id`, filled with `values`: a list is joined as the language
// joins lists.
function text(id, ...values) {
  const form = kStringForms[id] ? kStringForms[id](...values) : id;
  const words = catalogueText(`page.${form}`);
  if (words === undefined) {
    throw new Error(`no page string ${id}`);
  }
  const names = kStringValues[id] || [];
  const separator = kListSeparators[pageLanguage.current] || ', ';
  return words.replace(/\{(\w+)\}/g, (whole, name) => {
    const index = names.indexOf(name);
    if (index < 0) return whole;
    const value = values[index];
    return Array.isArray(value) ? value.join(separator) : String(value);
  });
}

// An action's gloss in the page's language, as it follows the name: Run（走る）,
// or Run (run).
function glossOf(action) {
  const gloss = catalogueText(`gloss.${action}`);
  if (gloss === undefined) return '';
  return pageLanguage.current === 'ja' ? `（${gloss}）` : ` (${gloss})`;
}

function actionWithGloss(action) {
  return action + glossOf(action);
}
