// Where the file comes from and where saves go: a granted folder (saves keep
// input.ini.bak), a granted file (saves go over it, no backup), or a copy
// (saves download). Also tells a text file from one that is not.
'use strict';

// The page string naming each kind of file the C++ tells from text.
const kKindWords = {
  png: 'kindPng', jpeg: 'kindJpeg', gif: 'kindGif', zip: 'kindZip',
  pdf: 'kindPdf', exe: 'kindExe', elf: 'kindElf', riff: 'kindRiff',
};

// Why `bytes` do not look like text, or null when they do, as the C++ judges.
function notTextReason(bytes) {
  const kind = Bridge.textKind(bytes);
  if (kind === 'text') {
    return null;
  }
  return kind === 'controls' ? text('notTextControls') : text('notTextKind', text(kKindWords[kind]));
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
