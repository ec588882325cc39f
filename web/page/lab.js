// lab.js - the lab (steps/lab.h), which the program owns: the calls of the
// cube part changed in the list, their numbers, their order, a push or pop
// switched off. Each change goes to the program as one edit (web_lab_* in
// page_bridge.cpp), which it keeps within its rules and uses from its next
// frame on; the list, the cards, the canvas and the link after # follow with
// that frame. The list of calls lives here too: while editing, it is the
// lab.
import { byId, state } from './state.js';
import { linkTo } from './words.js';

// The lab's calls into the program (and the caption's word for depth);
// undefined before the program runs and after it ends. Never from inside a
// frame (Module.onFrame).
const types = {
  web_depth_word: [null, ['string']],
  web_lab_read: ['string', ['string']], web_lab_c: ['string', []], web_lab_reset: [null, []],
  web_lab_number: [null, ['number', 'number', 'number']], web_lab_nudge: [null, ['number', 'number', 'number']],
  web_lab_swap: [null, ['number']],
  web_lab_switch: [null, ['number']],
  web_challenges: ['string', []], web_challenge_make: ['boolean', ['string']], web_challenge_close: [null, []],
};
export function labCall(name, ...args) {
  if (state.ended || !Module.calledRun) return undefined;
  return Module.ccall(name, ...types[name], args);
}
// The numbers of a call as it was made (a rotate by a cube's angle with the
// angle it has now).
const shownNumbers = (c) => /\((.*)\)/.exec(c.call)[1].split(', ').filter(Boolean);

// What the page says about the lab, in its language; the reader's line in
// its own words, English.
export function showNote() {
  const note = state.note;
  const line = note && note[1] ? [' ', Object.assign(document.createElement('span'), { lang: 'en', textContent: note[1] })] : [];
  byId('lab-said').replaceChildren(...(note ? [state.said[note[0]], ...line] : []));
}
function say(what) {
  state.note = what;
  showNote();
}

// While a lab's changed calls are drawn, the page says so beside the
// picture, running or stepping (a link shows no list until Steps), with the
// way back; a screen reader hears it as it comes and goes.
export function showLabOn() {
  const on = byId('lab-on'), said = state.said;
  if (!state.changed || state.ended || state.challenge) return on.replaceChildren();  // a challenge says more
  if (!on.children.length) {
    const back = Object.assign(document.createElement('button'), { id: 'lab-back' });
    back.addEventListener('click', backToProgram);
    on.replaceChildren(document.createElement('span'), ' ', back);
  }
  on.children[0].textContent = said.labOn;
  on.children[1].textContent = said.labBack;
}
function backToProgram() {
  labCall('web_lab_reset');
  say(null);
}

// The address holds the lab in use, as the frame gives its text; none, the
// program's own frame.
export function writeLink(text) {
  state.link = text;
  if (state.note && ['copied', 'selected'].includes(state.note[0])) say(null);  // that C is no longer the lab's
  const address = new URL(location.href);
  address.hash = text;
  history.replaceState(history.state, '', address.href);
  for (const link of document.querySelectorAll('[data-lang]')) link.href = linkTo(link.dataset.lang);
}
// The text after # is read by the program's strict reader, as numbers,
// never run; text it cannot read leaves the program's own frame, and the
// page says where it stopped.
export function readLink() {
  // As the address holds it: the program's reader decodes each part of it
  // (a challenge's goal may hold an encoded &).
  const text = location.hash.slice(1);
  if (!text || text === state.link) return;
  const answer = labCall('web_lab_read', text);
  if (answer) labCall('web_lab_reset');
  say(answer ? ['unreadable', answer] : null);
}

function setNumber(input, value) {
  const [k, j] = input.dataset.key.split(':').map(Number);
  labCall('web_lab_number', k, j, value);
}

// A row of the list: the call; while editing, its numbers as inputs, a push
// or pop with its switch, and but for the last a swap with the next.
function row(c, k) {
  const said = state.said;
  const item = document.createElement('li'), name = c.name, args = c.numbers ?? [], n = k + 1;
  const control = (tag, properties) => Object.assign(document.createElement(tag), properties);
  const mark = control('strong', { className: 'gl-error', hidden: true });
  mark.append(`⚠ `, control('span', { className: 'unseen', textContent: `${said.glError} ` }), control('span', { lang: 'en' }));
  if (!state.editing) return item.append(control('code', {}), mark), item;
  // The call with its numbers, wrapping as it needs; its swap at the end.
  const what = control('span', { className: 'what' });
  item.append(control('div', { className: 'row' }));
  item.firstChild.append(what);
  if (!args.length) {
    const made = control('input', { type: 'checkbox' });
    made.dataset.key = `${k}:made`;
    made.setAttribute('aria-label', said.made(n));
    what.append(made);
  }
  what.append(control('code', {}));
  args.forEach((arg, j) => {  // each number with its comma, on one line
    const input = control('input', { type: 'number', step: 'any' });
    input.dataset.key = `${k}:${j}`;
    input.dataset.step = arg.step;
    input.setAttribute('aria-label', said.arg(said.args[name][j], n));
    what.append(control('span', { className: 'arg' }), ' ');
    what.lastChild.previousSibling.append(input, j + 1 < args.length ? ',' : ')');
  });
  what.append(mark);
  if (k + 1 < state.calls.length) {
    const swap = control('button', { textContent: '⇅' });
    swap.dataset.key = `${k}:swap`;
    swap.setAttribute('aria-label', said.swap(n));
    item.firstChild.append(swap);
  }
  return item;
}

