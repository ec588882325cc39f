// page_test.mjs - Quenlade's page in headless Chromium: what the page
// promises, as rows (where the page stands, what is done, what
// is seen) run in order by one runner, in a few page loads that the rows
// share: a desktop served, a phone from a file, a projector, a browser
// without WebGL, and links opened. Each row leaves the page, by the page's
// own means (R, Space, Run, The program's calls, Start again), where the
// next one starts. Expected values come from models of the test's own or
// the C++ side's (quenlade_expect), and the native pictures and numbers
// from quenlade-capture. The page's rules that need no browser (the
// character of a key, the language, the numbers) are units_test.mjs's.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, readFileSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { after, before, test } from 'node:test';
import { pathToFileURL } from 'node:url';
import { gzipSync } from 'node:zlib';

const root = new URL('../../', import.meta.url).pathname;
const pageDir = process.env.QUENLADE_WEB_DIR ?? `${root}out/web`;

// Without the page or what drives it, the test skips (status 77) with one
// line saying what to run, which ctest prints after its summary.
const lacking = [!existsSync(`${pageDir}/index.html`) && `the page in ${pageDir}`,
  !existsSync('/usr/bin/chromium') && 'chromium'].filter(Boolean);
const modules = await Promise.all([import('pngjs'), import('../../tools/chromium.mjs'),
  (async () => createRequire(import.meta.url).resolve('axe-core/axe.min.js'))()])
  .catch(() => lacking.push('the npm packages of package.json'));
if (lacking.length) {
  console.log(`web: skipped, needs ${lacking.join(', ')}`);
  if (process.env.QUENLADE_SKIPPED) writeFileSync(`${process.env.QUENLADE_SKIPPED}/web`, `${lacking.join(', ')}\n`);
  process.exit(77);
}
const [{ PNG }, { launch, serve }, axePath] = modules;

// Expected values come from the C++ side's model (tests/testkit.h), through
// quenlade_expect: where a world point lands in the 500x500 window ("x,y,z",
// or "x,y,z@deg" turned deg degrees about z), the eye and report line after
// keys typed from home, and the names of the colours a pixel looks like.
const expect = (...args) => JSON.parse(execFileSync(process.env.QUENLADE_EXPECT, args.map(String), { encoding: 'utf8' }));
const project = (point, eye) => expect('project', eye.join(), [point].flat().join())[0];
const turnZ = ([x, y, z], deg) => {  // the scene's geometry: p turned deg degrees about z
  const c = Math.cos((deg * Math.PI) / 180), s = Math.sin((deg * Math.PI) / 180);
  return [x * c - y * s, x * s + y * c, z];
};
const eyes = (codes) => expect('keys', ...codes);  // from home
const home = eyes([82])[0].eye, front = eyes([79])[0].eye;
const reportLines = (codes) => (codes.length ? eyes(codes).map((e) => e.line) : []);

// A bound on every wait that only a hang reaches: each waits for what it
// needs (a frame, the words, the link), however busy the machine.
const bound = { timeout: 20000 };

// The pixel of a picture of the canvas, shown at any size, at a position of
// the 500x500 window, as [r, g, b]; the colours it looks like, asked once for
// all the colours of the picture.
const at = (png, [x, y]) => {
  const k = png.width / 500, i = ((png.height - 1 - Math.floor(y * k)) * png.width + Math.floor(x * k)) * 4;
  return [png.data[i], png.data[i + 1], png.data[i + 2]];
};
function looks(png, p, name) {
  if (!png.names) {
    const distinct = new Set();
    for (let i = 0; i < png.data.length; i += 4) distinct.add(`${png.data[i]},${png.data[i + 1]},${png.data[i + 2]}`);
    const names = expect('colours', ...distinct);
    png.names = new Map([...distinct].map((rgb, i) => [rgb, names[i]]));
  }
  return png.names.get(at(png, p).join()).includes(name);
}
// How many of the cube pixels of a native picture differ in the page's,
// and how many there are (the white text left out).
function cubesDiffer(web, native) {
  let differ = 0, cubes = 0;
  for (let i = 0; i < 500 * 500; i++) {
    const p = [i % 500, i / 500], a = at(web, p), b = at(native, p);
    if ((looks(native, p, 'grey') && !looks(native, p, 'white')) || looks(native, p, 'blue'))
      cubes++, differ += a.some((v, c) => Math.abs(v - b[c]) > 8);
  }
  return [differ, cubes];
}
const near = (png, p, name) =>  // anywhere in the 5x5 pixels round p: lines are 1 px wide
  [-2, -1, 0, 1, 2].some((dx) => [-2, -1, 0, 1, 2].some((dy) => looks(png, [p[0] + dx, p[1] + dy], name)));

let server, browser, url, file;

before(async () => {
  ({ server, url } = await serve(pageDir));
  file = pathToFileURL(`${pageDir}/index.html`).href;
  browser = await launch();
});

after(() => Promise.all([browser?.close(), server?.kill()]));

// Opens the page, served or from a file, on a desktop or a phone, for a
// browser set to languages, with a clock the test can hold (the program's
// ticks wait while it is held, from the start when the tab's name says so,
// across a reload), and waits for its first frame. The desktop is narrow
// enough to show the canvas 500 pixels wide, as the native window.
async function open(address, viewport = { width: 516, height: 900 }, languages = ['en-US', 'en']) {
  const page = await browser.newPage();
  page.on('pageerror', (error) => assert.fail(`the page threw: ${error}`));
  await page.setViewport(viewport);
  await page.evaluateOnNewDocument((languages) => {
    Object.defineProperty(navigator, 'languages', { get: () => languages });
    window.clockHeld = window.name === 'held';
    const setTimeoutOfPage = window.setTimeout.bind(window), clearTimeoutOfPage = window.clearTimeout.bind(window);
    const waiting = new Map();  // a timer's first id, and the one it waits under now
    window.setTimeout = (run, ms, ...args) => {
      const id = setTimeoutOfPage(function due() {
        if (window.clockHeld) waiting.set(id, setTimeoutOfPage(due, ms));
        else waiting.delete(id), run(...args);
      }, ms);
      return id;
    };
    window.clearTimeout = (id) => (clearTimeoutOfPage(waiting.get(id) ?? id), waiting.delete(id));
  }, languages);
  await page.goto(address);
  await page.waitForFunction(() => document.body.dataset.firstFrame, bound);
  return page;
}

// The rows of one page load, in order, each a subtest; the first that fails
// ends the load, as the rows after it start where it should have left it.
function session(name, opening, rows) {
  test(name, async (t) => {
    const page = await opening();
    for (const [promise, row] of rows) {
      let failed = false;
      await t.test(promise, () => row(page, t).catch((error) => { failed = true; throw error; }));
      if (failed) break;
    }
    await page.close();
  });
}

// A control as a user reaches it: scrolled to the middle of the screen
// first, clear of what stays in view over the page (Back and Next at a
// phone's bottom, the canvas at the top in the lab); then clicked.
async function reach(page, target) {
  const handle = typeof target === 'string' ? await page.$(target) : target;
  await handle.evaluate((e) => e.scrollIntoView({ block: 'center' }));
  return handle;
}
const clickOn = async (page, target) => (await reach(page, target)).click();

// An action and the frame that follows it.
async function frameOf(page, action) {
  const frames = await page.evaluate(() => Module.frames);
  await action();
  await page.waitForFunction((n) => Module.frames > n, bound, frames);
}
const press = (page, ...keys) => keys.reduce((done, key) => done.then(() => frameOf(page, () => page.keyboard.press(key))), Promise.resolve());
const hold = (page, held) => page.evaluate((held) => { window.clockHeld = held; }, held);
// Steps from the running animation; the calls of the frame that shows the
// first (not of a tick's frame that came before it).
async function startSteps(page) {
  await page.evaluate(() => { window.stale = Module.steps; });
  await page.keyboard.press('ArrowRight');
  await page.waitForFunction(() => Module.steps !== window.stale, bound);
  return page.evaluate(() => Module.steps);
}
const run = (page) => frameOf(page, () => page.evaluate(() => document.getElementById('steps').click()));
async function picture(page, action) {
  if (action) await frameOf(page, action);
  return PNG.sync.read(Buffer.from(await (await page.$('#canvas')).screenshot()));
}
const textOf = (page, id) => page.evaluate((id) => document.getElementById(id).textContent, id);
const reported = async (page) => (await textOf(page, 'report')).split('\n').slice(0, -1);
// Waits for #id to hold the words (a tick's frame may come between an
// action and the frame that brings them), and compares.
async function expectSaid(page, id, words, what) {
  await page.waitForFunction((id, words) => document.getElementById(id).textContent === words, bound, id, words).catch(() => {});
  assert.equal(await textOf(page, id), words, what);
}
// Waits for the report to hold the lines expected, and compares.
async function expectLines(page, expected, what) {
  await page.waitForFunction((n, last) => {
    const lines = document.getElementById('report').textContent.split('\n').slice(0, -1);
    return lines.length >= n && lines.at(-1) === last;
  }, bound, expected.length, expected.at(-1)).catch(() => {});
  assert.deepEqual(await reported(page), expected, what);
}
// The step the page marks in its list of calls, 0 when it shows none.
const markedStep = (page) => page.evaluate(() => {
  const list = document.getElementById('calls');
  return document.getElementById('stepping').hidden ? 0 : [...list.children].findIndex((item) => item.className === 'current') + 1;
});
const codes = [];  // the program's keys typed on the desktop's page since it opened, for the model's eye and lines
// The mode the page says it is in, and the keys that bring it to another.
const modeOf = async (page) => ((await textOf(page, 'scene')).includes('sem push/pop') ? 'off' : 'on');
async function toMode(page, mode, typed = codes) {
  if ((await modeOf(page)) !== mode) await press(page, 'Space'), typed.push(32);
}
// Keys typed in one task, faster than any frame.
const typeKeys = (page, keys) => page.evaluate((keys) => {
  for (const key of keys) window.dispatchEvent(new KeyboardEvent('keydown', { key }));
}, keys);
const labLink = (page) => page.evaluate(() => decodeURIComponent(location.hash.slice(1)));
// A lab set by the page's address, typed while the page runs.
const typeLink = (page, text) => frameOf(page, () => page.evaluate((text) => { location.hash = text; }, text));
// The program's calls again, by the lab's own button.
async function programCalls(page) {
  await page.evaluate(() => document.getElementById('lab-reset').click());
  await page.waitForFunction(() => location.hash === '', bound)
    .catch(async () => assert.fail(`the link still holds ${await page.evaluate(() => location.hash)} after The program's calls`));
}
function angleOf(calls) {
  const rotate = /glRotatef\(([-\d.]+), 0, 0, 1\)/.exec(calls.map((c) => c.call).join());
  assert.ok(rotate, `no glRotatef(angle, 0, 0, 1) among the calls: ${calls.map((c) => c.call)}`);
  return Number(rotate[1]);
}
// What axe-core finds wrong on the page as it stands.
async function violations(page) {
  await page.addScriptTag({ path: axePath });
  return page.evaluate(async () => (await axe.run()).violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(', ')}`));
}

// The mode label's white pixels: their left, top and right ends. The label
// stands in a view of its own from (0, 0, 5), its baseline from (-2, -2, 0),
// its capitals 0.2 high, whatever the eye.
function label(png) {
  const box = [500, 0, 0];
  for (let y = 0; y < 60; y++) {
    for (let x = 0; x < 500; x++)
      if (looks(png, [x, y], 'white')) box.splice(0, 3, Math.min(box[0], x), Math.max(box[1], y), Math.max(box[2], x));
  }
  // Its tallest letters stand between the capitals' 100 font units and the
  // font's 119 (the page's letters are the Hershey design's, a little apart).
  const [left, , capitals, tallest] = [...project([-2, -2, 0], front), ...[1.8, 1.762].map((y) => project([-2, -y, 0], front)[1])];
  assert.ok(box[0] >= left - 1 && box[0] <= left + 6 && box[1] >= capitals - 1.5 && box[1] <= tallest + 1,
    `the label's left and top at ${box.slice(0, 2)}, not ${left} and ${capitals} to ${tallest}`);
  return box[2];
}
// The right end of the step caption's second line (the stack's depth), left
// of the y axis's letter: its white pixels 466 to 474 rows up from the
// window's bottom, above the first line's descenders.
function depthLineEnd(png) {
  let end = 0;
  for (let y = 466; y <= 474; y++) for (let x = 0; x < 170; x++) if (looks(png, [x, y], 'white')) end = Math.max(end, x);
  return end;
}

