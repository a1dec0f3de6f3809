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
  analyse(bytes, codePage) {
    return Bridge.call('kio_analyse', [bytes], [codePage]);
  },
  set(bytes, binding, value, codePage) {
    return Bridge.call('kio_set', [bytes, binding, value], [codePage]);
  },
  unset(bytes, binding, codePage) {
    return Bridge.call('kio_unset', [bytes, binding], [codePage]);
  },
  fix(bytes, codePage) {
    return Bridge.call('kio_fix', [bytes], [codePage]);
  },

  bytesOf(byteString) {
    return Uint8Array.from(byteString, (c) => c.charCodeAt(0));
  },
};