// The list: one line a call; while editing, each number an input, each
// push and pop a switch, each call but the last a swap with the next. The
// rows are made again only when the calls' kinds change (a swap), so that
// the number being typed keeps its focus; the focus stays on the same
// control, or follows the call moved down.
export function showList() {
  const calls = state.calls, step = state.step, editing = state.editing, list = byId('calls');
  const shape = [state.lang, editing, ...calls.map((c) => c.name)].join();
  const focused = list.contains(document.activeElement) && document.activeElement.dataset.key;
  if (shape !== state.listShape) {
    state.listShape = shape;
    list.replaceChildren(...calls.map(row));
  }
  const again = state.focusNext ?? focused;
  state.focusNext = null;
  const moved = again && document.activeElement.dataset.key !== again && list.querySelector(`[data-key="${again}"]`);
  if (moved) moved.focus();
  calls.forEach((c, k) => {
    const item = list.children[k], numbers = shownNumbers(c);
    item.querySelector('code').textContent = editing && (c.numbers ?? []).length ? `${c.call.split('(')[0]}(` : c.call;
    item.querySelectorAll('input[type="number"]').forEach((input, j) => {
      if (input !== document.activeElement || input === state.stepped) input.value = numbers[j];  // not while typed into
    });
    const made = item.querySelector('input[type="checkbox"]');
    if (made) made.checked = !c.off;
    const mark = item.querySelector('.gl-error');
    mark.hidden = !c.error;
    mark.lastChild.textContent = c.error ?? '';
  });
  [...list.children].forEach((item, i) => {  // the current call marked, however the list was made
    item.classList.toggle('current', i + 1 === step);
    if (i + 1 === step) item.setAttribute('aria-current', 'step');
    else item.removeAttribute('aria-current');
  });
}

// The C, once shown, follows the frame, which brings it.
export function showC(code) {
  if (!byId('c-part').hidden) byId('c-code').value = code;
}

// The list as the lab (Change the calls pressed), or as the calls alone.
export function setEditing(on) {
  state.editing = on;
  byId('edit').setAttribute('aria-pressed', on);
  byId('calls').classList.toggle('lab', on);
  document.documentElement.classList.toggle('editing', on);
  byId('lab-tools').hidden = !on;
  if (!on) byId('c-part').hidden = true;
  showList();
}

// The list's controls, the edit switch, and the lab's buttons.
export function wireLab() {
  const list = byId('calls'), cPart = byId('c-part'), cCode = byId('c-code');
  list.addEventListener('input', ({ target }) => {
    state.stepped = null;  // typed into: it shows what is typed
    if (target.type === 'number' && Number.isFinite(target.valueAsNumber)) setNumber(target, target.valueAsNumber);
  });
  list.addEventListener('change', ({ target }) => {
    const [k, j] = target.dataset.key.split(':');
    if (target.type === 'checkbox') labCall('web_lab_switch', Number(k));
    else if (target.type === 'number') target.value = shownNumbers(state.calls[k])[j];  // as the program took it
  });
  list.addEventListener('click', ({ target }) => {
    if (target.tagName !== 'BUTTON') return;
    const k = Number(target.dataset.key.split(':')[0]);
    // The focus follows the call moved down, so that the button moves it on.
    state.focusNext = `${Math.min(k + 1, state.calls.length - 2)}:swap`;
    labCall('web_lab_swap', k);
  });
  // The arrows up and down change a number by its step (ten with Shift).
  list.addEventListener('keydown', (event) => {
    const input = event.target, by = { ArrowUp: 1, ArrowDown: -1 }[event.key];
    if (input.type !== 'number' || !by) return;
    event.preventDefault();
    // The program moves it by its step, from the value it holds, and the
    // field shows what it took: held keys add up, whatever the frames.
    const [k, j] = input.dataset.key.split(':').map(Number);
    state.stepped = input;
    labCall('web_lab_nudge', k, j, by * (event.shiftKey ? 10 : 1));
  });
  // A number dragged sideways, by mouse, pen or finger: a step every 6
  // pixels. A press without a drag is for typing: it selects the number.
  list.addEventListener('pointerdown', (event) => {
    const input = event.target;
    if (input.type !== 'number' || event.button !== 0) return;
    event.preventDefault();
    input.setPointerCapture(event.pointerId);
    state.drag = { input, x: event.clientX, from: Number.isFinite(input.valueAsNumber) ? input.valueAsNumber : 0, moved: false };
  });
  list.addEventListener('pointermove', (event) => {
    const drag = state.drag;
    if (!drag || event.target !== drag.input) return;
    const by = Math.trunc((event.clientX - drag.x) / 6);
    if (!by && !drag.moved) return;
    drag.moved = true;
    setNumber(drag.input, drag.from + by * drag.input.dataset.step);
  });
  const dropped = (event) => {
    const drag = state.drag;
    if (!drag || event.target !== drag.input) return;
    if (!drag.moved && event.type === 'pointerup') drag.input.focus(), drag.input.select();
    state.drag = null;
  };
  list.addEventListener('pointerup', dropped);
  list.addEventListener('pointercancel', dropped);

  byId('edit').addEventListener('click', () => setEditing(!state.editing));
  byId('lab-reset').addEventListener('click', backToProgram);
  // The C, shown and selected; copied too where the browser lets the page
  // write the clipboard (not always from a file).
  byId('lab-c').addEventListener('click', async () => {
    cCode.value = labCall('web_lab_c') ?? '';
    cCode.rows = cCode.value.split('\n').length;
    cPart.hidden = false;
    cCode.focus(), cCode.select();
    try {
      await navigator.clipboard.writeText(cCode.value);
      say(['copied']);
    } catch {
      say(['selected']);
    }
  });
}