// The calls as the lab writes them.
const own = 'glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glPopMatrix();glTranslatef(1.5,1.5,0);' +
  'glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);glPopMatrix()';
const ownOff = 'glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glRotatef(a2,0,1,0);glTranslatef(1.5,1.5,0);glutSolidCube(0.5)';
const swapped = own.replace('glRotatef(a1,0,0,1);glTranslatef(1,0,0)', 'glTranslatef(1,0,0);glRotatef(a1,0,0,1)');
const nested = 'glTranslatef(1,0,0);glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(0.5,0,0);glutSolidCube(0.5);' +
  'glPushMatrix();glTranslatef(1.5,1.5,0);glRotatef(a2,0,1,0);glutSolidCube(0.5);glPopMatrix();glPopMatrix()';

// The step in words, with the numbers of the model at angle a: mode, step,
// the frame's origin and x axis, the stack's depth.
const rotY = (a) => [Math.cos((a * Math.PI) / 180), 0, -Math.sin((a * Math.PI) / 180)];
const stepTable = [
  ['on', 1, () => [0, 0, 0], () => [1, 0, 0], 2], ['on', 3, (a) => turnZ([1, 0, 0], a), (a) => turnZ([1, 0, 0], a), 2],
  ['on', 5, () => [0, 0, 0], () => [1, 0, 0], 1], ['on', 8, () => [1.5, 1.5, 0], rotY, 2],
  ['off', 2, (a) => turnZ([1, 0, 0], a), (a) => turnZ([1, 0, 0], a), 1],
  ['off', 4, (a) => turnZ([2.5, 1.5, 0], a), (a) => turnZ([1, 0, 0], a), 1],
  ['off', 5, (a) => turnZ([2.5, 1.5, 0], a), (a) => turnZ(rotY(a), a), 1]];
const two = (v) => `${Math.round(v * 100) / 100 + 0}`;
const stepWords = {
  en: (n, count, call, o, x, d) => `Step ${n} of ${count}, ${call}: the frame's origin is at ${o.map(two).join(', ')}; ` +
    `its x axis points along ${x.map(two).join(', ')}; ${d} ${d === 1 ? 'matrix' : 'matrices'} on the stack`,
  'pt-BR': (n, count, call, o, x, d) => {
    const v = (p) => `(${p.map(two).join('; ').replaceAll('.', ',')})`;
    return `Passo ${n} de ${count}, ${call}: a origem do referencial está em ${v(o)}; seu eixo x aponta para ${v(x)}; ` +
      `${d} ${d === 1 ? 'matriz' : 'matrizes'} na pilha`;
  },
};
// Walks the steps of the mode the page is in and compares the live region's
// words with the model's, in the page's language; then runs on.
async function expectStepWords(page, mode, lang) {
  const calls = await startSteps(page), angle = angleOf(calls);
  assert.equal(calls.length, mode === 'on' ? 10 : 6);
  let at = 1;
  for (const [, n, origin, x, depth] of stepTable.filter(([m]) => m === mode)) {
    for (; at < n; at++) await press(page, 'ArrowRight');
    await expectSaid(page, 'step-now', stepWords[lang](n, calls.length, calls[n - 1].call, origin(angle), x(angle), depth),
      `mode ${mode}, step ${n} at ${angle} degrees`);
  }
  await run(page);
}

// The cards' titles, as an independent model tells each matrix's story from
// the calls' names alone: a push starts a story (the view's is gluLookAt's),
// a pop ends the top's (at the view, it pops nothing: GL refuses), a call
// switched off in the lab does nothing, and any other call but a cube
// changes the top.
const listed = (numbers, and) => (numbers.length > 1 ? `${numbers.slice(0, -1).join(', ')} ${and} ${numbers.at(-1)}` : `${numbers[0]}`);
const titleWords = {
  en: {
    story: ({ from, changed }) => `${from ? `pushed by call ${from}` : 'set by gluLookAt'}` +
      `${changed.length ? `, then changed by call${changed.length > 1 ? 's' : ''} ${listed(changed, 'and')}` : ''}`,
    matrix: (i, story, top) => `Matrix ${i}, ${story}${top ? ': the current one, on top' : ''}`,
    ghost: (i, story, n) => `Matrix ${i}, ${story}, popped by call ${n}: the ghost`,
  },
  'pt-BR': {
    story: ({ from, changed }) => `${from ? `empilhada pela chamada ${from}` : 'definida por gluLookAt'}` +
      `${changed.length ? `, depois mudada pela${changed.length > 1 ? 's chamadas' : ' chamada'} ${listed(changed, 'e')}` : ''}`,
    matrix: (i, story, top) => `Matriz ${i}, ${story}${top ? ': a atual, no topo' : ''}`,
    ghost: (i, story, n) => `Matriz ${i}, ${story}, desempilhada pela chamada ${n}: o fantasma`,
  },
};
// The stack of stories after each call: [{ stack, ghost }], bottom first.
function storiesOf(calls) {
  const stack = [{ from: 0, changed: [] }];
  return calls.map((c, k) => {
    const n = k + 1, off = c.call.startsWith('//');
    let ghost = null;
    if (off || c.name === 'glutSolidCube') ;
    else if (c.name === 'glPushMatrix') stack.push({ from: n, changed: [] });
    else if (c.name === 'glPopMatrix') ghost = stack.length > 1 ? stack.pop() : null;
    else stack.at(-1).changed.push(n);
    return { stack: stack.map((s) => ({ from: s.from, changed: [...s.changed] })), ghost };
  });
}
// The cards as shown: each title, and the numbers as written.
const cardsOf = (page) => page.$$eval('#cards > li', (items) => items.map((card) => ({ title: card.querySelector('h3').textContent,
  rows: [...card.querySelectorAll('tbody tr')].map((row) => [...row.querySelectorAll('td')].map((td) => td.textContent)) })));
// A matrix as a card's rows show it: x, y, z (and w as GL returns it); close
// to two decimals, written in the language's way (0,71 in Portuguese).
const rows = (m, n = 3) => [...Array(n).keys()].map((r) => [0, 1, 2, 3].map((c) => m[c * 4 + r]));
const close = (a, b, tolerance) => a.flat(2).length === b.flat(2).length && a.flat(2).every((v, i) => Math.abs(v - b.flat(2)[i]) <= tolerance);
const written = { en: /^-?\d+\.\d\d$/, 'pt-BR': /^-?\d+,\d\d$/ };
const shownAs = (card, lang) => {
  for (const v of card.rows.flat()) assert.match(v, written[lang], `"${card.title}": ${v} in ${lang}`);
  return card.rows.map((row) => row.map((v) => Number(v.replace(',', '.'))));
};

// Each title at every step, and its numbers: a matrix last changed (or
// pushed) at step k is the frame the top held after step k; the view,
// never changed, the world itself.
async function expectTitles(page, lang, where) {
  const calls = await startSteps(page), model = storiesOf(calls), said = titleWords[lang];
  const world = [[1, 0, 0, 0], [0, 1, 0, 0], [0, 0, 1, 0]];
  for (let n = 1; n <= calls.length; n++) {
    if (n > 1) await press(page, 'ArrowRight');
    const at = `${where}: step ${n}, ${calls[n - 1].call}`, cards = await cardsOf(page);
    const { stack, ghost } = model[n - 1];
    const expected = [...stack.map((s, i) => ({ title: said.matrix(i + 1, said.story(s), i === stack.length - 1), story: s })).reverse(),
      ...(ghost ? [{ title: said.ghost(stack.length + 1, said.story(ghost), n), story: ghost }] : [])];
    if (ghost) expected.unshift(expected.pop());  // the ghost's card is first, above the stack
    assert.deepEqual(cards.map((c) => c.title), expected.map((e) => e.title), at);
    expected.forEach(({ story }, i) => {
      const last = story.changed.at(-1) ?? story.from, shown = last ? rows(calls[last - 1].world) : world;
      assert.ok(close(shownAs(cards[i], lang), shown, 0.006), `${at}: the card "${cards[i].title}" shows ${cards[i].rows}, not ${shown}`);
    });
  }
  await run(page);
}

