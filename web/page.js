// page.js - what the page does around the program: its report lines, its
// keys, typed or pressed on the buttons, the frame step by step, and a line
// where something is wrong. emcc puts it in front of the program (--pre-js),
// in index.html; page_bridge.cpp is the program's side.
(function () {
  const byId = (id) => document.getElementById(id);
  const canvas = byId('canvas'), report = byId('report'), status = byId('status');
  const keptLines = 1000;  // in the report area; the console keeps them all
  let ended = false;

  Module.canvas = canvas;
  Module.frames = 0;
  // Each frame drawn: the step it shows (0 for none), and while stepping the
  // calls of its cube part, each with the matrix stack that GL held after
  // it (steps/frame_steps.h, as JSON).
  Module.onFrame = (json, shown) => {
    if (Module.frames++ === 0) document.body.dataset.firstFrame = performance.now();
    if (shown > 0) showCalls(JSON.parse(json), shown);
  };

  // Each line is added on its own, and the area keeps the latest ones, so a
  // long session costs as much per line as a short one. The area scrolls to
  // the end once a frame, not once a line.
  let scrollAsked = false;
  Module.print = (line) => {
    console.log(line);
    report.append(`${line}\n`);
    if (report.childNodes.length > keptLines) report.firstChild.remove();
    if (!scrollAsked) {
      scrollAsked = true;
      requestAnimationFrame(() => {
        scrollAsked = false;
        report.scrollTop = report.scrollHeight;
      });
    }
  };
  Module.printErr = (line) => console.warn(line);

  Module.onExit = (code) => {
    ended = true;
    document.body.dataset.exitStatus = code;
    status.textContent = `Quenlade has ended (Esc, status ${code}). Reload the page to start it again.`;
    for (const button of document.querySelectorAll('button')) button.disabled = true;
    panel.hidden = true;
  };

  // Without WebGL the program cannot draw: the page says so, and only that.
  if (!document.createElement('canvas').getContext('webgl')) {
    Module.noInitialRun = true;
    for (const part of document.querySelectorAll('#stage > :not(#status), #stepping')) part.hidden = true;
    status.textContent = 'Quenlade draws with WebGL, which this browser lacks or has turned off.';
  }

  // Calls into the program, once it runs and until it ends. Esc ends it by
  // unwinding with ExitStatus.
  function call(name, arg) {
    if (ended || !Module.calledRun) return undefined;
    try {
      return Module[name](arg);
    } catch (e) {
      if (e.name !== 'ExitStatus') throw e;
      return undefined;
    }
  }

  // Hands the program one character through its own keyboard function, as
  // the desktop's GLUT does. Space switches the mode, and with it the calls:
  // stepping starts again at the first.
  function press(character) {
    call('_web_key', character);
    if (character === 32 && step > 0) showStep(1);
  }

  // The frame step by step: the animation stands still while a step is
  // shown, and the canvas shows the frame as it stands after that call of
  // its cube part (steps/frame_steps.h). The program keeps the step within
  // the calls of its frame, and says which one it shows; beside the canvas
  // the page lists the calls and shows the matrix stack of the step.
  let step = 0, calls = [];
  const stepsButton = byId('steps'), panel = byId('stepping'), list = byId('calls');
  function showStep(n) {
    if (ended) return;
    setStep(call('_web_show_step', Math.max(0, n)) ?? 0);
  }
  function setStep(n) {
    step = n;
    stepsButton.setAttribute('aria-pressed', step > 0);
    stepsButton.querySelector('b').textContent = step > 0 ? 'Run' : 'Steps';
    stepsButton.querySelector('small').textContent = step > 0 ? 'leave the steps' : 'stop and step';
    byId('back').disabled = step <= 1;
    byId('next').disabled = false;
    panel.hidden = step === 0;
  }
  function showCalls(shown, current) {
    if (shown.map((c) => c.call).join() !== calls.map((c) => c.call).join())
      list.replaceChildren(...shown.map((c) => Object.assign(document.createElement('li'), { textContent: c.call })));
    calls = Module.steps = shown;  // the numbers, for the console and the page test
    setStep(current);
    byId('next').disabled = current >= calls.length;
    [...list.children].forEach((item, i) => {
      item.classList.toggle('current', i + 1 === current);
      if (i + 1 === current) item.setAttribute('aria-current', 'step');
      else item.removeAttribute('aria-current');
    });
    showStack(calls[current - 1]);
  }

  // The stack as cards, the view at the bottom, the top first: each matrix
  // as the frame it places, in world coordinates, its columns the frame's
  // x, y and z axes and its origin; or, with the switch, as GL returns it.
  const cards = byId('cards'), raw = byId('raw');
  const number = (v) => (Math.abs(v) < 0.005 ? 0 : v).toFixed(2);
  function card(m, title, kind) {
    const rows = raw.checked ? [0, 1, 2, 3] : [0, 1, 2];
    const heads = raw.checked ? ['1', '2', '3', '4'] : ['x axis', 'y axis', 'z axis', 'origin'];
    const item = document.createElement('li');
    item.className = `card ${kind}`;
    item.innerHTML = `<h3>${title}</h3><table><thead><tr><td></td>${heads.map((h, c) =>
      `<th scope="col" class="c${c}">${h}</th>`).join('')}</tr></thead><tbody>${rows.map((r) =>
      `<tr><th scope="row">${raw.checked ? `row ${r + 1}` : 'xyz'[r]}</th>${[0, 1, 2, 3].map((c) =>
      `<td>${number(m[c * 4 + r])}</td>`).join('')}</tr>`).join('')}</tbody></table>`;
    return item;
  }
  function showStack(c) {
    if (!c) return;
    const stack = raw.checked ? c.modelview_stack : c.stack;
    const last = stack.length - 1;
    const shown = stack.map((m, i) => card(m, `Matrix ${i + 1}${i === 0 ? ', the view (gluLookAt)' : ''}${
      i === last ? ': the current one, on top' : ''}`, i === last ? 'top' : 'under'));
    if (c.ghost)
      shown.push(card(raw.checked ? c.ghost_modelview : c.ghost, `Matrix ${last + 2}, popped: the ghost`, 'popped'));
    cards.replaceChildren(...shown.reverse());
    byId('depth').textContent = `${c.depth} ${c.depth === 1 ? 'matrix' : 'matrices'} on the stack`;
  }
  raw.addEventListener('change', () => showStack(calls[step - 1]));

  const next = () => showStep(step + 1), back = () => step > 1 && showStep(step - 1);
  stepsButton.addEventListener('click', () => showStep(step > 0 ? 0 : 1));
  byId('next').addEventListener('click', next);
  byId('back').addEventListener('click', back);

  // The character a key gives, as the desktop's X server gives it: the one
  // the browser reports (Caps Lock, Shift and AltGr layouts included) if it
  // fits one byte, Latin-1; with Ctrl, the control character of X's rules
  // (Ctrl+X is 24); the named keys that are characters. Null for the keys
  // that give none: arrows, function keys, Shift alone.
  const named = { Enter: 13, Escape: 27, Backspace: 8, Delete: 127 };
  function characterOf(event) {
    let c = [...event.key].length === 1 ? event.key.codePointAt(0) : named[event.key];
    if (c === undefined || c > 255) return null;
    if (event.ctrlKey && !event.getModifierState('AltGraph')) {
      if ((c >= 64 && c < 127) || c === 32) c &= 31;
      else if (c === 50) c = 0;                // 2
      else if (c >= 51 && c <= 55) c -= 24;    // 3 to 7: 27 to 31
      else if (c === 56) c = 127;              // 8
      else if (c === 47) c = 31;               // /
    }
    return c;
  }

  // Keys typed anywhere on the page go to the program, as keys typed into
  // its window do on the desktop; but Tab moves between the canvas and the
  // buttons, Enter and Space on a button press it, and the browser keeps
  // its own shortcuts.
  window.addEventListener('keydown', (event) => {
    if (event.key === 'Tab' || event.metaKey || event.isComposing) return;
    if (event.key === 'ArrowRight' || event.key === 'ArrowLeft') {
      event.preventDefault();
      return event.key === 'ArrowRight' ? next() : back();
    }
    if (['BUTTON', 'INPUT'].includes(event.target.tagName) && (event.key === 'Enter' || event.key === ' ')) return;
    const character = characterOf(event);
    if (character === null) return;
    if (!event.ctrlKey && !event.altKey) event.preventDefault();  // Space would scroll
    press(character);
  });

  for (const button of byId('keys').querySelectorAll('button[data-key]'))
    button.addEventListener('click', () => press(Number(button.dataset.key)));
  // A button or the switch clicked with the mouse leaves the keyboard where
  // it was, so that Space after a click on X is the program's Space, not a
  // second X.
  for (const control of document.querySelectorAll('button, label'))
    control.addEventListener('mousedown', (event) => event.preventDefault());

  window.addEventListener('load', () => canvas.focus());
})();
