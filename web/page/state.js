// state.js - the page's one record, which every part of the page reads and
// changes, so that no part keeps a state of its own out of sight; and the
// few helpers they all use: the page's elements, their text, and calls into
// the program.

export const state = {
  // The page's language, 'en' or 'pt-BR', and its words (words.js).
  lang: 'en',
  said: null,
  // Esc has ended the program, with this status: the page only says so.
  ended: false,
  exitStatus: undefined,
  // What the browser lacks for the program to run: 'noWebGL', 'tooOld' or null.
  lacking: null,
  // The mode, its label and the eye of the latest frame, for the canvas's
  // words.
  scene: { pushPop: true, eye: [], label: '' },
  // The side the canvas is shown at, in device pixels (0 until measured).
  side: 0,
  // The report: a scroll to its end asked for the next frame, and the timer
  // that says its latest line once the keys pause.
  scrollAsked: false,
  heardAt: 0,
  // The step shown (0 for none, the cubes turning), and while stepping the
  // calls of the frame's cube part, each with the stack after it.
  step: 0,
  calls: [],
  reveal: false,  // a step asked for: its frame brings the canvas into view

  // The lab (lab.js): the list being edited; the lab in use as its link's
  // text, "" for none, and whether it is drawn; which rows the list has; the control to focus once
  // the list is made again; the number being dragged; what the page says
  // about the lab.
  editing: false,
  link: '',
  changed: false,  // the lab's calls differ from the program's, in the mode drawn
  listShape: '',
  focusNext: null,
  drag: null,
  // The number last moved by an arrow key, which shows what the program took
  // even while it has the focus.
  stepped: null,
  note: null,

  // Predict first (predict.js): whether it is on, the question open, and the
  // tally; where each step's frame has its origin in the canvas.
  predict: { on: false, asking: null, right: 0, asked: 0 },
  // The challenge open (challenges.js), as the latest frame has it, or null.
  challenge: null,
  origins: [],
};

export const byId = (id) => document.getElementById(id);
// Touches the element only when its text changes: a live region would say
// the same words again.
export const setText = (element, text) => element.textContent !== text && (element.textContent = text);

// Calls into the program, once it runs and until it ends. Esc ends it by
// unwinding with ExitStatus.
export function call(name, arg) {
  if (state.ended || !Module.calledRun) return undefined;
  try {
    return Module[name](arg);
  } catch (e) {
    if (e.name !== 'ExitStatus') throw e;
    return undefined;
  }
}