// Key events as a browser sends them (key, code, modifiers: 1 Alt, 2 Ctrl,
// 4 Meta, 8 Shift), and the character that the desktop's X server gives the
// program for the same key, or none (Meta's keys stay the browser's); from
// home, then 81 steps down in z, which miss 0.
const keyEvents = [
  ['X', 'KeyX', 0, 88],  // Caps Lock on: X without Shift
  ['x', 'KeyX', 0, 120], ['Y', 'KeyY', 8, 89], ['y', 'KeyY', 0, 121], ['Z', 'KeyZ', 8, 90],
  ['z', 'KeyZ', 0, 122], ['o', 'KeyO', 0, 111], ['R', 'KeyR', 8, 82], [' ', 'Space', 0, 32],
  ['a', 'KeyA', 0, 97], ['é', 'Digit2', 0, 233], ['x', 'KeyX', 2, 24], ['!', 'Digit1', 8, 33],
  ['€', 'KeyE', 0, null], ['ArrowRight', 'ArrowRight', 0, null], ['Shift', 'ShiftLeft', 8, null],
  ['F1', 'F1', 0, null], ['Enter', 'Enter', 0, 13], ['x', 'KeyX', 1, 120], ['x', 'KeyX', 4, null],
  ['4', 'Digit4', 2, 28], ['5', 'Digit5', 2, 29], ['6', 'Digit6', 2, 30], ['7', 'Digit7', 2, 31],  // not Esc
  ...Array(81).fill(['z', 'KeyZ', 0, 122]),
];
async function send(page, key, code, modifiers) {
  page.cdp ??= await page.createCDPSession();
  for (const type of ['keyDown', 'keyUp']) await page.cdp.send('Input.dispatchKeyEvent', { type, key, code, modifiers });
}
async function expectEnded(page, words) {
  await page.waitForFunction(() => document.body.dataset.exitStatus !== undefined, bound);
  assert.equal(await page.evaluate(() => document.body.dataset.exitStatus), '0');
  await expectSaid(page, 'status-text', words, 'the end said');
}

// Stepping, a key and what follows: the step marked, the calls listed, Back
// and Next off or on, and the step's first words. Keys at the ends bring no
// frame. Space while stepping switches the mode and starts again at its
// first call; Page Down and Page Up (a presenter's clicker) walk too.
const walk = [
  // key, step, calls, Back off, Next off, a frame comes
  ['ArrowRight', 1, 10, true, false], ['PageDown', 2, 10, false, false], ['PageDown', 3, 10, false, false],
  ['PageUp', 2, 10, false, false], ['ArrowLeft', 1, 10, true, false], ['ArrowLeft', 1, 10, true, false, false],
  ['PageUp', 1, 10, true, false, false], ['ArrowRight', 2, 10, false, false], ['ArrowRight', 3, 10, false, false],
  ['Space', 1, 6, true, false], ...[2, 3, 4, 5].map((n) => ['ArrowRight', n, 6, false, false]),
  ['ArrowRight', 6, 6, false, true], ['ArrowRight', 6, 6, false, true], ['ArrowLeft', 5, 6, false, false],
  ['PageDown', 6, 6, false, true], ['Space', 1, 10, true, false],
];

