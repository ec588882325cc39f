// page.js - what the page does around the program: its words in English or
// Portuguese, its report lines, its keys, typed or pressed on the buttons,
// the frame step by step and in words, the canvas drawn at the size it is
// shown, and the end, with a way to start again. emcc puts it in front of
// the program (--pre-js), in index.html; page_bridge.cpp is the program's
// side.
(function () {
  const byId = (id) => document.getElementById(id);
  const canvas = byId('canvas'), report = byId('report'), status = byId('status-text');
  const keptLines = 1000;  // in the report area; the console keeps them all
  let ended = false;

  // The page's own words. shell.html holds the English of the fixed ones
  // (data-t: the content, data-a: aria-label), read from it at the start;
  // here the Portuguese, and the words made up as the page runs. The
  // program's own words (its label, its report lines, the GL calls) stay as
  // they are in both.
  const words = {
    en: {
      running: 'The cubes are turning.',
      scene: (label, eye) => `Mode ${label}; the eye at ${eye}.`,
      step: (n, count, call, origin, x, depth) => `Step ${n} of ${count}, ${call}: the frame's origin is at ${origin}; ` +
        `its x axis points along ${x}; ${words.en.depth(depth)}`,
      depth: (d) => `${d} ${d === 1 ? 'matrix' : 'matrices'} on the stack`,
      vector: (v) => v.join(', '),
      stepper: ['Steps', 'stop and step', 'Run', 'leave the steps'],
      heads: ['x axis', 'y axis', 'z axis', 'origin'], row: 'row',
      matrix: (i, last) => `Matrix ${i}${i === 1 ? ', the view (gluLookAt)' : ''}${last ? ': the current one, on top' : ''}`,
      ghost: (i) => `Matrix ${i}, popped: the ghost`,
      ended: (code) => `Quenlade has ended (Esc, status ${code}).`,
      noWebGL: 'Quenlade draws with WebGL, which this browser lacks or has turned off.',
      args: { glRotatef: ['angle', 'axis x', 'axis y', 'axis z'], glTranslatef: ['x', 'y', 'z'], glutSolidCube: ['size'] },
      arg: (what, n) => `${what} of call ${n}`, made: (n) => `Call ${n} made`, swap: (n) => `Swap call ${n} with call ${n + 1}`,
      glError: 'error',
      unreadable: 'The calls after # in this page\'s address could not be read; it shows the program\'s own frame. Where:',
      copied: 'Copied: paste it into on_display.',
      selected: 'Selected: copy it (Ctrl+C) and paste it into on_display.',
    },
    'pt-BR': {
      running: 'Os cubos estão girando.',
      scene: (label, eye) => `Modo ${label}; o olho em ${eye}.`,
      step: (n, count, call, origin, x, depth) => `Passo ${n} de ${count}, ${call}: a origem do referencial está em ` +
        `${origin}; seu eixo x aponta para ${x}; ${words['pt-BR'].depth(depth)}`,
      depth: (d) => `${d} ${d === 1 ? 'matriz' : 'matrizes'} na pilha`,
      vector: (v) => `(${v.join('; ')})`,
      stepper: ['Passos', 'parar e seguir', 'Rodar', 'sair dos passos'],
      heads: ['eixo x', 'eixo y', 'eixo z', 'origem'], row: 'linha',
      matrix: (i, last) => `Matriz ${i}${i === 1 ? ', a vista (gluLookAt)' : ''}${last ? ': a atual, no topo' : ''}`,
      ghost: (i) => `Matriz ${i}, desempilhada: o fantasma`,
      ended: (code) => `O Quenlade terminou (Esc, código de saída ${code}).`,
      noWebGL: 'O Quenlade desenha com WebGL, que este navegador não tem ou desligou.',
      what: 'Dois cubos que giram e mostram para que serve a pilha de matrizes modelview do OpenGL.',
      language: 'Idioma', fullscreen: 'Tela cheia', canvas: 'A janela do programa: três eixos e dois cubos',
      space: 'Espaço', eye: 'olho', front: 'frente', home: 'início', end: 'encerrar',
      backB: '&larr; Voltar', nextB: 'Avançar &rarr;', backHint: 'seta esquerda', nextHint: 'seta direita',
      restart: 'Começar de novo', callsTitle: 'As chamadas da parte dos cubos', stackTitle: 'A pilha modelview:',
      raw: 'Como o GL a devolve, com a vista', howTitle: 'Como ler um cartão',
      how: 'Um cartão para cada matriz da pilha, a atual no topo. Cada um mostra o referencial que a matriz ' +
        'posiciona, em coordenadas do mundo: suas colunas dizem para onde apontam os eixos x, y e z do ' +
        'referencial e onde fica sua origem. Com a chave, cada um mostra a matriz como ' +
        'glGetFloatv(GL_MODELVIEW_MATRIX) a devolve, com a vista; o GL guarda seus 16 números coluna por ' +
        'coluna, os quatro primeiros são a coluna 1.',
      reportTitle: 'Relatório da câmera',
      kept: 'As últimas 1.000 linhas do relatório ficam aqui; o console do navegador guarda todas.',
      args: { glRotatef: ['ângulo', 'eixo x', 'eixo y', 'eixo z'], glTranslatef: ['x', 'y', 'z'], glutSolidCube: ['tamanho'] },
      arg: (what, n) => `${what} da chamada ${n}`, made: (n) => `Chamada ${n} feita`,
      swap: (n) => `Trocar a chamada ${n} com a ${n + 1}`, glError: 'erro',
      unreadable: 'Não foi possível ler as chamadas depois do # no endereço desta página; ela mostra o quadro do ' +
        'próprio programa. Onde:',
      copied: 'Copiado: cole em on_display.',
      selected: 'Selecionado: copie (Ctrl+C) e cole em on_display.',
      edit: 'Mudar as chamadas', labReset: 'As chamadas do programa', labC: 'Copiar como C',
      labHow: 'Digite um número, arraste-o para o lado ou mude-o com as setas para cima e para baixo; &#8645; troca ' +
        'uma chamada com a seguinte; a caixa liga ou desliga um push ou pop.',
      cTitle: 'A parte dos cubos em C, para on_display:',
    },
  };
  for (const element of document.querySelectorAll('[data-t]')) words.en[element.dataset.t] = element.innerHTML;
  for (const element of document.querySelectorAll('[data-a]')) words.en[element.dataset.a] = element.getAttribute('aria-label');

  // The language: the link's (?lang=pt-BR, kept when the page starts
  // again), else the first of the browser's that the page speaks, else
  // English. Portuguese of any country gets Brazil's.
  const speak = (tag) => (/^pt(-|$)/i.test(tag) ? 'pt-BR' : /^en(-|$)/i.test(tag) ? 'en' : null);
  let lang = speak(new URLSearchParams(location.search).get('lang') ?? '') ??
    (navigator.languages ?? [navigator.language]).map(speak).find(Boolean) ?? 'en';
  let said = words[lang];
  const linkTo = (code) => {
    const address = new URL(location.href);
    address.searchParams.set('lang', code);
    return address.href;
  };
  const showNumber = (v) => new Intl.NumberFormat(lang, { maximumFractionDigits: 2 }).format(Math.round(v * 100) / 100 + 0);
  const vector = (v) => said.vector(v.map(showNumber));

  function setLanguage(code) {
    lang = code, said = words[code];
    document.documentElement.lang = code;
    for (const element of document.querySelectorAll('[data-t]')) element.innerHTML = said[element.dataset.t];
    for (const element of document.querySelectorAll('[data-a]')) element.setAttribute('aria-label', said[element.dataset.a]);
    for (const link of document.querySelectorAll('[data-lang]')) {
      link.href = linkTo(link.dataset.lang);
      if (link.dataset.lang === code) link.setAttribute('aria-current', 'true');
      else link.removeAttribute('aria-current');
    }
    sayFrame(), setStep(step), showStack(calls[step - 1]), showList(), showNote();
    if (ended) status.textContent = said.ended(exitStatus);
    else if (status.textContent) status.textContent = said.noWebGL;
  }
  for (const link of document.querySelectorAll('[data-lang]'))
    link.addEventListener('click', (event) => {
      event.preventDefault();
      history.replaceState(history.state, '', linkTo(link.dataset.lang));  // the address is the link to hand out
      setLanguage(link.dataset.lang);
    });
  // A new lab typed into the address: the page reads it as it does at the start.
  window.addEventListener('hashchange', () => (setLanguage(lang), readLink()));

  Module.canvas = canvas;
  Module.frames = 0;
  // Each frame drawn, as one JSON object (page_bridge.cpp): the step it
  // shows (0 for none), the mode, its label and the eye, the lab's link, and
  // while stepping the calls of its cube part, each with the matrix stack
  // that GL held after it, and the cube part as C. Nothing here calls into
  // the program, which is still inside its frame.
  let scene = { pushPop: true, eye: [], label: '' }, link = '';
  Module.onFrame = (json) => {
    const frame = JSON.parse(json);
    if (Module.frames++ === 0) {
      document.body.dataset.firstFrame = performance.now();
      requestAnimationFrame(fitCanvas);
      queueMicrotask(readLink);  // once the program runs, outside its drawing
    }
    scene = { pushPop: frame.push_pop, eye: frame.eye, label: frame.label };
    sayFrame();
    if (frame.link !== link) writeLink(frame.link);
    if (frame.step > 0) showCalls(frame.calls, frame.step, frame.c);
  };

  // The canvas's words, under it: the mode and the eye; the step, said as
  // it changes (#step-now is a polite live region), from the numbers of
  // the stack's top card.
  const sceneLine = byId('scene'), stepLine = byId('step-now');
  const setText = (element, text) => element.textContent !== text && (element.textContent = text);
  function sayFrame() {
    if (ended || !Module.frames) return;
    const label = `<span lang="pt-BR">“${scene.label}”</span>`;
    const html = said.scene(label, vector(scene.eye));
    if (sceneLine.innerHTML !== html) sceneLine.innerHTML = html;
  }
  function sayStep() {
    const c = calls[step - 1];
    if (!c) return setText(stepLine, ended ? '' : said.running);
    const top = c.stack[c.stack.length - 1];
    setText(stepLine, said.step(step, calls.length, c.call, vector(top.slice(12, 15)), vector(top.slice(0, 3)), c.depth));
  }

  // The program draws into the canvas's pixels one for one, at the size the
  // canvas is shown on this screen (a phone's dense pixels too), through
  // GLUT's reshape, as a window's new size comes on the desktop.
  let side = 0;
  function fitCanvas() {
    if (side && Module.frames && side !== canvas.width) call('_web_resize', side);
  }
  // Watching the device pixels, it hears of a new pixel ratio too (the
  // browser's zoom, another screen).
  const sized = new ResizeObserver(([entry]) => {
    side = Math.round(entry.contentRect.width * devicePixelRatio);
    fitCanvas();
  });
  try {
    sized.observe(canvas, { box: 'device-pixel-content-box' });
  } catch (e) {  // a browser that knows no device pixels
    sized.observe(canvas);
  }

  // Each line is added on its own, and the area keeps the latest ones, so a
  // long session costs as much per line as a short one. The area scrolls to
  // the end once a frame, not once a line. The area says nothing itself: a
  // held key gives a line a frame. #heard says the latest after a pause.
  let scrollAsked = false, heardAt = 0;
  const heard = byId('heard');
  Module.print = (line) => {
    console.log(line);
    report.append(`${line}\n`);
    if (report.childNodes.length > keptLines) report.firstChild.remove();
    clearTimeout(heardAt);
    heardAt = setTimeout(() => setText(heard, line), 600);
    if (!scrollAsked) {
      scrollAsked = true;
      requestAnimationFrame(() => {
        scrollAsked = false;
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
  let exitStatus;
  const restart = byId('restart');
  Module.onExit = (code) => {
    ended = true;
    exitStatus = document.body.dataset.exitStatus = code;
    status.textContent = said.ended(code);
    for (const control of document.querySelectorAll('button, input')) control.disabled = true;
    canvas.removeAttribute('tabindex');
    panel.hidden = true;
    setText(sceneLine, ''), setText(stepLine, '');
    restart.hidden = restart.disabled = false;
    restart.focus();
  };
  restart.addEventListener('click', () => location.reload());

  // Without WebGL the program cannot draw: the page says so, and only that.
  if (!document.createElement('canvas').getContext('webgl')) {
    Module.noInitialRun = true;
    for (const part of document.querySelectorAll('#view, #caption, #keys, #stepper, #stepping, #log')) part.hidden = true;
    status.textContent = said.noWebGL;
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
  const backButton = byId('back'), nextButton = byId('next');
  function showStep(n) {
    if (ended) return;
    setStep(call('_web_show_step', Math.max(0, n)) ?? 0, false);
  }
  // The step's words wait for its frame (fresh), which brings its numbers.
  function setStep(n, fresh = true) {
    if (ended) return;
    step = n;
    stepsButton.classList.toggle('on', step > 0);  // its words say which: Steps or Run
    const [title, hint] = said.stepper.slice(step > 0 ? 2 : 0);
    stepsButton.querySelector('b').textContent = title;
    stepsButton.querySelector('small').textContent = hint;
    // Off at the first and at the last call; the keyboard moves on to the
    // other one rather than being lost with the button.
    backButton.disabled = step <= 1;
    if (fresh || !step) nextButton.disabled = step > 0 && step >= calls.length;
    if (document.activeElement.disabled) (backButton.disabled ? nextButton : backButton).focus();
    panel.hidden = step === 0;
    if (fresh || !step) sayStep();
  }
  function showCalls(shown, current, c) {
    calls = Module.steps = shown;  // the numbers, for the console and the page test
    setStep(current);
    showList();
    showStack(calls[current - 1]);
    if (!cPart.hidden) cCode.value = c;
  }

  // The lab (steps/lab.h), which the program owns: the calls of the cube
  // part changed in the list, their numbers, their order, a push or pop
  // switched off. Each change goes to the program as one edit, which it
  // keeps within its rules and uses from its next frame on; the list, the
  // cards, the canvas and the link after # follow with that frame.
  const editButton = byId('edit'), labTools = byId('lab-tools'), labSaid = byId('lab-said');
  const cPart = byId('c-part'), cCode = byId('c-code');
  let editing = false, listShape = '', focusNext = null, drag = null, note = null;
  function labCall(name, ...args) {
    if (ended || !Module.calledRun) return undefined;
    const types = { web_lab_read: ['string', ['string']], web_lab_c: ['string', []], web_lab_reset: [null, []],
      web_lab_number: [null, ['number', 'number', 'number']], web_lab_swap: [null, ['number']], web_lab_switch: [null, ['number']] };
    return Module.ccall(name, ...types[name], args);
  }

  // The address holds the lab in use; none, the program's own frame.
  function writeLink(text) {
    link = text;
    const address = new URL(location.href);
    address.hash = text;
    history.replaceState(history.state, '', address.href);
    for (const language of document.querySelectorAll('[data-lang]')) language.href = linkTo(language.dataset.lang);
  }
  // The text after # is read by the program's strict reader, as numbers,
  // never run; text it cannot read leaves the program's own frame, and the
  // page says where it stopped.
  function readLink() {
    let text = location.hash.slice(1);
    if (!text || text === link) return;
    try {
      text = decodeURIComponent(text);
    } catch (e) {  // a stray %: the reader says where it stands
    }
    const answer = labCall('web_lab_read', text);
    if (answer) labCall('web_lab_reset');
    say(answer ? ['unreadable', answer] : null);
  }
  // What the page says about the lab, in its language; the reader's line in
  // its own words, English.
  function say(what) {
    note = what;
    showNote();
  }
  function showNote() {
    const line = note && note[1] ? [' ', Object.assign(document.createElement('span'), { lang: 'en', textContent: note[1] })] : [];
    labSaid.replaceChildren(...(note ? [said[note[0]], ...line] : []));
  }
  // The numbers of a call as it was made (a rotate by a cube's angle with
  // the angle it has now).
  const shownNumbers = (c) => /\((.*)\)/.exec(c.call)[1].split(', ').filter(Boolean);
  function setNumber(input, value) {
    const [k, j] = input.dataset.key.split(':').map(Number);
    labCall('web_lab_number', k, j, value);
  }

  // The list: one line a call; while editing, each number an input, each
  // push and pop a switch, each call but the last a swap with the next. The
  // rows are made again only when the calls' kinds change (a swap), so that
  // the number being typed keeps its focus; the focus stays on the same
  // control, or follows the call moved down.
  function showList() {
    const shape = [lang, editing, ...calls.map((c) => c.name)].join();
    const focused = list.contains(document.activeElement) && document.activeElement.dataset.key;
    if (shape !== listShape) {
      listShape = shape;
      list.replaceChildren(...calls.map(row));
    }
    const again = focusNext ?? focused;
    focusNext = null;
    const moved = again && document.activeElement.dataset.key !== again && list.querySelector(`[data-key="${again}"]`);
    if (moved) moved.focus();
    calls.forEach((c, k) => {
      const item = list.children[k], numbers = shownNumbers(c);
      item.querySelector('code').textContent = editing && (c.numbers ?? []).length ? `${c.call.split('(')[0]}(` : c.call;
      item.querySelectorAll('input[type="number"]').forEach((input, j) => {
        if (input !== document.activeElement) input.value = numbers[j];  // not while it is typed into
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
  function row(c, k) {
    const item = document.createElement('li'), name = c.name, args = c.numbers ?? [], n = k + 1;
    const control = (tag, properties) => Object.assign(document.createElement(tag), properties);
    const mark = control('strong', { className: 'gl-error', hidden: true });
    mark.append(`⚠ `, control('span', { className: 'unseen', textContent: `${said.glError} ` }), control('span', { lang: 'en' }));
    if (!editing) return item.append(control('code', {}), mark), item;
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
    if (k + 1 < calls.length) {
      const swap = control('button', { textContent: '⇅' });
      swap.dataset.key = `${k}:swap`;
      swap.setAttribute('aria-label', said.swap(n));
      item.firstChild.append(swap);
    }
    return item;
  }

  list.addEventListener('input', ({ target }) => {
    if (target.type === 'number' && Number.isFinite(target.valueAsNumber)) setNumber(target, target.valueAsNumber);
  });
  list.addEventListener('change', ({ target }) => {
    const k = Number(target.dataset.key.split(':')[0]);
    if (target.type === 'checkbox') labCall('web_lab_switch', k);
    else if (target.type === 'number') target.value = shownNumbers(calls[k])[target.dataset.key.split(':')[1]];  // as taken
  });
  list.addEventListener('click', ({ target }) => {
    if (target.tagName !== 'BUTTON') return;
    const k = Number(target.dataset.key.split(':')[0]);
    // The focus follows the call moved down, so that the button moves it on.
    focusNext = `${Math.min(k + 1, calls.length - 2)}:swap`;
    labCall('web_lab_swap', k);
  });
  // The arrows up and down change a number by its step (ten with Shift).
  list.addEventListener('keydown', (event) => {
    const input = event.target, by = { ArrowUp: 1, ArrowDown: -1 }[event.key];
    if (input.type !== 'number' || !by) return;
    event.preventDefault();
    setNumber(input, (Number.isFinite(input.valueAsNumber) ? input.valueAsNumber : 0) + by * (event.shiftKey ? 10 : 1) * input.dataset.step);
  });
  // A number dragged sideways, by mouse, pen or finger: a step every 6
  // pixels. A press without a drag is for typing: it selects the number.
  list.addEventListener('pointerdown', (event) => {
    const input = event.target;
    if (input.type !== 'number' || event.button !== 0) return;
    event.preventDefault();
    input.setPointerCapture(event.pointerId);
    drag = { input, x: event.clientX, from: Number.isFinite(input.valueAsNumber) ? input.valueAsNumber : 0, moved: false };
  });
  list.addEventListener('pointermove', (event) => {
    if (!drag || event.target !== drag.input) return;
    const by = Math.trunc((event.clientX - drag.x) / 6);
    if (!by && !drag.moved) return;
    drag.moved = true;
    setNumber(drag.input, drag.from + by * drag.input.dataset.step);
  });
  const dropped = (event) => {
    if (!drag || event.target !== drag.input) return;
    if (!drag.moved && event.type === 'pointerup') drag.input.focus(), drag.input.select();
    drag = null;
  };
  list.addEventListener('pointerup', dropped);
  list.addEventListener('pointercancel', dropped);

  editButton.addEventListener('click', () => {
    editing = !editing;
    editButton.setAttribute('aria-pressed', editing);
    list.classList.toggle('lab', editing);
    labTools.hidden = !editing;
    if (!editing) cPart.hidden = true;
    showList();
  });
  byId('lab-reset').addEventListener('click', () => {
    labCall('web_lab_reset');
    say(null);
  });
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
    } catch (e) {
      say(['selected']);
    }
  });

  // The stack as cards, the view at the bottom, the top first: each matrix
  // as the frame it places, in world coordinates, its columns the frame's
  // x, y and z axes and its origin; or, with the switch, as GL returns it.
  const cards = byId('cards'), raw = byId('raw');
  const number = (v) => (Math.abs(v) < 0.005 ? 0 : v).toFixed(2).replace('.', lang === 'en' ? '.' : ',');
  function card(m, title, kind) {
    const rows = raw.checked ? [0, 1, 2, 3] : [0, 1, 2];
    const heads = raw.checked ? ['1', '2', '3', '4'] : said.heads;
    const item = document.createElement('li');
    item.className = `card ${kind}`;
    item.innerHTML = `<h3>${title}</h3><table><thead><tr><td></td>${heads.map((h, c) =>
      `<th scope="col" class="c${c}">${h}</th>`).join('')}</tr></thead><tbody>${rows.map((r) =>
      `<tr><th scope="row">${raw.checked ? `${said.row} ${r + 1}` : 'xyz'[r]}</th>${[0, 1, 2, 3].map((c) =>
      `<td>${number(m[c * 4 + r])}</td>`).join('')}</tr>`).join('')}</tbody></table>`;
    return item;
  }
  function showStack(c) {
    if (!c) return;
    const stack = raw.checked ? c.modelview_stack : c.stack;
    const last = stack.length - 1;
    const shown = stack.map((m, i) => card(m, said.matrix(i + 1, i === last), i === last ? 'top' : 'under'));
    if (c.ghost) shown.push(card(raw.checked ? c.ghost_modelview : c.ghost, said.ghost(last + 2), 'popped'));
    cards.replaceChildren(...shown.reverse());
    byId('depth').textContent = said.depth(c.depth);
  }
  raw.addEventListener('change', () => showStack(calls[step - 1]));

  const next = () => showStep(step + 1), back = () => step > 1 && showStep(step - 1);
  stepsButton.addEventListener('click', () => showStep(step > 0 ? 0 : 1));
  nextButton.addEventListener('click', next);
  backButton.addEventListener('click', back);

  // The whole page on the whole screen, for a projector.
  const fullscreen = byId('fullscreen');
  if (document.fullscreenEnabled) {
    fullscreen.hidden = false;
    fullscreen.addEventListener('click', () =>
      (document.fullscreenElement ? document.exitFullscreen() : document.documentElement.requestFullscreen()).catch(() => {}));
    document.addEventListener('fullscreenchange', () => fullscreen.setAttribute('aria-pressed', !!document.fullscreenElement));
  }

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
  // its window do on the desktop; but Tab moves between the controls, Enter
  // and Space on one press it, the arrows (and while stepping Page Up and
  // Page Down, as a presenter's clicker sends them) walk through the steps,
  // and the browser keeps its own shortcuts.
  const walk = { ArrowRight: next, ArrowLeft: back }, clicker = { PageDown: next, PageUp: back };
  window.addEventListener('keydown', (event) => {
    if (event.key === 'Tab' || event.metaKey || event.isComposing) return;
    if (event.target.type === 'number' || event.target.tagName === 'TEXTAREA') return;  // typing a number, or the C
    const go = walk[event.key] || (step > 0 && clicker[event.key]);
    if (go) {
      event.preventDefault();
      return go();
    }
    if (['BUTTON', 'INPUT', 'A', 'SUMMARY'].includes(event.target.tagName) && (event.key === 'Enter' || event.key === ' ')) return;
    const character = characterOf(event);
    if (character === null) return;
    if (!event.ctrlKey && !event.altKey) event.preventDefault();  // Space would scroll
    press(character);
  });

  for (const button of byId('keys').querySelectorAll('button[data-key]'))
    button.addEventListener('click', () => press(Number(button.dataset.key)));
  // A control clicked with the mouse leaves the keyboard where it was, so
  // that Space after a click on X is the program's Space, not a second X.
  for (const control of document.querySelectorAll('button, label, a, summary'))
    control.addEventListener('mousedown', (event) => event.preventDefault());

  setLanguage(lang);
  window.addEventListener('load', () => canvas.focus());
})();
