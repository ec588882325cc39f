// predict.js - Predict first: while stepping, Next first asks one question
// about the call it is about to show, then shows the call and says whether
// the guess was right, keeping a tally while the page is open. Each
// question and its answer come from what the recorder took from GL for that
// call: the stack's depth after it, where its frame's origin lands in the
// canvas (one of three marked points: the origin after this call, where it
// is now, and where another call of the frame leaves it), and which of the
// cubes drawn later it has a part in placing.
import { byId, setText, state } from './state.js';
import { showStep } from './steps.js';

// Whether call k (from 1) has a part in the matrix that call c draws with,
// as the recorder's stories of the stack tell it: the matrix on top was
// changed by k, or pushed after k as a copy of one that k had changed.
function shapes(k, c) {
  let before = Infinity;
  for (let i = c.stories.length - 1; i >= 0; i--) {
    const story = c.stories[i];
    if (story.changed.some((n) => n === k && n < before)) return true;
    if (story.from < k) return false;  // a copy made before k, or the view, which k did not change
    before = story.from;
  }
  return false;
}
// The cubes that call k moves: 0 neither, 1 the grey, 2 the blue, 3 both.
// None when GL's matrix is the same after it as before (a turn by 0).
function movedBy(k) {
  const before = k > 1 ? state.calls[k - 2].modelview : null, after = state.calls[k - 1].modelview;
  if (before && after.every((v, i) => Math.abs(v - before[i]) < 1e-6)) return 0;
  const cubes = state.calls.filter((c) => c.name === 'glutSolidCube');
  return cubes.reduce((moved, c, i) => moved | (state.calls.indexOf(c) >= k && shapes(k, c) ? 1 << i : 0), 0);
}

// The question about the next call, or null at the last step: a push, a
// pop or a cube asks the stack's depth; a translate where its frame's
// origin goes (when it moves it); any other call which cubes it moves.
function question() {
  const n = state.step, calls = state.calls, coming = calls[n], origins = state.origins;
  if (n < 1 || !coming) return null;
  if (!['glRotatef', 'glTranslatef'].includes(coming.name)) {
    const low = Math.max(1, calls[n - 1].depth - 1);
    return { kind: 'depth', choices: [low, low + 1, low + 2], answer: coming.depth };
  }
  const apart = (a, b) => Math.hypot(origins[a][0] - origins[b][0], origins[a][1] - origins[b][1]) > 0.06;
  if (coming.name === 'glTranslatef' && apart(n, n - 1)) {
    // The points are steps' origins; their letters go from left to right, so
    // that the place of the answer among them says nothing.
    const other = origins.findIndex((_, i) => apart(i, n) && apart(i, n - 1));
    const points = [n, n - 1, other].filter((i) => i >= 0).sort((a, b) => origins[a][0] - origins[b][0]);
    return { kind: 'origin', choices: points, answer: n };
  }
  return { kind: 'cube', choices: [1, 2, 3, 0], answer: movedBy(n + 1) };
}

const said = () => state.said.predict;
const choiceWords = (q, choice) => (q.kind === 'depth' ? state.said.depth(choice)
  : q.kind === 'origin' ? said().point('ABC'[q.choices.indexOf(choice)]) : said().cubes[choice]);

// The letters A, B and C over the canvas where the points are, as the frame
// now shows them (an eye key moves them); a click or a tap on the canvas
// takes the point nearest to it.
export function showMarks() {
  const q = state.predict.asking, canvas = byId('canvas');
  const points = q && q.kind === 'origin' ? q.choices : [];
  byId('marks').replaceChildren(...points.map((step, i) => {
    const mark = document.createElement('span');
    mark.textContent = 'ABC'[i];
    mark.style.left = `${canvas.offsetLeft + state.origins[step][0] * canvas.offsetWidth}px`;
    mark.style.top = `${canvas.offsetTop + state.origins[step][1] * canvas.offsetHeight}px`;
    return mark;
  }));
}
function pointAt(event) {
  const q = state.predict.asking;
  if (!q || q.kind !== 'origin') return;
  const box = byId('canvas').getBoundingClientRect();
  const x = (event.clientX - box.left) / box.width, y = (event.clientY - box.top) / box.height;
  const far = (step) => Math.hypot(state.origins[step][0] - x, state.origins[step][1] - y);
  const nearest = q.choices.reduce((a, b) => (far(b) < far(a) ? b : a));
  if (far(nearest) < 0.15) answer(nearest);
}

// The question, its choices as buttons (the first takes the keyboard), or
// nothing when none is open.
export function showQuestion() {
  const q = state.predict.asking;
  byId('predict').hidden = state.step === 0 || state.ended;
  byId('ask').hidden = !q;
  showMarks();
  const choices = byId('choices'), shown = `${state.lang} ${state.step}`;
  // Made again only for another question (or language): a frame keeps the
  // keyboard where it is.
  if (!q || (choices.question === q && choices.shown === shown)) return;
  choices.question = q, choices.shown = shown;
  setText(byId('question'), said().ask[q.kind](state.step + 1, state.calls[state.step].call));
  choices.replaceChildren(...q.choices.map((choice) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = q.kind === 'depth' ? choice : choiceWords(q, choice);
    button.addEventListener('click', () => answer(choice));
    return button;
  }));
}
function sayTally(verdict) {
  setText(byId('verdict'), verdict ? `${verdict} ${said().tally(state.predict.right, state.predict.asked)}` : '');
}

// Next with Predict first on: asks, unless there is no next call. Returns
// whether it did.
export function ask() {
  if (!state.predict.on || state.ended) return false;
  if (state.predict.asking) return byId('choices').firstChild.focus(), true;
  const q = question();
  if (!q) return false;
  state.predict.asking = q;
  sayTally('');
  showQuestion();
  byId('choices').firstChild.focus();
  return true;
}
function answer(choice) {
  const q = state.predict.asking;
  state.predict.asking = null;
  const right = choice === q.answer;
  state.predict.asked++;
  state.predict.right += right;
  showStep(state.step + 1);
  showQuestion();
  sayTally(said()[right ? 'right' : 'wrong'](choiceWords(q, q.answer)));
  byId('next').focus();
}
// Any other way to another step leaves the question.
export function dropQuestion() {
  if (!state.predict.asking) return;
  state.predict.asking = null;
  showQuestion();
}
// A frame while a question is open: the points follow the eye; changed
// calls in the lab may change the question, which is then asked anew.
export function followFrame() {
  const q = state.predict.asking, now = q && question();
  if (!q) return;
  if (now && now.kind === q.kind && now.choices.join() === q.choices.join()) {
    q.answer = now.answer;
    return showMarks();
  }
  state.predict.asking = now;
  showQuestion();
}

export function wirePredict() {
  byId('predict-on').addEventListener('change', (event) => {
    state.predict.on = event.target.checked;
    dropQuestion();
    showQuestion();
  });
  byId('view').addEventListener('click', pointAt);
}