// One page on a desktop, served: the program's picture, keys and report,
// the steps and their words, the stack against the native numbers, the
// cards' titles, the lab, links typed, both languages, and Esc.
session('a desktop, served: one page through the promises', () => open(url), [
  ['the page: its title, under 100 KB gzipped, the canvas with the keyboard', async (page) => {
    const gzipped = gzipSync(readFileSync(`${pageDir}/index.html`)).length;
    assert.ok(gzipped <= 100000, `the page is ${gzipped} bytes gzipped, over 100 KB`);
    assert.equal(await page.title(), 'Quenlade #2');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas');
    assert.deepEqual(await violations(page), [], 'axe-core, running');
  }],
  ['both modes draw the cubes, axes and label where the model puts them, as the native program does', async (page, t) => {
    await press(page, 'ArrowRight');  // the steps leave the frame as they found it
    await run(page);
    await hold(page, true);
    const ends = {};  // of the label: "usando push/pop" is three letters longer
    for (const [mode, blueAt] of [['off', [2.5, 1.5, 0]], ['on', [1.5, 1.5, 0]]]) {
      const web = await picture(page, () => page.keyboard.press('Space'));  // both cubes back to angle 0
      codes.push(32);
      const native = PNG.sync.read(readFileSync(`${root}docs/push-pop-${mode}.png`));
      for (const [what, p, name] of [['grey cube', [1, 0, 0], 'grey'], ['blue cube', blueAt, 'blue'],
        ['x axis', [2.5, 0, 0], 'red'], ['y axis', [0, 2.5, 0], 'green']])
        assert.ok(near(web, project(p, home), name), `mode ${mode}: no ${what} at ${project(p, home)}`);
      ends[mode] = label(web);
      const [differ, cubes] = cubesDiffer(web, native);
      t.diagnostic(`mode ${mode}: ${differ} of the ${cubes} cube pixels differ from the native picture`);
      assert.ok(differ <= cubes * 0.02, `mode ${mode}: ${differ} of ${cubes} cube pixels differ`);
    }
    assert.ok(ends.on > ends.off + 30, `the label ends at ${ends.on} with push/pop, at ${ends.off} without`);
    await hold(page, false);
  }],
  ['typed keys give the program the desktop\'s characters; a click, Tab, Enter and Space on a button press the button', async (page) => {
    for (const [key, code, modifiers] of keyEvents) await send(page, key, code, modifiers);
    codes.push(...keyEvents.map(([, , , character]) => character).filter((c) => c !== null));
    await expectLines(page, reportLines(codes), 'the key table');
    assert.equal(reportLines(codes).at(-1), 'Camera: 1.590000, 2.900000, 0.000005');
    // A click on the X button leaves the keyboard with the canvas: Space is
    // the program's Space, not a second X. Tab three times reaches the X button,
    // Enter presses it: its line, and none for Enter; Space on it presses
    // it, and is no Space of the program's. (The table's right arrow left
    // the page stepping: Predict first comes first.)
    await page.click('#keys button[data-key="88"]');
    for (const key of ['Space', 'Tab', 'Tab', 'Tab', 'Enter', 'Space']) await page.keyboard.press(key);
    codes.push(88, 32, 88, 88);
    await expectLines(page, reportLines(codes), 'a click on X, Space, then Tab, Tab, Enter and Space on the X button');
    await page.focus('#canvas');
    await run(page);  // the table's right arrow started the steps
  }],
  ['a held key: the report keeps the latest 1,000 lines, in order', async (page) => {
    await page.evaluate(() => {
      for (let i = 0; i < 1000; i++) window.dispatchEvent(new KeyboardEvent('keydown', { key: 'X' }));
    });
    codes.push(...Array(1000).fill(88));
    await expectLines(page, reportLines(codes).slice(-1000), 'the latest 1,000 lines');
  }],
  ['the report says nothing as lines come, and the latest line once the keys pause', async (page) => {
    assert.deepEqual(await page.evaluate(() => ['step-now', 'report'].map((id) => document.getElementById(id).getAttribute('aria-live'))),
      ['polite', 'off'], 'the step said as it changes, the report line by line not');
    await page.evaluate(() => {
      window.changes = 0;
      new MutationObserver(() => window.changes++).observe(document.getElementById('heard'), { childList: true, characterData: true, subtree: true });
    });
    // All in one task, so that no pause can come between them however busy
    // the machine; then the pause, however long it takes to come.
    await page.evaluate(() => {
      for (let i = 0; i < 20; i++) window.dispatchEvent(new KeyboardEvent('keydown', { key: 'X' }));
    });
    codes.push(...Array(20).fill(88));
    await expectSaid(page, 'heard', reportLines(codes).at(-1), 'the latest line, said');
    assert.equal(await page.evaluate(() => window.changes), 1, 'the latest line said once, the others not');
  }],
  ['the canvas\'s words: the mode and the eye, and each step with the numbers of the model, in both modes', async (page) => {
    await press(page, 'R');
    codes.push(82);
    await toMode(page, 'on');
    await expectSaid(page, 'scene', 'Mode “usando push/pop”; the eye at 1.69, 2.9, 8.1.');
    await expectStepWords(page, 'on', 'en');
    await press(page, 'Space', 'o');
    codes.push(32, 79);
    await expectSaid(page, 'scene', 'Mode “sem push/pop”; the eye at 0, 0, 5.');
    await expectStepWords(page, 'off', 'en');
    await expectSaid(page, 'step-now', 'The cubes are turning.');
  }],
  ['stepping: each key\'s step, Back and Next, Space back to the first call; Page Down and Up the browser\'s when running', async (page) => {
    await press(page, 'Space');
    codes.push(32);
    for (const [key, step, count, backOff, nextOff, frame = true] of walk) {
      if (frame) await press(page, key);
      else await page.keyboard.press(key);
      if (key === 'Space') codes.push(32);
      const calls = await page.evaluate(() => Module.steps), where = `${key} to step ${step} of ${count}`;
      assert.deepEqual([await markedStep(page), calls.length, ...await page.evaluate(() => ['back', 'next'].map((id) => document.getElementById(id).disabled))],
        [step, count, backOff, nextOff], where);
      assert.ok((await textOf(page, 'step-now')).startsWith(`Step ${step} of ${count}, ${calls[step - 1].call}:`), where);
    }
    // Run, Steps, Space and seven steps on before the next frame: the frame
    // without push/pop has six calls, and the page shows the sixth.
    await frameOf(page, () => page.evaluate(() => {
      const type = (key) => window.dispatchEvent(new KeyboardEvent('keydown', { key }));
      document.getElementById('steps').click();
      document.getElementById('steps').click();
      type(' ');
      for (let i = 0; i < 7; i++) type('ArrowRight');
    }));
    codes.push(32);
    assert.equal(await markedStep(page), 6, 'keys faster than frames');
    await run(page);
    await page.keyboard.press('PageDown');
    await page.keyboard.press('PageUp');
    assert.equal(await markedStep(page), 0, 'Page Down is the browser\'s when not stepping');
    await expectLines(page, reportLines(codes).slice(-1000), 'the program heard nothing of the arrows and pages');
  }],
  ['Tab reaches every control while stepping, each with a visible focus; Enter presses them; axe-core finds nothing', async (page) => {
    await press(page, 'ArrowRight', 'ArrowRight');
    let reached = [];
    for (let i = 0; i < 40; i++) {
      await page.keyboard.press('Tab');
      const [name, outline] = await page.evaluate(() => {
        const e = document.activeElement, style = getComputedStyle(e);
        return [e.id || e.dataset.key || e.dataset.lang || e.tagName, `${style.outlineStyle} ${parseFloat(style.outlineWidth) >= 2}`];
      });
      if (reached.includes(name)) break;
      if (name !== 'BODY') reached.push(name), assert.equal(outline, 'solid true', `the focus on ${name} is seen`);
    }
    reached = [...reached.slice(reached.indexOf('en')), ...reached.slice(0, reached.indexOf('en'))];  // from the top
    assert.deepEqual(reached, ['en', 'pt-BR', 'fullscreen', 'challenges-open', 'canvas', 'predict-on', '32', '88', '120', '89', '121', '90', '122', '79', '82', '27',
      'steps', 'back', 'next', 'edit', 'raw', 'SUMMARY', 'report']);
    await page.focus('#next');
    await frameOf(page, () => page.keyboard.press('Enter'));
    assert.equal(await markedStep(page), 3, 'Enter on Next');
    await clickOn(page, 'label[for="raw"]');
    assert.deepEqual(await violations(page), [], 'axe-core, stepping, as GL returns it');
    await clickOn(page, 'label[for="raw"]');
    await run(page);
    await page.focus('#canvas');
  }],
  // At every step of both modes, from several angles and eyes, the page's
  // numbers are the native tool's for the same state (quenlade-capture
  // --steps --json), to 1e-5; the cards show them, to two decimals: one
  // card a matrix, the top one the step's frame in world coordinates or,
  // with the switch, as GL returns it; a push shows two equal cards, a pop
  // the popped one as the ghost. Leaving the steps, the cubes turn on from
  // where they stood, 5 degrees every 100 ms at most: the time spent
  // stepping does not count.
  ['the stack as cards: the native numbers at every step of both modes, a push copies, a pop leaves a ghost', async (page) => {
    await press(page, 'R');
    codes.push(82);
    for (const [mode, keys] of [['on', []], ['off', ['x', 'Y', 'Y']], ['on', ['o']]]) {
      await press(page, ...keys);
      codes.push(...keys.map((key) => key.charCodeAt(0)));
      await toMode(page, mode);
      const eye = eyes(codes).at(-1).eye;
      for (let i = 0; i < 3; i++) await frameOf(page, () => {});  // the cubes turn on a little
      const steps = await startSteps(page), angle = angleOf(steps);
      const native = JSON.parse(execFileSync(process.env.QUENLADE_CAPTURE, ['--steps', '--json', '--mode', mode,
        '--angle', String(angle), '--eye', eye.join(','), `${tmpdir()}/page-test-steps.png`], { encoding: 'utf8' }));
      const where = `mode ${mode} at ${angle} degrees from ${eye}`;
      assert.deepEqual(steps.map((c) => [c.call, c.depth]), native.map((c) => [c.call, c.depth]), where);
      for (let n = 1; n <= steps.length; n++) {
        if (n > 1) await press(page, 'ArrowRight');
        const [mine, theirs] = [(await page.evaluate(() => Module.steps))[n - 1], native[n - 1]];
        for (const what of ['world', 'modelview', 'stack'])
          assert.ok(close(mine[what], theirs[what], 1e-5), `${where}, step ${n}: ${what} differs from the native one`);
        const popped = mine.call === 'glPopMatrix()', [ghost, ...shown] = [...(popped ? [] : [null]), ...await cardsOf(page)];
        assert.equal(shown.length, mine.depth, `${where}, step ${n}: cards`);
        assert.ok(close(shownAs(shown[0], 'en'), rows(theirs.world), 0.006), `${where}, step ${n}: the top card is not the frame`);
        if (mine.call === 'glPushMatrix()')
          assert.deepEqual(shown[0].rows, shown[1].rows, `${where}, step ${n}: a push shows two equal cards`);
        if (popped) {
          assert.match(ghost.title, /ghost/);
          assert.ok(close(shownAs(ghost, 'en'), rows(native[n - 2].world), 0.006), `${where}, step ${n}: the ghost is not the popped frame`);
        }
      }
      await clickOn(page, 'label[for="raw"]');
      const top = (await cardsOf(page))[native.at(-1).ghost ? 1 : 0];  // under the ghost, after a pop
      assert.ok(close(shownAs(top, 'en'), rows(native.at(-1).modelview, 4), 0.006), `${where}: the top card as GL returns it`);
      assert.deepEqual(await page.$$eval('#cards > li:first-child tbody th', (rows) => rows.map((th) => th.textContent)),
        ['row 1', 'row 2', 'row 3', 'row 4'], `${where}: the rows as GL returns them`);
      await clickOn(page, 'label[for="raw"]');
      await run(page);
    }
    const stood = angleOf(await startSteps(page));
    await press(page, 'ArrowRight', 'ArrowRight', 'ArrowLeft', 'ArrowLeft');  // time passes
    const since = Date.now(), frames = await page.evaluate(() => Module.frames);
    await page.click('#steps');
    await page.waitForFunction((n) => Module.frames >= n + 8, bound, frames);
    // A loaded machine may run fewer ticks, never more.
    const turned = angleOf(await startSteps(page)), ticks = (Date.now() - since) / 100;
    const advance = (turned - stood + 360) % 360;
    assert.ok(advance >= 5 && advance <= 5 * ticks + 10,
      `the cubes stood at ${stood} degrees, and ${ticks * 100} ms later turned to ${turned}`);
    await run(page);
  }],
  ['each card says what its matrix is now: at every step of both modes and in labs, in both languages', async (page) => {
    for (const [lang, mode, link] of [['en', 'on', ''], ['en', 'off', ''], ['pt-BR', 'off', ''], ['pt-BR', 'on', ''],
      ['pt-BR', 'on', nested], ['en', 'on', `-${own}`]]) {  // the first push off: the first pop has nothing to pop
      if (await page.evaluate(() => document.documentElement.lang) !== lang) await frameOf(page, () => page.click(`[data-lang="${lang}"]`));
      if (link) await typeLink(page, link);
      else await toMode(page, mode);
      await expectTitles(page, lang, `${lang}, ${mode}, ${link ? 'a lab' : 'the program'}`);
    }
    await programCalls(page);
  }],
  // The lab, by the page's own controls, while stepping: the grey cube's
  // rotate and translate swapped, its angle typed, the first pop switched
  // off, a translate's x typed and stepped up with the arrow (the arrows on a
  // number do not walk the steps, and presses faster than frames add up),
  // the blue cube's angle dragged. The link then holds the calls, and
  // quenlade-capture --calls draws the same frame from them.
  ['the lab: calls changed in the list, the same frame as quenlade-capture --calls draws from the link', async (page, t) => {
    await hold(page, true);
    await toMode(page, 'on');
    await press(page, 'R', 'Space', 'Space');  // the home eye, both angles 0
    await startSteps(page);
    await clickOn(page, '#edit');
    assert.equal((await page.$$('#calls button')).length, 9, 'a swap for each call but the last');
    const row = (n) => `#calls > li:nth-child(${n})`, number = async (n, j) => (await page.$$(`${row(n)} input[type="number"]`))[j];
    const typed = (n, j, text) => async () => (await clickOn(page, await number(n, j)), page.keyboard.type(text));
    const arrows = (key, times) => page.evaluate((key, times) => {  // in one task: faster than frames
      for (let i = 0; i < times; i++) document.activeElement.dispatchEvent(new KeyboardEvent('keydown', { key, bubbles: true }));
    }, key, times);
    const step = (text) => async () => (await page.keyboard.down('Shift'), await page.keyboard.press(text), page.keyboard.up('Shift'));
    for (const [what, action, x] of [['swap 2', () => clickOn(page, `${row(2)} button`)], ['30 typed', typed(3, 0, '30')],
      ['pop 5 off', () => clickOn(page, `${row(5)} input[type="checkbox"]`)], ['2 typed', typed(6, 0, '2'), '2'],
      ['up', () => page.keyboard.press('ArrowUp'), '2.1'], ['Shift+up', step('ArrowUp'), '3.1'],
      ['up three times', () => arrows('ArrowUp', 3), '3.4'], ['down three times', () => arrows('ArrowDown', 3), '3.1']]) {
      await frameOf(page, action);
      await page.waitForFunction(() => decodeURIComponent(location.hash) === `#${Module.steps.map((c) => c.lab).join(';')}`, bound)
        .catch(() => assert.fail(`the link is not the frame's calls after ${what}`));
      if (!x) continue;
      const shift = `glTranslatef(${x},1.5,0)`;
      await page.waitForFunction((shift) => decodeURIComponent(location.hash).includes(shift), bound, shift).catch(() => {});
      assert.ok((await labLink(page)).includes(shift), `after ${what}, the link is ${await labLink(page)}, not with ${shift}`);
    }
    await page.keyboard.press('ArrowRight');
    const box = await (await reach(page, await number(8, 0))).boundingBox(), [x, y] = [box.x + box.width / 2, box.y + box.height / 2];
    await page.mouse.move(x, y);
    await frameOf(page, async () => (await page.mouse.down(), await page.mouse.move(x + 60, y, { steps: 4 }), page.mouse.up()));
    const dragged = await (await number(8, 0)).evaluate((input) => input.value);
    assert.ok(Number(dragged) > 0, `the dragged angle is ${dragged}`);
    assert.equal(await markedStep(page), 1, 'the arrows on a number walked the steps');
    const text = 'glPushMatrix();glTranslatef(1,0,0);glRotatef(30,0,0,1);glutSolidCube(0.5);-glPopMatrix();' +
      `glTranslatef(3.1,1.5,0);glPushMatrix();glRotatef(${dragged},0,1,0);glutSolidCube(0.5);glPopMatrix()`;
    await page.waitForFunction((text) => decodeURIComponent(location.hash) === `#${text}`, bound, text).catch(() => {});
    assert.equal(await labLink(page), text);

    // Running, the canvas is 500 pixels wide again (in the lab, on a screen
    // held upright, it was smaller, at the top): the picture once drawn so.
    await run(page);
    await page.waitForFunction(() => canvas.width === 500, bound);
    const web = await picture(page, () => page.evaluate(() => Module._web_show_step(0)));
    execFileSync(process.env.QUENLADE_CAPTURE, ['--calls', text, `${tmpdir()}/page-test-lab.png`]);
    const native = PNG.sync.read(readFileSync(`${tmpdir()}/page-test-lab.png`));
    const [differ, cubes] = cubesDiffer(web, native);
    t.diagnostic(`${differ} of the ${cubes} cube pixels differ from quenlade-capture --calls`);
    assert.ok(cubes > 2000 && differ <= cubes * 0.02, `${differ} of ${cubes} cube pixels differ from quenlade-capture --calls`);
    await run(page);
  }],
  // The program's calls leave the link empty. A push switched off at the
  // start leaves a pop to underflow, marked in the list, and commented out
  // in the C; a push left open gets its pop in the C.
  ['the program\'s calls, a pop with nothing to pop, and Copy as C with a push left open', async (page) => {
    await frameOf(page, () => clickOn(page, '#lab-reset'));
    await page.waitForFunction(() => location.hash === '', bound)
      .catch(async () => assert.fail(`the link still holds ${await page.evaluate(() => location.hash)} after The program's calls`));
    await frameOf(page, () => clickOn(page, '#calls > li:nth-child(1) input[type="checkbox"]'));
    await clickOn(page, '#lab-c');
    assert.deepEqual(await page.$$eval('#calls > li', (items) => items.map((item, i) => [i + 1, item.querySelector('.gl-error')])
      .filter(([, mark]) => !mark.hidden).map(([n, mark]) => [n, mark.lastChild.textContent])), [[5, 'GL_STACK_UNDERFLOW']]);
    assert.match(await page.$eval('#c-code', (c) => c.value), /\/\/ glPushMatrix\(\);/);
    await frameOf(page, () => clickOn(page, '#calls > li:nth-child(1) input[type="checkbox"]'));
    await frameOf(page, () => clickOn(page, '#calls > li:nth-child(5) input[type="checkbox"]'));
    await clickOn(page, '#lab-c');
    const made = (c, name) => c.split('\n').filter((line) => line.trim().startsWith(`${name}();`)).length;
    const c = await page.$eval('#c-code', (code) => code.value);
    assert.deepEqual([made(c, 'glPushMatrix'), made(c, 'glPopMatrix')], [2, 2], `a pop for each push in:\n${c}`);
    await hold(page, false);  // axe-core waits on timers; the steps hold the cubes
    assert.deepEqual(await violations(page), [], 'axe-core, in the lab');
    await frameOf(page, () => clickOn(page, '#lab-reset'));
    await clickOn(page, '#edit');
    await run(page);
  }],
  // Links typed into the address of a page already running: one of the
  // other mode starts its cubes from 0, as Space does; one that cannot be
  // read leaves the program's own calls, and the link empty.
  ['links typed into the address: another mode\'s from angle 0; one that cannot be read, the program\'s calls', async (page) => {
    await toMode(page, 'on');
    const frames = await page.evaluate(() => Module.frames);
    await page.waitForFunction((n) => Module.frames >= n + 10, bound, frames);  // the cubes turn
    await hold(page, true);
    await typeLink(page, ownOff);
    assert.equal(angleOf(await startSteps(page)), 0, 'a link of the other mode starts the cubes from 0');
    await run(page);
    await typeLink(page, swapped);
    await page.waitForFunction((text) => decodeURIComponent(location.hash) === `#${text}`, bound, swapped);
    await typeLink(page, 'glNonsense()');
    await page.waitForFunction(() => location.hash === '', bound).catch(() => assert.fail('the unreadable link is kept'));
    assert.equal((await startSteps(page)).map((c) => c.lab).join(';'), own);
    assert.match(await textOf(page, 'lab-said'), /could not be read/);
    await run(page);
    await hold(page, false);
  }],
  // A lab's calls in use are said beside the picture, running or stepping,
  // with the way back; nothing is said of a lab of the other mode, of the
  // program's own calls, or after Back to the program's calls.
  ['a lab says it is one, with the way back; the program\'s calls say nothing', async (page) => {
    const banner = () => page.evaluate(() => {
      const on = document.getElementById('lab-on'), box = on.getBoundingClientRect(), stepper = document.getElementById('stepper');
      const floor = getComputedStyle(stepper).position === 'fixed' ? stepper.getBoundingClientRect().top : innerHeight;
      return { said: on.textContent, role: on.getAttribute('role'), seen: box.height > 0 && box.top >= 0 && box.bottom <= floor };
    });
    const lab = 'A lab: these cubes follow changed calls, not the program\'s own. Back to the program\'s calls';
    for (const [link, keys, lang, said, viewport] of [[swapped, [], 'en', lab], [swapped, ['ArrowRight'], 'en', lab],
      [swapped, [], 'pt-BR', 'Um laboratório: estes cubos seguem chamadas mudadas, não as do próprio programa. ' +
        'Voltar às chamadas do programa', { width: 1920, height: 1080 }],
      [swapped, ['Space'], 'en', ''], [own, [], 'en', '']]) {
      const where = `${link === own ? 'the program\'s calls' : 'a lab'}, ${lang}, ${keys}`;
      if (viewport) await page.setViewport(viewport);
      if (await page.evaluate(() => document.documentElement.lang) !== lang) await frameOf(page, () => page.click(`[data-lang="${lang}"]`));
      await typeLink(page, link);
      await press(page, ...keys);
      await page.waitForFunction((said) => document.getElementById('lab-on').textContent === said, bound, said).catch(() => {});
      assert.deepEqual(await banner(), { said, role: 'status', seen: !!said }, where);
      if (said) {
        await frameOf(page, () => clickOn(page, '#lab-back'));
        await page.waitForFunction(() => !document.getElementById('lab-on').textContent, bound).catch(() => {});
        assert.deepEqual([(await banner()).said, await page.evaluate(() => location.hash)], ['', ''], `${where}: Back to the program's calls`);
      }
      if (keys.includes('ArrowRight')) await run(page);
      if (viewport) await page.setViewport({ width: 516, height: 900 });
    }
    await programCalls(page).catch(() => {});
  }],
  // In Portuguese, no word of the English page is left but the program's
  // own (marked with another lang), GL's names and the words both languages
  // have; the canvas's caption says the stack's depth in the page's
  // language; the switch keeps the lab in the address.
  ['English or Portuguese by the switch: nothing left in English, the caption\'s words, the address', async (page) => {
    const pageWords = () => page.evaluate(() => {
      const lang = document.documentElement.lang, texts = [], walk = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
      for (let node; (node = walk.nextNode());)
        if (node.parentElement.closest('[lang]').lang === lang && node.parentElement.tagName !== 'SCRIPT') texts.push(node.textContent);
      for (const e of document.querySelectorAll('[aria-label]')) if (e.closest('[lang]').lang === lang) texts.push(e.getAttribute('aria-label'));
      return texts.join(' ').match(/[\p{L}_]{3,}/gu).filter((w) => !/^gl|_/i.test(w));
    });
    // The words running, stepping at the pop (a ghost too), and in the
    // lab; the language switched there.
    const stepping = async () => {
      const words = await pageWords(), end = depthLineEnd(await picture(page));
      await frameOf(page, () => clickOn(page, '#edit'));
      words.push(...await pageWords());
      await frameOf(page, () => clickOn(page, '#edit'));
      return [words, end];
    };
    await toMode(page, 'on');
    await frameOf(page, () => page.click('[data-lang="pt-BR"]'));
    await expectStepWords(page, 'on', 'pt-BR');
    await typeLink(page, swapped);
    const portuguese = await pageWords();
    await startSteps(page);
    await press(page, ...Array(4).fill('ArrowRight'));
    const [stepped, pt] = await stepping();
    portuguese.push(...stepped);
    await frameOf(page, () => page.click('[data-lang="en"]'));
    assert.deepEqual(await page.evaluate(() => [document.documentElement.lang, location.search]), ['en', '?lang=en']);
    assert.equal(await labLink(page), swapped, 'the switch keeps the lab');
    const [english, en] = await stepping();
    await run(page);
    english.push(...await pageWords());
    assert.ok(pt > en + 30, `the caption's depth line ends at ${pt} in Portuguese, at ${en} in English`);
    const shared = ['Quenlade', 'Esc', 'push', 'pop', 'usando', 'sem', 'modelview', 'OpenGL', 'WebGL', 'console'];
    assert.deepEqual([...new Set(portuguese.filter((w) => english.includes(w) && !shared.includes(w)))], [], 'English left in the Portuguese page');
  }],
  // Esc, or Ctrl+[ as the desktop reads it, after Copy as C: the page says
  // that the program has ended, with its status, and nothing else; only
  // Start again (and the language) is left to press. Starting again keeps
  // the address, so the language and the lab, and starts from the start:
  // push/pop on (the lab's mode), the home eye, the angles at 0, no report
  // lines. Ctrl+3 is Esc too.
  ['after Esc: the end alone said, only Start again left, which starts from the start in the same language and lab', async (page) => {
    await frameOf(page, () => page.click('[data-lang="pt-BR"]'));
    await press(page, 'Space', 'o');
    await startSteps(page);
    await clickOn(page, '#edit');
    await clickOn(page, '#lab-c');
    await page.waitForFunction(() => document.getElementById('lab-said').textContent, bound);
    await page.focus('#canvas');
    await send(page, '[', 'BracketLeft', 2);
    await expectEnded(page, 'O Quenlade terminou (Esc, código de saída 0).');
    assert.deepEqual(await page.evaluate(() => ['lab-said', 'lab-on', 'scene', 'step-now'].map((id) => document.getElementById(id).textContent)),
      ['', '', '', ''], 'after Copy as C and Esc');
    assert.deepEqual(await page.evaluate(() => [...document.querySelectorAll('button, input, a[href], summary, canvas[tabindex]')]
      .filter((e) => !e.disabled && e.getClientRects().length).map((e) => e.id || e.dataset.lang)), ['en', 'pt-BR', 'restart']);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'restart');
    assert.deepEqual(await violations(page), [], 'axe-core, after Esc');

    const address = await page.evaluate(() => [location.search, location.hash]);
    await page.evaluate(() => { window.name = 'held'; });  // the new page's clock held from its start
    await Promise.all([page.waitForNavigation(bound), page.keyboard.press('Enter')]);
    await page.waitForFunction(() => document.body.dataset.firstFrame, bound);
    assert.equal(angleOf(await startSteps(page)), 0, 'started again at angle 0');
    assert.deepEqual(await page.evaluate(() => [document.documentElement.lang, location.search, location.hash]), ['pt-BR', ...address]);
    await expectSaid(page, 'scene', 'Modo “usando push/pop”; o olho em (1,69; 2,9; 8,1).');
    assert.deepEqual(await reported(page), [], 'report lines after starting again');
    await page.evaluate(() => { window.name = ''; });
    await send(page, '3', 'Digit3', 2);
    await expectEnded(page, 'O Quenlade terminou (Esc, código de saída 0).');
    assert.deepEqual(await reported(page), [], 'Ctrl+3 prints nothing');
  }],
]);

