// The page's language and the code page a file seems to be written in.
'use strict';

// The player's saved choice, else the first of the browser's languages the page
// speaks ("ja-JP" is Japanese), else English.
function chooseLanguage(saved, browserLanguages) {
  if (saved && kLanguages[saved]) {
    return saved;
  }
  for (const tag of browserLanguages || []) {
    const primary = String(tag).toLowerCase().split('-')[0];
    if (kLanguages[primary]) {
      return primary;
    }
  }
  return 'en';
}

// What a page in `language` starts on where the player has chosen nothing.
function languageDefaults(language) {
  return language === 'ja' ? {codePage: '932', layout: 'jis109'}
                           : {codePage: '1252', layout: 'us104'};
}

function decodes(bytes, label) {
  try {
    new TextDecoder(label, {fatal: true}).decode(bytes);
    return true;
  } catch {
    return false;
  }
}

// Whether some byte is a lead byte of the code page, as the C++ knows them.
function hasLeadByte(bytes, codePage) {
  const lead = new Uint8Array(256);
  Bridge.codePage(codePage).leadBytes.forEach((byte) => {
    lead[byte] = 1;
  });
  return bytes.some((byte) => lead[byte] === 1);
}

// When the file's bytes make sense in the other one of 1252 and 932, the
// sentence that says so and the code page to offer; null otherwise.
function codePageHint(bytes, codePage) {
  if (!bytes.some((byte) => byte >= 0x80)) {
    return null;
  }
  // UTF-16 text is converted, not read in a code page; UTF-8 text reads wrongly
  // in both code pages: the findings say what to do.
  const encoding = Bridge.encoding(bytes, codePage);
  if (encoding.utf16 || encoding.utf8) {
    return null;
  }
  const shiftJis = decodes(bytes, Bridge.decoderLabel(932));
  // A 1252 text with only single-byte katakana positions is no reason to switch.
  if (codePage === 1252 && shiftJis && hasLeadByte(bytes, 932)) {
    return {says: 'looksShiftJis', switchTo: 932, button: 'switchTo932'};
  }
  if (codePage === 932 && !shiftJis) {
    return {says: 'looksWestern', switchTo: 1252, button: 'switchTo1252'};
  }
  return null;
}
