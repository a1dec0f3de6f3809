// Where the file comes from and where saves go: a granted folder (saves keep
// input.ini.bak), a granted file (saves go over it, no backup), or a copy
// (saves download). Also tells a text file from one that is not.
'use strict';

// How files that are not text begin, and the page string naming each kind.
const kBinaryStarts = [
  [[0x89, 0x50, 0x4E, 0x47], 'kindPng'], [[0xFF, 0xD8, 0xFF], 'kindJpeg'],
  [[0x47, 0x49, 0x46, 0x38], 'kindGif'], [[0x50, 0x4B, 0x03, 0x04], 'kindZip'],
  [[0x25, 0x50, 0x44, 0x46], 'kindPdf'], [[0x4D, 0x5A], 'kindExe'],
  [[0x7F, 0x45, 0x4C, 0x46], 'kindElf'], [[0x52, 0x49, 0x46, 0x46], 'kindRiff'],
];
const kSniffLength = 65536;

// Why `bytes` do not look like text, or null when they do. UTF-16, as the
// C++ tells it, is text: Fix all converts it.
function notTextReason(bytes) {
  const start = bytes.subarray(0, kSniffLength);
  if (Bridge.encoding(start).utf16) {
    return null;
  }
  for (const [magic, what] of kBinaryStarts) {
    if (magic.every((byte, i) => start[i] === byte)) {
      return text('notTextKind', text(what));
    }
  }
  let odd = 0;
  start.forEach((byte) => {
    if ((byte < 0x20 && ![0x09, 0x0A, 0x0C, 0x0D, 0x1A, 0x1B].includes(byte)) || byte === 0x7F) {
      ++odd;
    }
  });
  return odd > start.length / 20 ? text('notTextControls') : null;
}

async function readHandle(handle) {
  const file = await handle.getFile();
  return new Uint8Array(await file.arrayBuffer());
}

// A place to save to: {kind: 'folder'|'file'|'copy', name, handle, folder}.
async function pickFolder() {
  const folder = await window.showDirectoryPicker({mode: 'readwrite'});
  let handle;
  try {
    handle = await folder.getFileHandle('input.ini');
  } catch {
    throw new Error(text('notInFolder'));
  }
  return {place: {kind: 'folder', name: 'input.ini', handle, folder}, bytes: await readHandle(handle)};
}

async function pickFile() {
  const [handle] = await window.showOpenFilePicker({
    types: [{description: text('pickerFiles'), accept: {'text/plain': ['.ini']}}]});
  return {place: {kind: 'file', name: handle.name, handle}, bytes: await readHandle(handle)};
}

function download(bytes, fileName) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
  link.download = fileName;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

// Writes `bytes` through a writable stream, which replaces the file only on
// close; any failure aborts it, leaving the old bytes.
async function writeWhole(handle, bytes) {
  const writable = await handle.createWritable();
  try {
    await writable.write(bytes);
  } catch (error) {
    await writable.abort().catch(() => {});
    throw error;
  }
  await writable.close();
}

// Saves over a granted file or folder, refusing when the file on disk is no
// longer what was opened. In a folder the old bytes go to NAME.bak first.
async function saveInPlace(place, bytes, openedBytes) {
  const onDisk = await readHandle(place.handle);
  if (!bytesEqual(onDisk, openedBytes)) {
    return {saved: false, message: text('changedOnDisk', place.name)};
  }
  if (place.kind === 'folder') {
    const backup = await place.folder.getFileHandle(`${place.name}.bak`, {create: true});
    await writeWhole(backup, onDisk);
  }
  await writeWhole(place.handle, bytes);
  return {saved: true, message: text(place.kind === 'folder' ? 'savedWithBackup' : 'saved',
                                     place.name)};
}

function bytesEqual(a, b) {
  if (a.length !== b.length) {
    return false;
  }
  for (let i = 0; i < a.length; ++i) {
    if (a[i] !== b[i]) {
      return false;
    }
  }
  return true;
}