// A screen's boxes: of ids, as the page lays them out.
const boxes = (page, ...ids) => page.evaluate((ids) => ids.map((id) => document.getElementById(id).getBoundingClientRect().toJSON()), ids);
const apart = (a, b) => a.bottom <= b.top || b.bottom <= a.top || a.right <= b.left || b.right <= a.left;
const inside = (a, height) => a.top >= 0 && a.bottom <= height;
// Each report line on one row, at the size the page is shown at.
const reportRows = (page) => page.evaluate(() => [...document.getElementById('report').childNodes].map((line) => {
  const range = document.createRange();
  range.setStart(line, 0), range.setEnd(line, line.length - 1);
  return new Set([...range.getClientRects()].map((r) => Math.round(r.top))).size;
}));
// A screen from a phone to a projector, stepping at the first translate:
// no sideways scrolling and nothing off the sides; the canvas square,
// nearly as large as the screen's shorter side, drawn at the pixels it is
// shown at, with the frame's origin where the model puts it; the calls
// beside it on a screen held sideways, below it on one held upright; on a
// projector the canvas, the calls, the stack and the stepping buttons all
// in view; each report line on one row.
async function expectScreen(page, width, height, deviceScaleFactor) {
  const where = `${width}x${height}`, mobile = width * height < 800000;
  await page.setViewport({ width, height, deviceScaleFactor, isMobile: mobile, hasTouch: mobile });
  await page.waitForFunction(() => canvas.width === Math.round(canvas.getBoundingClientRect().width * devicePixelRatio), bound);
  await startSteps(page);
  await press(page, 'ArrowRight', 'ArrowRight');
  const shown = await picture(page);
  const at = project(turnZ([1, 0, 0], angleOf(await page.evaluate(() => Module.steps))), home);
  assert.ok(near(shown, at, 'yellow'), `${where}: no yellow origin at ${at}`);
  const box = await page.evaluate(() => {
    const rect = (e) => (typeof e === 'string' ? document.querySelector(e) : e).getBoundingClientRect().toJSON();
    return { scrolled: document.documentElement.scrollWidth, pixels: [canvas.width, canvas.height],
      off: [...document.querySelectorAll('body *')].filter((e) => e.getClientRects().length)
        .filter((e) => rect(e).left < 0 || rect(e).right > innerWidth).map((e) => e.id || e.tagName),
      ...Object.fromEntries(['canvas', '#calls', '#cards', '#stepper'].map((e) => [e.replace('#', ''), rect(e)])) };
  });
  const side = box.canvas.width;
  assert.deepEqual([box.scrolled, box.off], [width, []], `${where}: sideways scrolling, or off the sides`);
  assert.ok(Math.abs(box.canvas.height - side) < 1 && side >= 0.9 * Math.min(width, height), `${where}: the canvas is ${side} px`);
  assert.deepEqual(box.pixels, [side, side].map((v) => Math.round(v * deviceScaleFactor)), `${where}: drawn at its shown size`);
  assert.ok(width > height ? box.calls.left >= box.canvas.right : box.calls.top >= box.canvas.bottom, `${where}: where the calls are`);
  if (width >= 1280)
    for (const part of ['canvas', 'calls', 'cards', 'stepper']) assert.ok(box[part].bottom <= height, `${where}: ${part} out of view`);
  const rowsOfLines = await reportRows(page);
  assert.deepEqual(rowsOfLines, rowsOfLines.map(() => 1), `${where}: rows of each report line`);
  await run(page);
}
// Long report lines, for their rows: x and y down past 0; then home.
const longLines = [...Array(20).fill('x'), ...Array(31).fill('y'), 'Z', 'R'];

