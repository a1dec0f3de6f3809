// The undo history, kept as changes rather than copies of the file: an edit of a
// 5 MB file costs the history a line, not 5 MB, so a long session undoes to its
// start. A step is where the bytes differ: an offset, the bytes it took out and
// the bytes it put in.
'use strict';

// A cap against a runaway session; the player is told when a step is dropped.
const kHistorySteps = 10000;
const kHistoryBytes = 64 << 20;

// The step that turns `before` into `after`: their common head and tail left out.
function changeBetween(before, after) {
  const shorter = Math.min(before.length, after.length);
  let head = 0;
  while (head < shorter && before[head] === after[head]) {
    ++head;
  }
  let tail = 0;
  while (tail < shorter - head &&
         before[before.length - 1 - tail] === after[after.length - 1 - tail]) {
    ++tail;
  }
  return {at: head, removed: before.slice(head, before.length - tail),
          inserted: after.slice(head, after.length - tail)};
}

function spliceBytes(bytes, at, length, inserted) {
  const result = new Uint8Array(bytes.length - length + inserted.length);
  result.set(bytes.subarray(0, at));
  result.set(inserted, at);
  result.set(bytes.subarray(at + length), at + inserted.length);
  return result;
}

const stepSize = (step) => step.removed.length + step.inserted.length;

function createHistory() {
  const undoSteps = [];
  const redoSteps = [];
  let bytes = 0;  // held by the undo steps

  return {
    canUndo: () => undoSteps.length > 0,
    canRedo: () => redoSteps.length > 0,
    heldBytes: () => bytes,
    clear() {
      undoSteps.length = 0;
      redoSteps.length = 0;
      bytes = 0;
    },
    // Records the edit from `before` to `after`; with `join`, as part of the last
    // step, so that one undo takes both back. Returns how many old steps were
    // dropped to stay within the cap.
    record(before, after, join = false) {
      redoSteps.length = 0;
      let from = before;
      if (join && undoSteps.length) {
        const last = undoSteps.pop();
        bytes -= stepSize(last);
        from = spliceBytes(before, last.at, last.inserted.length, last.removed);
      }
      const step = changeBetween(from, after);
      undoSteps.push(step);
      bytes += stepSize(step);
      let dropped = 0;
      while (undoSteps.length > kHistorySteps || (undoSteps.length > 1 && bytes > kHistoryBytes)) {
        bytes -= stepSize(undoSteps.shift());
        ++dropped;
      }
      return dropped;
    },
    // The bytes one step back from `current`, or null.
    undo(current) {
      const step = undoSteps.pop();
      if (!step) {
        return null;
      }
      bytes -= stepSize(step);
      redoSteps.push(step);
      return spliceBytes(current, step.at, step.inserted.length, step.removed);
    },
    redo(current) {
      const step = redoSteps.pop();
      if (!step) {
        return null;
      }
      undoSteps.push(step);
      bytes += stepSize(step);
      return spliceBytes(current, step.at, step.removed.length, step.inserted);
    },
  };
}
