// The page's way into the C++ (editor_api.cpp): bytes in, JSON out. Text taken
// from the file travels as "byte strings", one character per byte, and is
// decoded for display in the file's code page.
'use strict';

const Bridge = {
  // Calls export `name` with each argument given as bytes (a Uint8Array, or an
  // ASCII string) turned into a pointer and a length, then `extra` numbers.
  call(name, byteArguments, extra = []) {
    const pointers = [];
    try {
      const flat = [];
      for (const argument of byteArguments) {
        const bytes = typeof argument === 'string' ? Bridge.bytesOf(argument) : argument;
        const pointer = Module._malloc(Math.max(bytes.length, 1));
        pointers.push(pointer);
        Module.HEAPU8.set(bytes, pointer);
        flat.push(pointer, bytes.length);
      }
      const result = Module['_' + name](...flat, ...extra);
      if (!result) {
        throw new Error('out of memory');
      }
      try {
        return JSON.parse(Module.UTF8ToString(result));
      } finally {
        Module._free(result);
      }
    } finally {
      pointers.forEach((pointer) => Module._free(pointer));
    }
  },

  vocabulary() {
    return Bridge.call('kio_vocabulary', []);
  },
  // The words of findings and refusals come in the page's language, as UTF-8.
  languageId() {
    return pageLanguage.current === 'ja' ? 1 : 0;
  },
  analyse(bytes, codePage) {
    return Bridge.call('kio_analyse', [bytes], [codePage, Bridge.languageId()]);
  },
  set(bytes, binding, value, codePage) {
    return Bridge.call('kio_set', [bytes, binding, value], [codePage]);
  },
  unset(bytes, binding, codePage) {
    return Bridge.call('kio_unset', [bytes, binding], [codePage]);
  },
  fix(bytes, codePage) {
    return Bridge.call('kio_fix', [bytes], [codePage, Bridge.languageId()]);
  },
  // The code pages a file can be read in, 1252 first: {id, leadBytes,
  // trailBytes, decoder}, the decoder being the browser's name for it.
  codePages() {
    Bridge.pages = Bridge.pages || Bridge.call('kio_code_pages', []);
    return Bridge.pages;
  },
  codePage(id) {
    return Bridge.codePages().find((page) => page.id === id) ?? null;
  },
  // The TextDecoder label of a code page; 1252's for any other number.
  decoderLabel(id) {
    return (Bridge.codePage(id) ?? Bridge.codePages()[0]).decoder;
  },
  // Where each line starts and where its break starts, as an editor numbers
  // them: {starts, ends}.
  lines(bytes) {
    return Bridge.call('kio_lines', [bytes]);
  },
  // How the bytes are stored: {utf16: whether they look like UTF-16, utf8: whether the
  // bytes from 0x80 up read as UTF-8 under the code page (1252 by default)}.
  encoding(bytes, codePage = 1252) {
    return Bridge.call('kio_encoding', [bytes], [codePage]);
  },
  // Whether the bytes are text: 'text', 'controls' when too many bytes are
  // controls, or the kind of file they begin as ('png', 'zip', ...).
  textKind(bytes) {
    return Bridge.call('kio_text_kind', [bytes]).kind;
  },
  // Bytes of the file as the page shows them: decoded, with each byte the code
  // page has no form for and each control character but the tab as \xNN, as
  // the findings quote them.
  shown(bytes, codePage) {
    return Bridge.call('kio_shown', [bytes], [codePage]).text;
  },
  // A value as the file writes it: a keyboard binding's key name where it has
  // one, else 0x and the number (a pad binding's always).
  written(value, pad = false) {
    return Bridge.call('kio_written', [], [value, pad ? 1 : 0]).text;
  },
  // {value, refusal}: the value `binding` gets from `typed`, as kiobind set
  // takes it, or null and set's refusal in both languages. Typed text goes as
  // UTF-8, so no character passes as another.
  valueToSet(binding, typed, codePage) {
    Bridge.utf8Encoder = Bridge.utf8Encoder || new TextEncoder();
    return Bridge.call('kio_value', [binding, Bridge.utf8Encoder.encode(typed)], [codePage]);
  },
  // A finding's or a refusal's words: UTF-8, with the file's own bytes escaped.
  words(byteString) {
    Bridge.utf8 = Bridge.utf8 || new TextDecoder('utf-8');
    return Bridge.utf8.decode(Bridge.bytesOf(byteString));
  },

  // Each character of a code page with its bytes, read off the browser's decoder:
  // every single byte, and every lead byte with every trail byte, as the C++
  // knows them.
  encodingTable(codePage) {
    Bridge.tables = Bridge.tables || new Map();
    if (!Bridge.tables.has(codePage)) {
      const decoder = new TextDecoder(Bridge.decoderLabel(codePage), {fatal: true});
      const table = new Map();
      const add = (bytes) => {
        try {
          const character = decoder.decode(Uint8Array.from(bytes));
          if ([...character].length === 1 && !table.has(character)) {
            table.set(character, bytes);
          }
        } catch {
          // Not a character of this code page.
        }
      };
      for (let byte = 0; byte < 0x100; ++byte) {
        add([byte]);
      }
      const page = Bridge.codePage(codePage) ?? Bridge.codePages()[0];
      for (const lead of page.leadBytes) {
        for (const trail of page.trailBytes) {
          add([lead, trail]);
        }
      }
      Bridge.tables.set(codePage, table);
    }
    return Bridge.tables.get(codePage);
  },

  // Called from the C++ (utf16_encoding.cpp): UTF-16 code units to the code
  // page's bytes, in a block the C++ frees.
  encodeUtf16(pointer, count, codePage) {
    const units = Module.HEAPU16.slice(pointer >> 1, (pointer >> 1) + count);
    const table = Bridge.encodingTable(codePage);
    const bytes = [];
    let failed = -1;
    for (let i = 0; i < units.length && failed < 0; ++i) {
      const pair = units[i] >= 0xD800 && units[i] < 0xDC00 && i + 1 < units.length;
      const character = String.fromCharCode(...units.subarray(i, pair ? i + 2 : i + 1));
      const encoded = table.get(character);
      if (encoded) {
        bytes.push(...encoded);
        i += pair ? 1 : 0;
      } else {
        failed = i;
      }
    }
    const block = Module._malloc(8 + bytes.length);
    if (block) {
      const header = new DataView(Module.HEAPU8.buffer, block, 8);
      header.setInt32(0, failed < 0 ? 1 : 0, true);
      header.setInt32(4, failed < 0 ? bytes.length : failed, true);
      Module.HEAPU8.set(bytes, block + 8);
    }
    return block;
  },

  // Called from the C++ (utf16_encoding.cpp): a file's bytes decoded by the
  // browser, as UTF-8 in a block the C++ frees; status 0 when some byte has no
  // form in the code page.
  decodeToUtf8(pointer, count, codePage) {
    let text = null;
    try {
      text = new TextDecoder(Bridge.decoderLabel(codePage), {fatal: true})
        .decode(Module.HEAPU8.subarray(pointer, pointer + count));
    } catch {
      // Not text of this code page.
    }
    Bridge.toUtf8 = Bridge.toUtf8 || new TextEncoder();
    const bytes = text === null ? new Uint8Array(0) : Bridge.toUtf8.encode(text);
    const block = Module._malloc(8 + bytes.length);
    if (block) {
      const header = new DataView(Module.HEAPU8.buffer, block, 8);
      header.setInt32(0, text === null ? 0 : 1, true);
      header.setInt32(4, bytes.length, true);
      Module.HEAPU8.set(bytes, block + 8);
    }
    return block;
  },

  bytesOf(byteString) {
    // A plain loop: Uint8Array.from with a callback costs seconds on a 5 MB file.
    const bytes = new Uint8Array(byteString.length);
    for (let i = 0; i < byteString.length; ++i) {
      bytes[i] = byteString.charCodeAt(i);
    }
    return bytes;
  },
};