// A phone, from a file, for a browser whose first language the page does
// not speak and whose second is Portuguese.
session('a phone, from a file: one page through the promises', () =>
  open(file, { width: 360, height: 740, isMobile: true, hasTouch: true }, ['fr-FR', 'pt-BR', 'en']), [
  ['Portuguese, the browser\'s first language the page speaks', async (page) => {
    assert.deepEqual(await page.evaluate(() => [document.documentElement.lang, document.getElementById('what').textContent.split(' ')[0]]),
      ['pt-BR', 'Dois']);
  }],
  ['no sideways scrolling; each button taps its key; steps by touch', async (page) => {
    assert.deepEqual(await page.evaluate(() => [innerWidth, document.documentElement.scrollWidth]), [360, 360],
      'laid out at the phone\'s width, without sideways scrolling');
    const tapped = [], end = label(await picture(page));
    for (const button of await page.$$('#keys button')) {
      const key = await button.evaluate((b) => b.querySelector('b').textContent);
      if (key === 'Esc') continue;  // the last
      const character = ['Space', 'Espaço'].includes(key) ? 32 : key.charCodeAt(0);
      const shown = await picture(page, async () => (await reach(page, button)).tap());
      tapped.push(character);
      if (character === 32) assert.ok(label(shown) < end - 30, `after Space, the label ends at ${label(shown)}, not before ${end}`);
    }
    assert.equal(tapped.length, 9, 'the buttons but Esc');
    await expectLines(page, reportLines(tapped), 'the buttons');
    for (const [button, step] of [['steps', 1], ['next', 2], ['back', 1], ['steps', 0]]) {
      await picture(page, () => page.tap(`#${button}`));
      assert.equal(await markedStep(page), step, `after tapping ${button}`);
      assert.equal(await page.evaluate(() => document.documentElement.scrollWidth), 360, `sideways scrolling after ${button}`);
    }
    await toMode(page, 'on', tapped);
    await typeKeys(page, longLines);
  }],
  ['axe-core finds nothing, running and stepping, in Portuguese', async (page) => {
    assert.deepEqual(await violations(page), [], 'axe-core, running');
    await press(page, 'ArrowRight', 'ArrowRight');
    await clickOn(page, 'label[for="raw"]');
    assert.deepEqual(await violations(page), [], 'axe-core, stepping');
    await clickOn(page, 'label[for="raw"]');
    await run(page);
  }],
  // One thumb on a phone, either way up: after Steps and Next, from the top
  // of the page or from its end, Next and the whole canvas with the step's
  // words are in view together, nothing over them; the page's end clears the
  // buttons that stay over it. In the lab on a screen held upright, the
  // canvas stays whole in view, above a number being changed.
  ['either way up, in both languages: Back and Next in reach, the canvas and its words in view; the lab under the canvas', async (page) => {
    for (const [width, height] of [[360, 640], [640, 360], [390, 844], [844, 390]]) {
      await page.setViewport({ width, height, isMobile: true, hasTouch: true });
      for (const lang of ['en', 'pt-BR']) {
        const where = `${width}x${height}, ${lang}`;
        if (await page.evaluate(() => document.documentElement.lang) !== lang) await frameOf(page, () => page.click(`[data-lang="${lang}"]`));
        await frameOf(page, () => page.tap('#steps'));
        for (const [from, scroll] of [['the top', 0], ['the end', 1e6], ['the end', 1e6]]) {
          await page.evaluate((y) => scrollTo(0, y), scroll);
          await frameOf(page, () => page.tap('#next'));
          const [next, canvas, caption, stepper] = await boxes(page, 'next', 'canvas', 'caption', 'stepper');
          assert.ok(inside(next, height) && inside(canvas, height) && inside(caption, height),
            `${where}: after Next from ${from}, Next ${next.top}-${next.bottom}, canvas ${canvas.top}-${canvas.bottom}, ` +
            `words ${caption.top}-${caption.bottom}`);
          assert.ok(apart(canvas, stepper) && apart(caption, stepper), `${where}: after Next from ${from}, the buttons cover the canvas or its words`);
        }
        await page.evaluate(() => scrollTo(0, 1e6));
        const [log, stepper] = await boxes(page, 'log', 'stepper');
        assert.ok(log.bottom <= stepper.top, `${where}: the page's end under the buttons`);
        if (width < height) {
          await clickOn(page, '#edit');
          for (const n of [2, 8]) {
            const input = await reach(page, `#calls > li:nth-child(${n}) input[type="number"]`);
            await input.focus();
            await frameOf(page, () => page.keyboard.press('ArrowUp'));
            const [canvasNow, stepperNow] = await boxes(page, 'canvas', 'stepper'), field = await input.boundingBox();
            assert.ok(inside(canvasNow, height) && field.y >= canvasNow.bottom && field.y + field.height <= stepperNow.top,
              `${where}: call ${n}'s number at ${field.y}, the canvas at ${canvasNow.top}-${canvasNow.bottom}`);
          }
          await frameOf(page, () => clickOn(page, '#lab-reset'));
          await clickOn(page, '#edit');
        }
        await run(page);
        await page.evaluate(() => document.getElementById('canvas').focus());
      }
    }
  }],
  ['every screen held by hand: the canvas as large as it fits, sharp and square, the calls where they fit, a report line a row', async (page) => {
    for (const [width, height, scale] of [[360, 640, 2], [640, 360, 2], [844, 390, 3], [768, 1024, 2], [390, 844, 3]])
      await expectScreen(page, width, height, scale);
  }],
  ['a challenge by touch: opened by taps, solved by a tap on ⇅, said in Portuguese', async (page) => {
    await (await reach(page, '#challenges-open')).tap();
    await (await reach(page, '#challenge-list li:nth-child(3) button')).tap();
    await page.waitForFunction(() => document.querySelector('#calls [data-key="1:swap"]'), bound);
    await expectSaid(page, 'progress', '0 mudanças até agora; dá para fazer com 1.');
    await frameOf(page, async () => (await reach(page, '#calls [data-key="1:swap"]')).tap());
    await expectSaid(page, 'progress', 'Resolvido, com 1 mudança; o mínimo é 1.');
    await (await reach(page, '#leave')).tap();
  }],
  ['Esc by its button ends the program', async (page) => {
    await (await reach(page, '#keys button[data-key="27"]')).tap();
    await expectEnded(page, 'O Quenlade terminou (Esc, código de saída 0).');
  }],
]);

