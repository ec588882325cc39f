// steps.js - the frame step by step: the animation stands still while a
// step is shown, and the canvas shows the frame as it stands after that call
// of its cube part (steps/frame_steps.h). The program keeps the step within
// the calls of its frame, and says which one it shows; beside the canvas the
// page lists the calls (lab.js) and shows the matrix stack of the step as
// cards, and says the step in words.
import { byId, call, setText, state } from './state.js';
import { vector } from './words.js';
import { showC, showList } from './lab.js';
import { ask, dropQuestion, followFrame, showQuestion } from './predict.js';
import { leaveChallenge } from './challenges.js';

// The step in words under the canvas, said as it changes (#step-now is a
// polite live region), from the numbers of the stack's top card.
export function sayStep() {
  const step = state.step, calls = state.calls, said = state.said, stepLine = byId('step-now');
  const c = calls[step - 1];
  if (!c) return setText(stepLine, state.ended ? '' : said.running);
  const top = c.stack[c.stack.length - 1];
  setText(stepLine, said.step(step, calls.length, c.call, vector(top.slice(12, 15)), vector(top.slice(0, 3)), c.depth));
}

// The step's words wait for its frame (fresh), which brings its numbers.
export function setStep(n, fresh = true) {
  if (state.ended) return;
  const stepsButton = byId('steps'), backButton = byId('back'), nextButton = byId('next');
  const step = state.step = n;
  stepsButton.classList.toggle('on', step > 0);  // its words say which: Steps or Run
  const [title, hint] = state.said.stepper.slice(step > 0 ? 2 : 0);
  stepsButton.querySelector('b').textContent = title;
  stepsButton.querySelector('small').textContent = hint;
  // Off at the first and at the last call; the keyboard moves on to the
  // other one rather than being lost with the button.
  backButton.disabled = step <= 1;
  if (fresh || !step) nextButton.disabled = step > 0 && step >= state.calls.length;
  if (document.activeElement.disabled) (backButton.disabled ? nextButton : backButton).focus();
  byId('stepping').hidden = byId('stack').hidden = step === 0;
  document.documentElement.classList.toggle('stepping', step > 0);
  if (fresh || !step) sayStep();
  if (fresh && state.reveal) reveal();
  showQuestion();
}
// Where Back and Next stay at the bottom of the screen (a phone's, a
// tablet's), a step asked for brings the canvas and the step's words into
// view above them, once its words have come, wherever the page was
// scrolled: a thumb on Next sees what it did.
function reveal() {
  state.reveal = false;
  const stepper = byId('stepper').getBoundingClientRect();
  if (getComputedStyle(byId('stepper')).position !== 'fixed') return;
  const canvas = byId('canvas').getBoundingClientRect(), caption = byId('caption').getBoundingClientRect();
  const top = Math.min(canvas.top, caption.top);
  if (top < 0 || Math.max(canvas.bottom, caption.bottom) > stepper.top) window.scrollBy(0, top - 8);
}
export function showStep(n) {
  if (state.ended) return;
  dropQuestion();
  if (n <= 0) leaveChallenge();  // Run leaves it
  state.reveal = n > 0;
  setStep(call('_web_show_step', Math.max(0, n)) ?? 0, false);
}
export const next = () => ask() || showStep(state.step + 1);  // with Predict first, a question first
export const back = () => state.step > 1 && showStep(state.step - 1);

// The stack as cards, the view at the bottom, the top first: each matrix
// as the frame it places, in world coordinates, its columns the frame's
// x, y and z axes and its origin; or, with the switch, as GL returns it.
export const cardNumber = (v) => (Math.abs(v) < 0.005 ? 0 : v).toFixed(2).replace('.', state.lang === 'en' ? '.' : ',');
function card(m, title, kind) {
  const raw = byId('raw').checked, said = state.said;
  const rows = raw ? [0, 1, 2, 3] : [0, 1, 2];
  const heads = raw ? ['1', '2', '3', '4'] : said.heads;
  const item = document.createElement('li');
  item.className = `card ${kind}`;
  item.innerHTML = `<h3>${title}</h3><table class="${raw ? 'raw' : 'world'}"><thead><tr><td></td>${heads.map((h, c) =>
    `<th scope="col" class="c${c}">${h}</th>`).join('')}</tr></thead><tbody>${rows.map((r) =>
    `<tr><th scope="row">${raw ? `${said.row} ${r + 1}` : 'xyz'[r]}</th>${[0, 1, 2, 3].map((c) =>
    `<td>${cardNumber(m[c * 4 + r])}</td>`).join('')}</tr>`).join('')}</tbody></table>`;
  return item;
}
export function showStack(c) {
  if (!c) return;
  const raw = byId('raw').checked, said = state.said;
  const stack = raw ? c.modelview_stack : c.stack;
  const last = stack.length - 1;
  // Each title says what the matrix is now, from the story the recorder
  // kept of it as GL made it: the page works out nothing from the calls.
  const story = (s) => said.story(s.from, s.changed);
  const shown = stack.map((m, i) => card(m, said.matrix(i + 1, story(c.stories[i]), i === last), i === last ? 'top' : 'under'));
  if (c.ghost) shown.push(card(raw ? c.ghost_modelview : c.ghost, said.ghost(last + 2, story(c.ghost_story), state.calls.indexOf(c) + 1), 'popped'));
  byId('cards').replaceChildren(...shown.reverse());
  byId('depth').textContent = said.depth(c.depth);
}

// A frame drawn while stepping: its calls, each with its stack, the step it
// shows, and its cube part as C.
export function showCalls(shown, origins, current, code) {
  state.calls = Module.steps = shown;  // the numbers, for the console and the page test
  state.origins = origins;
  setStep(current);
  showList();
  showStack(state.calls[current - 1]);
  showC(code);
  followFrame();
}

// Steps (or Run), Next and Back, and the switch of how the cards read.
export function wireSteps() {
  byId('raw').addEventListener('change', () => showStack(state.calls[state.step - 1]));
  byId('steps').addEventListener('click', () => showStep(state.step > 0 ? 0 : 1));
  byId('next').addEventListener('click', next);
  byId('back').addEventListener('click', back);
}
