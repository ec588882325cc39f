// main.js - what the page does around the program, and where it meets it:
// the frames the program draws (Module.onFrame), its report lines
// (Module.print), its end (Module.onExit), the page's language, and the
// start. esbuild joins this and the modules it imports into one script that
// emcc puts in front of the program (--pre-js), in index.html;
// web/page_bridge.cpp is the program's side.
import { byId, setText, state } from './state.js';
import { chooseLanguage, linkTo, readEnglish, useLanguage, vector, words } from './words.js';
import { labCall, readLink, showLabOn, showList, showNote, wireLab, writeLink } from './lab.js';
import { setStep, showCalls, showStack, wireSteps } from './steps.js';
import { wireKeys } from './keys.js';
import { showQuestion, wirePredict } from './predict.js';
import { showChallenge, showList as showChallenges, showMake, wireChallenges } from './challenges.js';
import { fitCanvas, wireLayout } from './layout.js';

const canvas = byId('canvas'), report = byId('report'), status = byId('status-text');
const sceneLine = byId('scene'), stepLine = byId('step-now');
const keptLines = 1000;  // in the report area; the console keeps them all

readEnglish();
state.lang = chooseLanguage(location.search, navigator.languages ?? [navigator.language]);
state.said = words[state.lang];

// The canvas's words, under it: the mode and the eye (the step's are
// steps.js's).
function sayFrame() {
  if (state.ended || !Module.frames) return;
  const label = `<span lang="pt-BR">“${state.scene.label}”</span>`;
  const html = state.said.scene(label, vector(state.scene.eye));
  if (sceneLine.innerHTML !== html) sceneLine.innerHTML = html;
}

// Everything the page says, said again in another language.
function setLanguage(code) {
  useLanguage(code);
  sayFrame(), setStep(state.step), showChallenge(state.challenge), showChallenges(), showStack(state.calls[state.step - 1]), showList(), showNote(), showLabOn();
  labCall('web_depth_word', state.said.depthWord);  // the canvas's caption too, once the program runs
  if (state.ended) status.textContent = state.said.ended(state.exitStatus);
  else if (state.lacking) status.textContent = state.said[state.lacking];
}
for (const link of document.querySelectorAll('[data-lang]'))
  link.addEventListener('click', (event) => {
    event.preventDefault();
    history.replaceState(history.state, '', linkTo(link.dataset.lang));  // the address is the link to hand out
    setLanguage(link.dataset.lang);
  });
// A new lab typed into the address: the page reads it as it does at the start.
window.addEventListener('hashchange', () => (setLanguage(state.lang), readLink()));

Module.canvas = canvas;
Module.frames = 0;
// The program's WebAssembly is in the page itself, gzipped (web/one_file.py):
// the browser unpacks it, and it starts as emcc's own loader would start it.
Module.instantiateWasm = (imports, started) => {
  if (state.lacking) return {};  // it never starts
  const packed = byId('wasm'), bytes = Uint8Array.from(atob(packed.textContent), (c) => c.charCodeAt(0));
  packed.remove();
  new Response(new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer()
    .then((wasm) => WebAssembly.instantiate(wasm, imports))
    .then((made) => started(made.instance, made.module));
  return {};
};
// Each frame drawn, as one JSON object (page_bridge.cpp): the step it
// shows (0 for none), the mode, its label and the eye, the lab's link, and
// while stepping the calls of its cube part, each with the matrix stack
// that GL held after it (steps/frame_steps.h), and the cube part as C.
// Nothing here calls into the program, which is still inside its frame.
Module.onFrame = (json) => {
  const frame = JSON.parse(json);
  if (Module.frames++ === 0) {
    document.body.dataset.firstFrame = performance.now();
    requestAnimationFrame(fitCanvas);
    queueMicrotask(() => (readLink(), labCall('web_depth_word', state.said.depthWord), showChallenges()));  // once the program runs, outside its drawing
  }
  state.scene = { pushPop: frame.push_pop, eye: frame.eye, label: frame.label };
  sayFrame();
  if (frame.link !== state.link) writeLink(frame.link);
  if (frame.changed !== state.changed) state.changed = frame.changed, showLabOn();
  if (frame.step > 0) showCalls(frame.calls, frame.origins, frame.step, frame.c);
  showChallenge(frame.challenge), showMake();
};

wireLayout();

// Each line is added on its own, and the area keeps the latest ones, so a
// long session costs as much per line as a short one. The area scrolls to
// the end once a frame, not once a line. The area says nothing itself: a
// held key gives a line a frame. #heard says the latest after a pause.
const heard = byId('heard');
Module.print = (line) => {
  console.log(line);
  report.append(`${line}\n`);
  if (report.childNodes.length > keptLines) report.firstChild.remove();
  clearTimeout(state.heardAt);
  state.heardAt = setTimeout(() => setText(heard, line), 600);
  if (!state.scrollAsked) {
    state.scrollAsked = true;
    requestAnimationFrame(() => {
      state.scrollAsked = false;
      report.scrollTop = report.scrollHeight;
    });
  }
};
Module.printErr = (line) => console.warn(line);

// The program has ended (Esc): the page says so, and only the button that
// starts it again is left to press. Starting again loads the page again,
// at the same address, so with the same language: a program that has
// exited cannot run twice in one page (its runtime is gone), and a fresh
// one starts from the same state as on the desktop.
const restart = byId('restart');
Module.onExit = (code) => {
  state.ended = true;
  state.exitStatus = document.body.dataset.exitStatus = code;
  status.textContent = state.said.ended(code);
  for (const control of document.querySelectorAll('button, input')) control.disabled = true;
  canvas.removeAttribute('tabindex');
  byId('stepping').hidden = byId('stack').hidden = byId('challenges').hidden = true;
  state.predict.asking = null, showQuestion(), showChallenge(null), showMake();
  document.documentElement.classList.remove('stepping', 'editing');
  setText(sceneLine, ''), setText(stepLine, '');
  // What was said of the lab (Copied, say) is over with the program.
  state.note = null, showNote(), showLabOn();
  restart.hidden = restart.disabled = false;
  restart.focus();
};
restart.addEventListener('click', () => location.reload());

// Without WebGL the program cannot draw; a browser from before 2023 cannot
// unpack it (DecompressionStream) or lay the page out (container queries,
// dvh), and lacks Array.at: the page says so, and only that. (Its script is
// built for browsers older than that, so that they read as far as this.)
const recent = window.DecompressionStream && [].at && CSS.supports('container-type', 'inline-size') && CSS.supports('height', '1dvh');
state.lacking = !recent ? 'tooOld' : !document.createElement('canvas').getContext('webgl') ? 'noWebGL' : null;
if (state.lacking) {
  Module.noInitialRun = true;
  for (const part of document.querySelectorAll('#view, #caption, #keys, #stepper, #stepping, #stack, #log, #challenges')) part.hidden = true;
  status.textContent = state.said[state.lacking];
}

wireLab();
wireSteps();
wireKeys();
wirePredict();
wireChallenges();

setLanguage(state.lang);
window.addEventListener('load', () => canvas.focus());