// A projector, for a browser in Portuguese with a link in English.
session('a projector, served: one page through the promises', () => open(`${url}?lang=en`, { width: 1920, height: 1080 }, ['pt-BR']), [
  ['English, the link\'s language over the browser\'s', async (page) => {
    assert.equal(await page.evaluate(() => document.documentElement.lang), 'en');
    await typeKeys(page, longLines);
  }],
  // The back of a room: stepping in the lab, every text a student reads is
  // 20 px or more, and the cards' numbers are the largest beside the
  // canvas. Left out: the report, sized for its lines to fit a row.
  ['legible from the back of a room: the text grows with the canvas, the numbers the largest', async (page) => {
    await startSteps(page);
    await press(page, ...Array(5).fill('ArrowRight'));
    await clickOn(page, '#edit');
    const sizes = await page.evaluate(() => {
      const texts = [], walk = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
      for (let node; (node = walk.nextNode());) {
        const e = node.parentElement;
        if (!node.textContent.trim() || !e.getClientRects().length || e.closest('#report, .unseen, script')) continue;
        texts.push([(e.closest('[id]') ?? e).id || e.tagName, e.closest('.card tbody') ? 'NUMBER' : e.tagName, node.textContent.trim().slice(0, 20), parseFloat(getComputedStyle(e).fontSize)]);
      }
      for (const input of document.querySelectorAll('#calls input[type="number"]'))
        texts.push(['calls', 'INPUT', input.value, parseFloat(getComputedStyle(input).fontSize)]);
      return texts;
    });
    assert.deepEqual(sizes.filter(([, , , size]) => size < 20), [], 'text under 20 px at 1920x1080');
    const numbers = Math.min(...sizes.filter(([, kind]) => kind === 'NUMBER').map(([, , , size]) => size));
    assert.deepEqual(sizes.filter(([, kind, , size]) => kind !== 'NUMBER' && size >= numbers), [], `text as large as the cards' numbers (${numbers} px) or larger`);
    await clickOn(page, '#edit');
    await run(page);
  }],
  ['a laptop and a projector: the canvas as large as it fits, everything stepping in view, a report line a row', async (page) => {
    for (const [width, height] of [[1280, 720], [1920, 1080]]) await expectScreen(page, width, height, 1);
  }],
]);

// Where each call leaves the frame, in a matrix model of the test's own
// (column by column, as GL keeps it), at angle a: the calls as the steps
// give them, a call left out when skip is its number. Each cube's place:
// its frame's origin and axes.
const multiply = (m, n) => [...Array(16).keys()].map((i) => [0, 1, 2, 3].reduce((s, k) => s + m[k * 4 + (i % 4)] * n[(i >> 2) * 4 + k], 0));
function turn(deg, [x, y, z]) {
  const l = Math.hypot(x, y, z), c = Math.cos((deg * Math.PI) / 180), s = Math.sin((deg * Math.PI) / 180);
  [x, y, z] = [x / l, y / l, z / l];
  return [x * x * (1 - c) + c, y * x * (1 - c) + z * s, x * z * (1 - c) - y * s, 0, x * y * (1 - c) - z * s, y * y * (1 - c) + c,
    y * z * (1 - c) + x * s, 0, x * z * (1 - c) + y * s, y * z * (1 - c) - x * s, z * z * (1 - c) + c, 0, 0, 0, 0, 1];
}
function framesOf(calls, a, skip = 0) {
  const identity = [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1], stack = [identity];
  return calls.map((c, k) => {
    const v = c.numbers.map((n) => n.value);
    if (k + 1 === skip || c.off || c.name === 'glutSolidCube') ;
    else if (c.name === 'glPushMatrix') stack.push(stack.at(-1));
    else if (c.name === 'glPopMatrix') stack.length > 1 && stack.pop();
    else if (c.name === 'glRotatef') stack.push(multiply(stack.pop(), turn(c.angle ? a : v[0], v.slice(1))));
    else stack.push(multiply(stack.pop(), [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, v[0], v[1], v[2], 1]));
    return stack.at(-1);
  });
}
// The cubes a call moves: those drawn after it whose frames would differ
// without it. 0 neither, 1 the grey, 2 the blue, 3 both.
function movedBy(calls, a, n) {
  const all = framesOf(calls, a), without = framesOf(calls, a, n);
  return calls.map((c, k) => k).filter((k) => calls[k].name === 'glutSolidCube')
    .reduce((moved, k, cube) => moved | (all[k].some((v, i) => Math.abs(v - without[k][i]) > 1e-4) ? 1 << cube : 0), 0);
}
const cubeWords = ['neither', 'the grey cube', 'the blue cube', 'both'];
const depthWords = (d) => `${d} ${d === 1 ? 'matrix' : 'matrices'} on the stack`;
// The question open: its kind by its choices, and the choices' words.
const choicesOf = (page) => page.$$eval('#choices button', (buttons) => buttons.map((b) => b.textContent));
// The letter of the point marked nearest to p of the 500x500 window, and
// where p is on the screen.
async function pointed(page, p) {
  return page.evaluate(([x, y]) => {
    const box = document.getElementById('canvas').getBoundingClientRect(), view = document.getElementById('view').getBoundingClientRect();
    const at = [box.left + (x * box.width) / 500, box.top + ((500 - y) * box.height) / 500];
    const marks = [...document.querySelectorAll('#marks span')].map((m) => [m.textContent,
      Math.hypot(view.left + parseFloat(m.style.left) - at[0], view.top + parseFloat(m.style.top) - at[1])]);
    return [marks.sort((m, n) => m[1] - n[1])[0][0], at];
  }, p);
}
const challengeSaid = (page) => page.evaluate(() => ['challenge-name', 'goal', 'progress'].map((id) => document.getElementById(id).textContent));
// Tab until the control that matches, as a keyboard alone gets there.
async function tabTo(page, test, what) {
  for (let i = 0; i < 120; i++) {
    await page.keyboard.press('Tab');
    if (await page.evaluate(test)) return;
  }
  assert.fail(`Tab never reached ${what}`);
}

