// The file view: only the lines in sight are drawn, so a file of any length
// costs the same to show. Lines are kept as byte ranges and decoded when drawn.
'use strict';

const kLineOverscan = 20;

// Lines as the findings number them, counted by the C++. Kept as offsets into
// the bytes: a 5 MB file has 70,000 lines.
function splitLines(bytes) {
  const {starts, ends} = Bridge.lines(bytes);
  return {length: starts.length, line: (index) => bytes.subarray(starts[index], ends[index])};
}

function lineKey(line) {
  let key = '';
  for (let i = 0; i < line.length; i += 8192) {
    key += String.fromCharCode(...line.subarray(i, i + 8192));
  }
  return key;
}

function sameLine(x, y) {
  if (x.length !== y.length) {
    return false;
  }
  for (let i = 0; i < x.length; ++i) {
    if (x[i] !== y[i]) {
      return false;
    }
  }
  return true;
}

// Which lines of `after` are not lines of `before`: a longest common subsequence
// of the lines between the common head and tail, by position past a size.
function changedLines(before, after) {
  let head = 0;
  while (head < before.length && head < after.length &&
         sameLine(before.line(head), after.line(head))) {
    ++head;
  }
  let tail = 0;
  while (tail < before.length - head && tail < after.length - head &&
         sameLine(before.line(before.length - 1 - tail), after.line(after.length - 1 - tail))) {
    ++tail;
  }
  const keys = (lines) => Array.from({length: lines.length - head - tail},
                                     (unused, i) => lineKey(lines.line(head + i)));
  const a = keys(before);
  const b = keys(after);
  const changed = new Set();
  if (a.length * b.length > 4e6) {
    b.forEach((line, i) => line !== a[i] && changed.add(head + i));
    return changed;
  }
  const table = Array.from({length: a.length + 1}, () => new Uint32Array(b.length + 1));
  for (let i = a.length - 1; i >= 0; --i) {
    for (let j = b.length - 1; j >= 0; --j) {
      table[i][j] = a[i] === b[j] ? table[i + 1][j + 1] + 1
                                              : Math.max(table[i + 1][j], table[i][j + 1]);
    }
  }
  let i = 0;
  let j = 0;
  while (j < b.length) {
    if (i < a.length && a[i] === b[j]) {
      ++i;
      ++j;
    } else if (i < a.length && table[i + 1][j] >= table[i][j + 1]) {
      ++i;
    } else {
      changed.add(head + j++);
    }
  }
  return changed;
}

// A scrolling list of `lines` inside `view`, drawn from `first` visible line on.
// `describe(index)` gives {className, title} for a line.
function createFileView(view) {
  const spacer = document.createElement('div');
  spacer.className = 'file-spacer';
  const list = document.createElement('ol');
  list.className = 'file-lines';
  spacer.append(list);
  view.replaceChildren(spacer);
  const state = {lines: {length: 0}, shown: null, describe: null, lineHeight: 0};

  function draw() {
    if (!state.lineHeight) {
      const probe = document.createElement('li');
      probe.textContent = 'M';
      list.replaceChildren(probe);
      state.lineHeight = probe.getBoundingClientRect().height || 16;
    }
    const height = state.lineHeight;
    spacer.style.height = `${state.lines.length * height}px`;
    const first = Math.max(0, Math.floor(view.scrollTop / height) - kLineOverscan);
    const last = Math.min(state.lines.length,
                          Math.ceil((view.scrollTop + view.clientHeight) / height) + kLineOverscan);
    const items = [];
    for (let index = first; index < last; ++index) {
      const item = document.createElement('li');
      item.value = index + 1;
      item.id = `file-line-${index + 1}`;
      item.textContent = state.shown(state.lines.line(index)) || '\u200b';
      const {className, title} = state.describe(index);
      item.className = className;
      if (title) {
        item.title = title;
      }
      items.push(item);
    }
    list.style.top = `${first * height}px`;
    list.replaceChildren(...items);
  }

  view.addEventListener('scroll', () => requestAnimationFrame(draw), {passive: true});
  new ResizeObserver(() => draw()).observe(view);

  return {
    show(lines, shown, describe, lineInSight) {
      Object.assign(state, {lines, shown, describe});
      if (lineInSight) {
        state.lineHeight = state.lineHeight || 16;
        view.scrollTop = (lineInSight - 1) * state.lineHeight - view.clientHeight / 2;
      }
      draw();
    },
  };
}