// Predictions and challenges: the questions' answers against the model,
// the tally; every challenge solved by its solution and none by its start,
// in the page's own program; one solved by keyboard alone, with its
// target's cubes drawn where the target puts them; a teacher's own, made
// and opened from its link; solved ones remembered, added from a file and
// forgotten; in Portuguese.
session('a desktop, served: predictions and challenges', () => open(url), [
  ['Predict first: Next asks first, the answer is the model\'s, right or wrong said with the tally', async (page) => {
    await page.waitForFunction(() => Module.frames > 3, bound);  // the cubes turned: every rotate moves one
    const calls = await startSteps(page), a = angleOf(calls), frames = framesOf(calls, a), stories = storiesOf(calls);
    await clickOn(page, '#predict-on');
    let right = 0;
    for (let n = 1; n < calls.length; n++) {
      await page.keyboard.press('ArrowRight');
      await page.waitForFunction(() => !document.getElementById('ask').hidden, bound);
      assert.equal(await markedStep(page), n, `call ${n + 1}: asked before it is shown`);
      const choices = await choicesOf(page), wrong = [1, 7, 8].includes(n);
      let answer, click;
      if (choices.length === 4) {
        answer = cubeWords[movedBy(calls, a, n + 1)];
        click = choices.find((c) => (c === answer) !== wrong);
      } else if (choices[0].startsWith('point')) {
        const [letter, at] = await pointed(page, project(frames[n].slice(12, 15), home));
        answer = `point ${letter}`;
        if (!wrong) await frameOf(page, () => page.mouse.click(...at));  // the point itself, on the canvas
        else click = choices.find((c) => c !== answer);
      } else {
        const depth = stories[n].stack.length;
        answer = depthWords(depth);
        if (n === 4) assert.equal(Number(choices[0]), depth, 'after the pop, the first choice');
        if (n === 4) await frameOf(page, () => page.keyboard.press('Enter'));  // by keyboard: the first choice has the focus
        else click = choices.find((c) => (Number(c) === depth) !== wrong);
      }
      if (n === 1) assert.deepEqual(await violations(page), [], 'axe-core, a question open');
      if (click) await frameOf(page, () => page.$$eval('#choices button', (b, text) => b.find((x) => x.textContent === text).click(), click));
      right += !wrong;
      assert.equal(await markedStep(page), n + 1, `call ${n + 1}: shown once answered`);
      await expectSaid(page, 'verdict', `${wrong ? 'Not quite' : 'Right'}: ${answer}. ${right} of ${n} right.`, `call ${n + 1}`);
    }
    // Two Spaces: the same mode, stepping from call 1, both angles at 0: a
    // turn by 0 moves nothing. (The keys from the canvas: the focus is on Back.)
    await page.focus('#canvas');
    await press(page, 'Space', 'Space');
    await page.keyboard.press('ArrowRight');
    assert.deepEqual(await choicesOf(page), cubeWords.slice(1).concat(cubeWords[0]), 'call 2, glRotatef(0, 0, 0, 1)');
    assert.equal(movedBy(await page.evaluate(() => Module.steps), 0, 2), 0);
    await frameOf(page, () => page.$$eval('#choices button', (b) => b.at(-1).click()));
    await expectSaid(page, 'verdict', `Right: neither. ${right + 1} of ${calls.length} right.`, 'a turn by 0');
    await clickOn(page, '#predict-on');
    await run(page);
  }],
  ['every challenge, built in and made from 100 seeds at each level, is solved by its solution and not by its start', async (page) => {
    const unsolved = await page.evaluate(() => {
      const parts = [...Array(JSON.parse(Module.ccall('web_challenges', 'string')).length).keys()].map((n) => `challenge=${n + 1}`);
      for (let level = 1; level <= 3; level++) for (let seed = 1; seed <= 100; seed++) parts.push(`seed=${seed}&level=${level}`);
      return parts.filter((part) => {
        if (Module.ccall('web_lab_read', 'string', ['string'], [`&${part}`]) || Module.ccall('web_challenge_solved', 'boolean')) return true;
        const solution = Module.ccall('web_challenge_solution', 'string');
        return Module.ccall('web_lab_read', 'string', ['string'], [`${solution}&${part}`]) || !Module.ccall('web_challenge_solved', 'boolean');
      });
    });
    assert.deepEqual(unsolved, [], 'solved at the start, or not by the solution');
    await clickOn(page, '#leave');
    await page.waitForFunction(() => document.getElementById('challenge-now').hidden && !document.documentElement.classList.contains('stepping'), bound);
  }],
  ['a challenge by keyboard alone: its target in outline where the target puts it, Solved only once solved, and remembered', async (page) => {
    await page.evaluate(() => localStorage.clear());
    await page.focus('#canvas');
    await press(page, 'R');
    await tabTo(page, () => document.activeElement.id === 'challenges-open', 'Challenges');
    await page.keyboard.press('Enter');
    await tabTo(page, () => document.activeElement.closest('#challenge-list li:nth-child(1)'), 'challenge 1');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => document.querySelector('#calls input'), bound);
    assert.deepEqual(await violations(page), [], 'axe-core, in a challenge');
    const [name, goal, progress] = await challengeSaid(page);
    assert.deepEqual([name, progress], ['Challenge 1 of 13', '0 changes so far; it can be done in 1.']);
    // The blue cube's target at (-1.5, 1.5, 0), as the goal says: its outline and centre there, in the cube's blue.
    assert.match(goal, /Put the blue cube at \(-1\.5, 1\.5, 0\)/);
    assert.ok(near(await picture(page), project([-1.5, 1.5, 0], home), 'blue'), 'the blue cube\'s target in outline at (-1.5, 1.5, 0)');
    await tabTo(page, () => document.activeElement.dataset.key === '5:0', 'the x of call 6');
    for (const key of ['ArrowDown', 'ArrowDown']) await frameOf(page, () => page.keyboard.press(key));
    await expectSaid(page, 'progress', '1 change so far; it can be done in 1.', 'a number moved twice is one change');
    await page.keyboard.down('Shift');
    for (let i = 0; i < 2; i++) await frameOf(page, () => page.keyboard.press('ArrowDown'));
    await page.keyboard.up('Shift');
    await expectSaid(page, 'progress', '1 change so far; it can be done in 1.', 'at -0.7: not yet');
    for (let i = 0; i < 8; i++) await frameOf(page, () => page.keyboard.press('ArrowDown'));
    await expectSaid(page, 'progress', 'Solved, in 1 change; the fewest is 1.', 'at -1.5');
    await expectSaid(page, 'challenges-count', '(1 of 13 solved)');
    assert.equal(await page.evaluate(() => document.querySelector('#challenge-list li:nth-child(1) .done').textContent), '✓ solved');
    assert.match(await page.evaluate(() => location.hash), /glTranslatef\(-1\.5,1\.5,0\).*&challenge=1$/, 'the link holds the calls and the challenge');
    // Handed in: the link opens it solved, the changes that led there not known.
    const handedIn = await open(await page.evaluate(() => location.href));
    await expectSaid(handedIn, 'progress', 'Solved; the fewest is 1.', 'a link handed in');
    await handedIn.close();
    await run(page);
    assert.equal(await page.evaluate(() => document.getElementById('challenge-now').hidden), true, 'Run leaves it');
    await programCalls(page);
  }],
  ['A new one: from the seed typed at the level chosen, said and in the link; without a seed, from one of its own', async (page) => {
    await page.select('#level', '2');
    await page.evaluate(() => (document.getElementById('seed').value = '42'));
    await frameOf(page, () => clickOn(page, '#new-one'));
    await expectSaid(page, 'challenge-name', 'Seed 42, level 2');
    assert.match(await page.evaluate(() => location.hash), /&seed=42&level=2$/);
    assert.match(await textOf(page, 'progress'), /^0 changes so far; it can be done in [12]\.$/);
    await frameOf(page, () => clickOn(page, '#new-one'));
    await page.waitForFunction(() => !document.getElementById('challenge-name').textContent.startsWith('Seed 42,'), bound);
    assert.match(await textOf(page, 'challenge-name'), /^Seed \d+, level 2$/);
    await clickOn(page, '#leave');
    await programCalls(page);
    await toMode(page, 'on', []);
  }],
  ['a teacher\'s own: made of the lab with a goal, its link opens it, solved by the calls it was made of; none solved at its start', async (page) => {
    // At angle 0 the grey cube's turn moves nothing, so its swap is no challenge.
    await hold(page, true);
    await press(page, 'Space', 'Space');
    await startSteps(page);
    if (await page.$eval('#edit', (e) => e.getAttribute('aria-pressed')) !== 'true') await clickOn(page, '#edit');
    await frameOf(page, () => page.evaluate(() => document.querySelector('[data-key="1:swap"]').click()));
    await page.evaluate(() => (document.getElementById('goal-text').value = 'Turn it where it stands & 50% "more"'));
    await clickOn(page, '#make');
    await expectSaid(page, 'made', 'The program\'s calls already put the cubes there at this angle, so it would be solved at its start: ' +
      'change the calls more, or let the cubes turn on first.');
    assert.equal(await page.evaluate(() => document.getElementById('challenge-now').hidden), true, 'no challenge made');
    // The cubes turned on a little: now it is one.
    await hold(page, false);
    await run(page);
    await page.waitForFunction((n) => Module.frames > n + 3, bound, await page.evaluate(() => Module.frames));
    await startSteps(page);
    await frameOf(page, () => clickOn(page, '#make'));
    await expectSaid(page, 'challenge-name', 'A challenge of your own');
    assert.deepEqual(await challengeSaid(page), ['A challenge of your own', 'Turn it where it stands & 50% "more"', '0 changes so far.']);
    const link = await page.evaluate(() => location.href);
    assert.ok(link.includes(`#${own}&target=${swapped}&angle=`), `it starts from the program's calls, the lab's its target: ${link}`);
    const student = await open(link);
    await student.waitForFunction(() => document.querySelector('#calls input'), bound);
    assert.deepEqual(await challengeSaid(student), ['A challenge of your own', 'Turn it where it stands & 50% "more"', '0 changes so far.']);
    await frameOf(student, () => student.evaluate(() => document.querySelector('[data-key="1:swap"]').click()));
    await expectSaid(student, 'progress', 'Solved, in 1 change.');
    await student.close();
    await clickOn(page, '#leave');
    await programCalls(page);
  }],
  ['solved ones added from a file, remembered by the browser, and forgotten', async (page) => {
    const list = `${tmpdir()}/quenlade-solved-${process.pid}.json`;
    writeFileSync(list, JSON.stringify(['challenge=2', 'challenge=3']));
    await (await page.$('#load')).uploadFile(list);
    await expectSaid(page, 'challenges-count', '(3 of 13 solved)');
    const again = await open(url);
    await expectSaid(again, 'challenges-count', '(3 of 13 solved)', 'in another page of the browser');
    await again.close();
    await clickOn(page, '#forget');
    await expectSaid(page, 'challenges-count', '(0 of 13 solved)');
  }],
]);

// In Portuguese, a challenge and a question say everything in it.
session('a challenge and a question in Portuguese', () => open(`${url}?lang=pt-BR#&challenge=2`), [
  ['the challenge, its goal and how it goes; a question', async (page) => {
    await page.waitForFunction(() => document.querySelector('#calls input'), bound);
    const [name, goal, progress] = await challengeSaid(page);
    assert.deepEqual([name, progress], ['Desafio 2 de 13', '0 mudanças até agora; dá para fazer com 1.']);
    assert.match(goal, /^Os cubos param em 30 graus/);
    await clickOn(page, '#predict-on');
    await press(page, 'ArrowLeft', 'ArrowLeft');
    await page.keyboard.press('ArrowRight');
    await expectSaid(page, 'question', 'Chamada 9, glutSolidCube(0.5): quantas matrizes haverá na pilha depois dela?');
    assert.deepEqual(await violations(page), [], 'axe-core, in Portuguese');
  }],
]);

session('without WebGL, the page says so in one line and shows nothing else', async () => {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(() => {
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
      return /webgl/.test(kind) ? null : getContext.call(this, kind, ...rest);
    };
  });
  await page.goto(url);
  return page;
}, [
  ['the line alone, and axe-core finds nothing', async (page) => {
    const shown = await page.evaluate(() => [...document.querySelectorAll('#view, #caption, #controls > *, #stepping, #log')]
      .filter((part) => part.getClientRects().length).map((part) => part.id || part.className));
    assert.deepEqual(shown, ['status']);
    assert.match(await textOf(page, 'status'), /WebGL/);
    assert.deepEqual(await violations(page), [], 'axe-core, without WebGL');
  }],
]);

// Links opened: the lab's mode with it, from a server or a file; text that
// cannot be read opens the program's own frame, says where in the reader's
// words, and runs nothing.
for (const [address, calls, said] of [[() => `${url}#${ownOff}`, ownOff, ''],
  [() => `${file}?lang=pt-BR#glPushMatrix();<img src=x onerror="ran=1">`, own,
    'Não foi possível ler as chamadas depois do # no endereço desta página; ela mostra o quadro do próprio programa. ' +
    'Onde: character 16: expected a call: glPushMatrix, glPopMatrix, glRotatef, glTranslatef or glutSolidCube, found "<img src=x onerr..."']])
  session(`a link opened: ${said ? 'text that cannot be read' : 'a lab of the mode without push/pop'}`, () => open(address()), [
    ['its calls, and what is said', async (page) => {
      assert.equal((await startSteps(page)).map((c) => c.lab).join(';'), calls);
      assert.deepEqual(await page.evaluate(() => [document.getElementById('lab-said').textContent, window.ran ?? 0]), [said, 0]);
    }],
  ]);
