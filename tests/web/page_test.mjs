// page_test.mjs - Quenlade's page in headless Chromium, next to the native
// program: both modes with the cubes, axes and label where the camera model
// puts them, and the picture next to the native one of the same state; the
// keys a browser reports, with the desktop's report lines; on a phone, opened
// from a file: no sideways scrolling, and the buttons; every screen size;
// the page in words (axe-core, the canvas's words, the keyboard); English
// and Portuguese; Esc, and starting again.
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

let server, browser, url;

before(async () => {
  ({ server, url } = await serve(pageDir));
  browser = await launch();
});

after(() => Promise.all([browser?.close(), server?.kill()]));

// Opens the page, served or from a file, on a desktop or a phone, for a
// browser set to languages, with a clock the test can hold (the program's
// ticks stop while it is held), and waits for its first frame. The desktop
// is narrow enough to show the canvas 500 pixels wide, as the native window.
async function open(address = url, viewport = { width: 516, height: 900 }, languages = ['en-US', 'en']) {
  const page = await browser.newPage();
  page.on('pageerror', (error) => assert.fail(`the page threw: ${error}`));
  await page.setViewport(viewport);
  await page.evaluateOnNewDocument((languages) => {
    Object.defineProperty(navigator, 'languages', { get: () => languages });
    const setTimeoutOfPage = window.setTimeout.bind(window);
    window.setTimeout = (run, ms, ...args) => setTimeoutOfPage(() => window.clockHeld || run(...args), ms);
  }, languages);
  await page.goto(address);
  await page.waitForFunction(() => document.body.dataset.firstFrame, { timeout: 10000 });
  return page;
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

// An action and the frame that follows it; what the canvas shows then.
async function frameOf(page, action) {
  const frames = await page.evaluate(() => Module.frames);
  await action();
  await page.waitForFunction((n) => Module.frames > n, { timeout: 5000 }, frames);
}
// Steps from the running animation; the calls of the frame that shows the
// first (not of a tick's frame that came before it).
async function startSteps(page) {
  await page.evaluate(() => { window.stale = Module.steps; });
  await page.keyboard.press('ArrowRight');
  await page.waitForFunction(() => Module.steps !== window.stale, { timeout: 5000 });
  return page.evaluate(() => Module.steps);
}
async function picture(page, action) {
  await frameOf(page, action);
  return PNG.sync.read(Buffer.from(await (await page.$('#canvas')).screenshot()));
}

const reported = (page) => page.evaluate(() => document.getElementById('report').textContent.split('\n').slice(0, -1));

// Waits for the report to hold the lines expected, and compares.
async function expectLines(page, expected, what) {
  await page.waitForFunction((n, last) => {
    const lines = document.getElementById('report').textContent.split('\n').slice(0, -1);
    return lines.length >= n && lines.at(-1) === last;
  }, { timeout: 5000 }, expected.length, expected.at(-1)).catch(() => {});
  assert.deepEqual(await reported(page), expected, what);
}

// The step the page marks in its list of calls, 0 when it shows none.
const markedStep = (page) => page.evaluate(() => {
  const list = document.getElementById('calls');
  return document.getElementById('stepping').hidden ? 0 : [...list.children].findIndex((item) => item.className === 'current') + 1;
});

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

test('both modes draw the cubes, axes and label where the model puts them, as the native program does', async (t) => {
  const gzipped = gzipSync(readFileSync(`${pageDir}/index.html`)).length;
  assert.ok(gzipped <= 100000, `the page is ${gzipped} bytes gzipped, over 100 KB`);
  const page = await open();
  assert.equal(await page.title(), 'Quenlade #2');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas', 'the canvas has the keyboard');
  await frameOf(page, () => page.keyboard.press('ArrowRight'));  // the steps leave the frame as they found it
  await frameOf(page, () => page.click('#steps'));
  await page.evaluate(() => { window.clockHeld = true; });
  const ends = {};  // of the label: "usando push/pop" is three letters longer
  for (const [mode, blueAt] of [['off', [2.5, 1.5, 0]], ['on', [1.5, 1.5, 0]]]) {
    // Both cubes back to angle 0, the clock held there.
    const web = await picture(page, () => page.keyboard.press('Space'));
    const native = PNG.sync.read(readFileSync(`${root}docs/push-pop-${mode}.png`));
    const probes = [['grey cube', [1, 0, 0], 'grey'], ['blue cube', blueAt, 'blue'],
      ['x axis', [2.5, 0, 0], 'red'], ['y axis', [0, 2.5, 0], 'green']];
    for (const [what, p, name] of probes)
      assert.ok(near(web, project(p, home), name), `mode ${mode}: no ${what} at ${project(p, home)}`);
    ends[mode] = label(web);
    const [differ, cubes] = cubesDiffer(web, native);
    t.diagnostic(`mode ${mode}: ${differ} of the ${cubes} cube pixels differ from the native picture`);
    assert.ok(differ <= cubes * 0.02, `mode ${mode}: ${differ} of ${cubes} cube pixels differ`);
  }
  assert.ok(ends.on > ends.off + 30, `the label ends at ${ends.on} with push/pop, at ${ends.off} without`);
  await page.close();
});

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

test('the page hands the program the character the browser reports, as the desktop does; the report keeps 1,000 lines; Esc ends it', async () => {
  const page = await open();
  const cdp = await page.createCDPSession();
  for (const [key, code, modifiers] of keyEvents)
    for (const type of ['keyDown', 'keyUp']) await cdp.send('Input.dispatchKeyEvent', { type, key, code, modifiers });
  const codes = keyEvents.map(([, , , character]) => character).filter((c) => c !== null);
  await expectLines(page, reportLines(codes), 'the key table');
  assert.equal(reportLines(codes).at(-1), 'Camera: 1.590000, 2.900000, 0.000005');

  // A click on the X button leaves the keyboard with the canvas: Space is
  // the program's Space, not a second X. Tab twice reaches the X button, and
  // Enter presses it: its line, and none for Enter.
  await page.click('#keys button[data-key="88"]');
  await page.keyboard.press('Space');
  await page.keyboard.press('Tab');
  await page.keyboard.press('Tab');
  await page.keyboard.press('Enter');
  await page.keyboard.press('Space');  // on the focused button: presses it, is no Space of the program's
  codes.push(88, 32, 88, 88);
  await expectLines(page, reportLines(codes), 'a click on X, Space, then Tab, Tab, Enter and Space on the X button');

  // A held key: the area keeps the latest 1,000 lines, in order.
  await page.evaluate(() => {
    for (let i = 0; i < 1000; i++) window.dispatchEvent(new KeyboardEvent('keydown', { key: 'X' }));
  });
  codes.push(...Array(1000).fill(88));
  const expected = reportLines(codes).slice(-1000);
  await expectLines(page, expected, 'the latest 1,000 lines');

  // Ctrl+3 is Esc, as the desktop reads it.
  for (const type of ['keyDown', 'keyUp']) await cdp.send('Input.dispatchKeyEvent', { type, key: '3', code: 'Digit3', modifiers: 2 });
  await page.waitForFunction(() => document.body.dataset.exitStatus !== undefined);
  assert.equal(await page.evaluate(() => document.body.dataset.exitStatus), '0');
  assert.match(await page.evaluate(() => document.getElementById('status').textContent), /ended/);
  assert.equal((await reported(page)).length, expected.length, 'Esc prints nothing');
  await page.close();
});

test('on a phone, opened from a file: no sideways scrolling, each button taps its key, steps by touch', async () => {
  const page = await open(pathToFileURL(`${pageDir}/index.html`).href,
    { width: 360, height: 740, isMobile: true, hasTouch: true });
  assert.deepEqual(await page.evaluate(() => [innerWidth, document.documentElement.scrollWidth]), [360, 360],
    'laid out at the phone\'s width, without sideways scrolling');
  const codes = [], end = label(await picture(page, () => {}));
  for (const button of await page.$$('#keys button')) {
    const key = await button.evaluate((b) => b.querySelector('b').textContent);
    if (key === 'Esc') continue;  // the last
    const character = key === 'Space' ? 32 : key.charCodeAt(0);
    const shown = await picture(page, async () => (await reach(page, button)).tap());
    codes.push(character);
    if (character === 32) assert.ok(label(shown) < end - 30, `after Space, the label ends at ${label(shown)}, not before ${end}`);
  }
  await expectLines(page, reportLines(codes), 'the buttons');
  for (const [button, step] of [['steps', 1], ['next', 2], ['back', 1], ['steps', 0]]) {
    await picture(page, () => page.tap(`#${button}`));
    assert.equal(await markedStep(page), step, `after tapping ${button}`);
    assert.equal(await page.evaluate(() => document.documentElement.scrollWidth), 360, `sideways scrolling after ${button}`);
  }
  await (await reach(page, '#keys button[data-key="27"]')).tap();
  await page.waitForFunction(() => document.body.dataset.exitStatus === '0');
  await page.close();
});

// The stack beside the frame. At every step of both modes, from several
// angles and eyes, the page's numbers are the native tool's for the same
// state (quenlade-capture --steps --json), to 1e-5; the cards show them, to
// two decimals: one card a matrix, the top one the step's frame in world
// coordinates or, with the switch, as GL returns it; a push shows two equal
// cards, a pop the popped one as the ghost. Keys faster than frames never
// show a step past the frame's last call, and Back none before the first.
// Leaving the steps, the cubes turn on from where they stood, 5 degrees
// every 100 ms at most: the time spent stepping does not count.
test('the stack as cards: the native numbers at every step of both modes, a push copies, a pop leaves a ghost; the clock held meanwhile', async () => {
  const page = await open();
  const frame = (action) => frameOf(page, action);
  const cards = () => page.evaluate(() => [...document.querySelectorAll('#cards > li')].map((card) => ({
    title: card.querySelector('h3').textContent,
    rows: [...card.querySelectorAll('tbody tr')].map((row) => [...row.querySelectorAll('td')].map((td) => Number(td.textContent))),
  })));
  // A matrix to two decimals as a card's rows show it: x, y, z (and w as GL returns it).
  const rows = (m, n = 3) => [...Array(n).keys()].map((r) => [0, 1, 2, 3].map((c) => m[c * 4 + r]));
  const close = (a, b, tolerance) => a.flat(2).every((v, i) => Math.abs(v - b.flat(2)[i]) <= tolerance);
  const codes = [];
  let mode = 'on';
  for (const [wanted, keys] of [['on', []], ['off', ['x', 'Y', 'Y']], ['on', ['o']]]) {
    for (const key of keys) await frame(() => page.keyboard.press(key)), codes.push(key.charCodeAt(0));
    const eye = codes.length ? eyes(codes).at(-1).eye : home;
    if (wanted !== mode) await frame(() => page.keyboard.press('Space')), mode = wanted;
    for (let i = 0; i < 3; i++) await frame(() => {});  // the cubes turn on a little
    const steps = await startSteps(page);
    const angle = angleOf(steps);
    await page.keyboard.press('ArrowLeft');
    assert.equal(await markedStep(page), 1, 'Back at the first step');
    const native = JSON.parse(execFileSync(process.env.QUENLADE_CAPTURE, ['--steps', '--json', '--mode', mode,
      '--angle', String(angle), '--eye', eye.join(','), `${tmpdir()}/page-test-steps.png`], { encoding: 'utf8' }));
    const where = `mode ${mode} at ${angle} degrees from ${eye}`;
    assert.deepEqual(steps.map((c) => [c.call, c.depth]), native.map((c) => [c.call, c.depth]), where);
    for (let n = 1; n <= steps.length; n++) {
      if (n > 1) await frame(() => page.keyboard.press('ArrowRight'));
      const [mine, theirs] = [(await page.evaluate(() => Module.steps))[n - 1], native[n - 1]];
      for (const what of ['world', 'modelview', 'stack'])
        assert.ok(close(mine[what], theirs[what], 1e-5), `${where}, step ${n}: ${what} differs from the native one`);
      const popped = mine.call === 'glPopMatrix()', [ghost, ...shown] = [...(popped ? [] : [null]), ...await cards()];
      assert.equal(shown.length, mine.depth, `${where}, step ${n}: cards`);
      assert.ok(close(shown[0].rows, rows(theirs.world), 0.006), `${where}, step ${n}: the top card is not the frame`);
      if (mine.call === 'glPushMatrix()')
        assert.deepEqual(shown[0].rows, shown[1].rows, `${where}, step ${n}: a push shows two equal cards`);
      if (popped) {
        assert.match(ghost.title, /ghost/);
        assert.ok(close(ghost.rows, rows(native[n - 2].world), 0.006), `${where}, step ${n}: the ghost is not the popped frame`);
      }
    }
    await clickOn(page, 'label[for="raw"]');
    const top = (await cards())[native.at(-1).ghost ? 1 : 0];  // under the ghost, after a pop
    assert.ok(close(top.rows, rows(native.at(-1).modelview, 4), 0.006), `${where}: the top card as GL returns it`);
    await clickOn(page, 'label[for="raw"]');
    await frame(() => page.click('#steps'));
  }
  // Steps, Run, Space and seven steps on before the next frame: the frame
  // without push/pop has six calls, and the page shows the sixth.
  await frame(() => page.evaluate(() => {
    const type = (key) => window.dispatchEvent(new KeyboardEvent('keydown', { key }));
    document.getElementById('steps').click();
    document.getElementById('steps').click();
    type(' ');
    for (let i = 0; i < 7; i++) type('ArrowRight');
  }));
  assert.equal(await markedStep(page), 6);
  assert.deepEqual(await page.evaluate(() => [document.getElementById('calls').children.length,
    document.getElementById('next').disabled]), [6, true], 'six calls listed, Next off at the last');
  await frameOf(page, () => page.keyboard.press('ArrowRight'));
  assert.equal(await markedStep(page), 6, 'Next at the last step');
  await frame(() => page.keyboard.press('ArrowLeft'));
  assert.equal(await markedStep(page), 5, 'Back from the last step');

  const stood = angleOf(await page.evaluate(() => Module.steps));
  for (let i = 0; i < 4; i++) await frame(() => page.keyboard.press('ArrowLeft'));  // time passes
  const since = Date.now(), frames = await page.evaluate(() => Module.frames);
  await page.click('#steps');
  await page.waitForFunction((n) => Module.frames >= n + 8, { timeout: 10000 }, frames);
  // A loaded machine may run fewer ticks, never more.
  const turned = angleOf(await startSteps(page)), ticks = (Date.now() - since) / 100;
  const advance = (turned - stood + 360) % 360;
  assert.ok(advance >= 5 && advance <= 5 * ticks + 10,
    `the cubes stood at ${stood} degrees, and ${ticks * 100} ms later turned to ${turned}`);
  await page.close();
});

test('without WebGL, the page says so in one line and shows nothing else', async () => {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(() => {
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
      return /webgl/.test(kind) ? null : getContext.call(this, kind, ...rest);
    };
  });
  await page.goto(url);
  const shown = await page.evaluate(() => [...document.querySelectorAll('#view, #caption, #controls > *, #stepping, #log')]
    .filter((part) => part.getClientRects().length).map((part) => part.id || part.className));
  assert.deepEqual(shown, ['status']);
  assert.match(await page.evaluate(() => document.getElementById('status').textContent), /WebGL/);
  assert.deepEqual(await violations(page), [], 'axe-core, without WebGL');
  await page.close();
});

// What axe-core finds wrong on the page as it stands.
async function violations(page) {
  await page.addScriptTag({ path: axePath });
  return page.evaluate(async () => (await axe.run()).violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(', ')}`));
}
const said = (page, id) => page.evaluate((id) => document.getElementById(id).textContent, id);
// The words of #id, once the frame that brings them has come (a tick's
// frame may come between an action and the frame it asks for).
async function expectSaid(page, id, words, what) {
  await page.waitForFunction((id, words) => document.getElementById(id).textContent === words, { timeout: 5000 }, id, words)
    .catch(() => {});
  assert.equal(await said(page, id), words, what);
}
function angleOf(calls) {
  const rotate = /glRotatef\(([-\d.]+), 0, 0, 1\)/.exec(calls.map((c) => c.call).join());
  assert.ok(rotate, `no glRotatef(angle, 0, 0, 1) among the calls: ${calls.map((c) => c.call)}`);
  return Number(rotate[1]);
}

// The words for a step, with the numbers of the model at angle a: mode,
// step, the frame's origin and x axis, the stack's depth.
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
// words with the model's, in the page's language.
async function expectStepWords(page, mode, lang) {
  const calls = await startSteps(page), angle = angleOf(calls);
  assert.equal(calls.length, mode === 'on' ? 10 : 6);
  let at = 1;
  for (const [, n, origin, x, depth] of stepTable.filter(([m]) => m === mode)) {
    for (; at < n; at++) await frameOf(page, () => page.keyboard.press('ArrowRight'));
    await expectSaid(page, 'step-now', stepWords[lang](n, calls.length, calls[n - 1].call, origin(angle), x(angle), depth),
      `mode ${mode}, step ${n} at ${angle} degrees`);
  }
  await frameOf(page, () => page.click('#steps'));
}

test('in words and by keyboard: axe-core finds nothing; the canvas says what it shows and each step; every control by Tab', async () => {
  for (const [viewport, languages] of [[{ width: 1280, height: 720 }, ['en-US']],
    [{ width: 360, height: 640, isMobile: true, hasTouch: true }, ['pt-BR']]]) {
    const page = await open(url, viewport, languages), where = `${viewport.width} px, ${languages}`;
    assert.deepEqual(await violations(page), [], `axe-core, running, ${where}`);
    // Page Down and Page Up walk the steps, and only while stepping; the
    // program hears nothing of them.
    await frameOf(page, () => page.keyboard.press('ArrowRight'));
    assert.ok(await page.evaluate(() => document.getElementById('back').disabled), 'Back is off at the first step');
    for (const [key, step] of [['PageDown', 2], ['PageDown', 3], ['PageDown', 4], ['PageDown', 5], ['PageUp', 4], ['PageDown', 5]]) {
      await frameOf(page, () => page.keyboard.press(key));
      assert.equal(await markedStep(page), step, `${where}: after ${key}`);
    }
    await clickOn(page, 'label[for="raw"]');
    assert.deepEqual(await violations(page), [], `axe-core, stepping, ${where}`);
    await clickOn(page, 'label[for="raw"]');
    await frameOf(page, () => page.click('#steps'));
    await page.keyboard.press('PageDown');
    assert.equal(await markedStep(page), 0, 'Page Down is the browser\'s when not stepping');
    assert.deepEqual(await reported(page), [], 'the program heard nothing of Page Up and Page Down');
    await page.close();
  }

  // The canvas's words: the mode and the eye, and each step, in both modes.
  const page = await open();
  await expectSaid(page, 'scene', 'Mode “usando push/pop”; the eye at 1.69, 2.9, 8.1.');
  assert.deepEqual(await page.evaluate(() => ['step-now', 'report'].map((id) => document.getElementById(id).getAttribute('aria-live'))),
    ['polite', 'off'], 'the step said as it changes, the report line by line not');
  await expectStepWords(page, 'on', 'en');
  for (const key of ['Space', 'o']) await frameOf(page, () => page.keyboard.press(key));
  await expectSaid(page, 'scene', 'Mode “sem push/pop”; the eye at 0, 0, 5.');
  await expectStepWords(page, 'off', 'en');
  await expectSaid(page, 'step-now', 'The cubes are turning.');

  // A held key: the report's lines come silently, and #heard says the
  // latest once, after a pause.
  await page.evaluate(() => {
    window.changes = 0;
    new MutationObserver(() => window.changes++).observe(document.getElementById('heard'), { childList: true, characterData: true, subtree: true });
  });
  // All in one task, so that no pause can come between them however busy
  // the machine.
  await page.evaluate(() => {
    for (let i = 0; i < 20; i++) window.dispatchEvent(new KeyboardEvent('keydown', { key: 'X' }));
  });
  await expectSaid(page, 'heard', (await reported(page)).at(-1), 'the latest line, said');
  assert.equal(await page.evaluate(() => window.changes), 1, 'the latest line said once, the others not');

  // Tab reaches every control while stepping, each with a visible focus;
  // Enter presses them.
  await frameOf(page, () => page.keyboard.press('ArrowRight'));
  await frameOf(page, () => page.keyboard.press('ArrowRight'));
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
  assert.deepEqual(reached, ['en', 'pt-BR', 'fullscreen', 'canvas', '32', '88', '120', '89', '121', '90', '122', '79', '82', '27',
    'steps', 'back', 'next', 'edit', 'raw', 'SUMMARY', 'report']);
  await page.focus('#next');
  await frameOf(page, () => page.keyboard.press('Enter'));
  assert.equal(await markedStep(page), 3, 'Enter on Next');
  await page.close();
});

// Every screen from a phone to a projector, either way up, stepping at the
// first translate: no sideways scrolling and nothing off the sides; the
// canvas square, nearly as large as the screen's shorter side, drawn at the
// pixels it is shown at, with the frame's origin where the model puts it;
// the calls beside it on a screen held sideways, below it on one held
// upright; on a projector the canvas, the calls, the stack and the stepping
// buttons all in view.
test('every screen: the canvas as large as it fits, sharp and square, the calls beside it where they fit', async () => {
  for (const [width, height, deviceScaleFactor] of [[360, 640, 2], [640, 360, 2], [844, 390, 3], [768, 1024, 2],
    [1280, 720, 1], [1920, 1080, 1]]) {
    const where = `${width}x${height}`, mobile = width * height < 800000;
    const page = await open(url, { width, height, deviceScaleFactor, isMobile: mobile, hasTouch: mobile });
    await page.waitForFunction(() => canvas.width === Math.round(canvas.getBoundingClientRect().width * devicePixelRatio),
      { timeout: 5000 }).catch(() => {});
    for (let i = 0; i < 3; i++) await frameOf(page, () => page.keyboard.press('ArrowRight'));
    const shown = PNG.sync.read(Buffer.from(await (await page.$('#canvas')).screenshot()));
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
    await page.close();
  }
});

// The language: the link's, else the browser's first that the page speaks,
// else English; <html lang> follows. In Portuguese, no word of the English
// page is left but the program's own, the names of things and the words
// both languages have.
test('English or Portuguese: from the browser\'s languages, from the link, from the switch; nothing left in English', async () => {
  for (const [languages, link, lang] of [[['pt-BR', 'en'], '', 'pt-BR'], [['pt-PT'], '', 'pt-BR'], [['de-DE', 'en-GB'], '', 'en'],
    [['fr'], '', 'en'], [['fr-FR', 'pt-BR', 'en'], '', 'pt-BR'], [['en-US'], '?lang=pt-BR', 'pt-BR'], [['pt-BR'], '?lang=en', 'en']]) {
    const page = await open(`${url}${link}`, undefined, languages);
    assert.deepEqual(await page.evaluate(() => [document.documentElement.lang, document.getElementById('what').textContent.split(' ')[0]]),
      [lang, lang === 'en' ? 'Two' : 'Dois'], `languages ${languages}, link '${link}'`);
    await page.close();
  }
  // Words of the page in its language, the program's own (marked with
  // another lang) and GL's names left out.
  const pageWords = (page) => page.evaluate(() => {
    const lang = document.documentElement.lang, texts = [], walk = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
    for (let node; (node = walk.nextNode());)
      if (node.parentElement.closest('[lang]').lang === lang && node.parentElement.tagName !== 'SCRIPT') texts.push(node.textContent);
    for (const e of document.querySelectorAll('[aria-label]')) if (e.closest('[lang]').lang === lang) texts.push(e.getAttribute('aria-label'));
    return texts.join(' ').match(/[\p{L}_]{3,}/gu).filter((w) => !/^gl|_/i.test(w));
  });
  const page = await open(`${pathToFileURL(`${pageDir}/index.html`).href}?lang=pt-BR#lab`);
  const running = await pageWords(page);
  await expectStepWords(page, 'on', 'pt-BR');
  for (let i = 0; i < 5; i++) await frameOf(page, () => page.keyboard.press('ArrowRight'));  // the pop: a ghost too
  // The canvas's caption says the stack's depth in the page's language:
  // "profundidade 1" runs on well past "depth 1".
  const shot = async () => PNG.sync.read(Buffer.from(await (await page.$('#canvas')).screenshot()));
  const pt = depthLineEnd(await shot());
  const lab = async () => [...await pageWords(page), ...(await frameOf(page, () => clickOn(page, '#edit')), await pageWords(page)),
    ...(await frameOf(page, () => clickOn(page, '#edit')), [])];  // and the lab's controls, which then close
  const portuguese = [...running, ...await lab()];
  await frameOf(page, () => page.click('[data-lang="en"]'));
  const en = depthLineEnd(await shot());
  assert.ok(pt > en + 30, `the caption's depth line ends at ${pt} in Portuguese, at ${en} in English`);
  assert.deepEqual(await page.evaluate(() => [document.documentElement.lang, location.search, location.hash]), ['en', '?lang=en', '#lab']);
  const english = new Set(await lab());
  await frameOf(page, () => page.click('#steps'));
  for (const word of await pageWords(page)) english.add(word);  // and running
  const shared = ['Quenlade', 'Esc', 'push', 'pop', 'usando', 'sem', 'modelview', 'OpenGL', 'WebGL', 'console'];
  assert.deepEqual([...new Set(portuguese.filter((w) => english.has(w) && !shared.includes(w)))], [], 'English left in the Portuguese page');
  await page.close();
});

// Esc, or Ctrl+[ as the desktop reads it: the page says that the program
// has ended, with its status; only Start again (and the language) is left
// to press. Starting again keeps the address, so the language and the
// '#' part, and starts from the start: push/pop on, the home eye, the
// angles at 0, no report lines.
test('after Esc: the end said, only Start again left, which starts from the start in the same language', async () => {
  const page = await open(`${pathToFileURL(`${pageDir}/index.html`).href}?lang=pt-BR#lab`);
  for (const key of ['Space', 'o']) await frameOf(page, () => page.keyboard.press(key));
  const frames = await page.evaluate(() => Module.frames);
  await page.waitForFunction((n) => Module.frames >= n + 10, { timeout: 10000 }, frames);  // the cubes turn
  const turned = angleOf(await startSteps(page));
  const cdp = await page.createCDPSession();
  for (const type of ['keyDown', 'keyUp']) await cdp.send('Input.dispatchKeyEvent', { type, key: '[', code: 'BracketLeft', modifiers: 2 });
  await page.waitForFunction(() => document.body.dataset.exitStatus !== undefined);
  await expectSaid(page, 'status-text', 'O Quenlade terminou (Esc, código de saída 0).');
  assert.deepEqual(await page.evaluate(() => [...document.querySelectorAll('button, input, a[href], summary, canvas[tabindex]')]
    .filter((e) => !e.disabled && e.getClientRects().length).map((e) => e.id || e.dataset.lang)), ['en', 'pt-BR', 'restart']);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'restart');
  assert.deepEqual(await violations(page), [], 'axe-core, after Esc');

  await Promise.all([page.waitForNavigation({ timeout: 5000 }), page.keyboard.press('Enter')]);
  await page.waitForFunction(() => document.body.dataset.firstFrame, { timeout: 10000 });
  const again = angleOf(await startSteps(page));
  assert.ok(again < turned && again <= 20, `started again at ${again} degrees, had turned to ${turned}`);
  assert.deepEqual(await page.evaluate(() => [document.documentElement.lang, location.search, location.hash]), ['pt-BR', '?lang=pt-BR', '#lab']);
  await expectSaid(page, 'scene', 'Modo “usando push/pop”; o olho em (1,69; 2,9; 8,1).');
  assert.deepEqual(await reported(page), [], 'report lines after starting again');
  await page.close();
});

// The lab, by the page's own controls, while stepping: the grey cube's
// rotate and translate swapped, its angle typed, the first pop switched
// off, a translate's x typed and stepped up with the arrow (the arrows on a
// number do not walk the steps), the blue cube's angle dragged. The link
// then holds the calls, and quenlade-capture --calls draws the same frame
// from them. A push switched off at the start leaves a pop to underflow,
// marked in the list. A link is read back, served or from a file; one with
// nonsense opens the program's own frame, says where, and runs nothing.
test('the lab: calls changed in the list, the same frame as quenlade-capture --calls draws from the link; links read back', async (t) => {
  const page = await open();
  await page.evaluate(() => { window.clockHeld = true; });
  for (let i = 0; i < 2; i++) await frameOf(page, () => page.keyboard.press('Space'));  // both angles 0
  await startSteps(page);
  // Space while stepping switches the mode and starts again at its first call.
  for (const [key, step, count] of [['ArrowRight', 2, 10], ['ArrowRight', 3, 10], ['Space', 1, 6], ['Space', 1, 10]]) {
    await frameOf(page, () => page.keyboard.press(key));
    assert.deepEqual([await markedStep(page), await page.evaluate(() => Module.steps.length)], [step, count], `after ${key}`);
  }
  await clickOn(page, '#edit');
  assert.equal((await page.$$('#calls button')).length, 9, 'a swap for each call but the last');
  const row = (n) => `#calls > li:nth-child(${n})`, number = async (n, j) => (await page.$$(`${row(n)} input[type="number"]`))[j];
  const typed = (n, j, text) => async () => (await clickOn(page, await number(n, j)), page.keyboard.type(text));
  for (const action of [() => clickOn(page, `${row(2)} button`), typed(3, 0, '30'), () => clickOn(page, `${row(5)} input[type="checkbox"]`),
    typed(6, 0, '2'), () => page.keyboard.press('ArrowUp'),
    async () => (await page.keyboard.down('Shift'), await page.keyboard.press('ArrowUp'), page.keyboard.up('Shift'))]) {
    await frameOf(page, action);
    await page.waitForFunction(() => decodeURIComponent(location.hash) === `#${Module.steps.map((c) => c.lab).join(';')}`, { timeout: 5000 })
      .catch(() => assert.fail(`the link is not the frame's calls after ${action}`));
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
  await page.waitForFunction((text) => decodeURIComponent(location.hash) === `#${text}`, { timeout: 5000 }, text)
    .catch(async () => assert.equal(await page.evaluate(() => location.hash), `#${text}`));

  // Running, the canvas is 500 pixels wide again (in the lab, on a screen
  // held upright, it was smaller, at the top): the picture once drawn so.
  await frameOf(page, () => page.click('#steps'));
  await page.waitForFunction(() => canvas.width === 500, { timeout: 5000 });
  const web = await picture(page, () => page.evaluate(() => Module._web_show_step(0)));
  execFileSync(process.env.QUENLADE_CAPTURE, ['--calls', text, `${tmpdir()}/page-test-lab.png`]);
  const native = PNG.sync.read(readFileSync(`${tmpdir()}/page-test-lab.png`));
  const [differ, cubes] = cubesDiffer(web, native);
  t.diagnostic(`${differ} of the ${cubes} cube pixels differ from quenlade-capture --calls`);
  assert.ok(cubes > 2000 && differ <= cubes * 0.02, `${differ} of ${cubes} cube pixels differ from quenlade-capture --calls`);

  await frameOf(page, () => page.click('#steps'));
  await frameOf(page, () => clickOn(page, '#lab-reset'));
  await page.waitForFunction(() => location.hash === '', { timeout: 5000 })
    .catch(async () => assert.fail(`the link still holds ${await page.evaluate(() => location.hash)} after The program's calls`));
  await frameOf(page, () => clickOn(page, `${row(1)} input[type="checkbox"]`));
  await clickOn(page, '#lab-c');
  assert.deepEqual(await page.$$eval('#calls > li', (items) => items.map((item, i) => [i + 1, item.querySelector('.gl-error')])
    .filter(([, mark]) => !mark.hidden).map(([n, mark]) => [n, mark.lastChild.textContent])), [[5, 'GL_STACK_UNDERFLOW']]);
  assert.match(await page.$eval('#c-code', (c) => c.value), /\/\/ glPushMatrix\(\);/);
  await page.evaluate(() => { window.clockHeld = false; });  // axe-core waits on timers; the steps hold the cubes
  assert.deepEqual(await violations(page), [], 'axe-core, in the lab');
  await page.close();

  const own = 'glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glPopMatrix();glTranslatef(1.5,1.5,0);' +
    'glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);glPopMatrix()';
  const off = 'glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glRotatef(a2,0,1,0);glTranslatef(1.5,1.5,0);glutSolidCube(0.5)';
  for (const [address, calls, said] of [[`${url}#${text}`, text, ''], [`${url}#${off}`, off, ''],
    [`${pathToFileURL(`${pageDir}/index.html`).href}#glPushMatrix();<img src=x onerror="ran=1">`, own,
      'The calls after # in this page\'s address could not be read; it shows the program\'s own frame. Where: character 16: ' +
      'expected a call: glPushMatrix, glPopMatrix, glRotatef, glTranslatef or glutSolidCube, found "<img src=x onerr..."']]) {
    const opened = await open(address);
    assert.equal((await startSteps(opened)).map((c) => c.lab).join(';'), calls, address);
    assert.deepEqual(await opened.evaluate(() => [document.getElementById('lab-said').textContent, window.ran ?? 0]), [said, 0]);
    await opened.close();
  }
  // Links typed into the address of a page already running: one of the
  // other mode starts its cubes from 0, as Space does; one that cannot be
  // read leaves the program's own calls, and the link empty.
  const relinked = await open(`${url}#${off}`);
  const frames = await relinked.evaluate(() => Module.frames);
  await relinked.waitForFunction((n) => Module.frames >= n + 20, { timeout: 10000 }, frames);  // the cubes turn, 100 degrees
  await relinked.evaluate((own) => { location.hash = own; }, own);
  assert.ok(angleOf(await startSteps(relinked)) <= 40, 'a link of the other mode starts the cubes from 0');
  await frameOf(relinked, () => relinked.evaluate(() => { location.hash = 'glNonsense()'; }));
  await relinked.waitForFunction(() => location.hash === '', { timeout: 5000 }).catch(() => assert.fail('the unreadable link is kept'));
  assert.equal((await relinked.evaluate(() => Module.steps)).map((c) => c.lab).join(';'), own);
  assert.match(await relinked.evaluate(() => document.getElementById('lab-said').textContent), /could not be read/);
  await relinked.close();
});

// The cards' titles, as an independent model tells each matrix's story from
// the calls' names alone: a push starts a story (the view's is gluLookAt's),
// a pop ends the top's (at the view, it pops nothing: GL refuses), a call
// switched off in the lab does nothing, and any other call but a cube
// changes the top. Each title is also held to the numbers under it: a
// matrix last changed (or pushed) at step k is the frame the top held after
// step k; the view, never changed, the world itself.
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
function listed(numbers, and) {
  return numbers.length > 1 ? `${numbers.slice(0, -1).join(', ')} ${and} ${numbers.at(-1)}` : `${numbers[0]}`;
}
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
const noSwap = 'glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glPopMatrix();glTranslatef(1.5,1.5,0);' +
  'glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);glPopMatrix()';

test('each card says what its matrix is now: at every step of both modes and in labs, in both languages, true to its numbers', async () => {
  const rowsOf = (m) => [0, 1, 2].map((r) => [0, 1, 2, 3].map((c) => m[c * 4 + r]));
  const world = [[1, 0, 0, 0], [0, 1, 0, 0], [0, 0, 1, 0]];
  for (const [lang, keys, link] of [['en', [], ''], ['pt-BR', ['Space'], ''], ['en', ['Space'], ''], ['pt-BR', [], ''],
    ['en', [], `-${noSwap}`],  // the first push off: the first pop has nothing to pop
    ['pt-BR', [], 'glTranslatef(1,0,0);glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(0.5,0,0);glutSolidCube(0.5);' +
      'glPushMatrix();glTranslatef(1.5,1.5,0);glRotatef(a2,0,1,0);glutSolidCube(0.5);glPopMatrix();glPopMatrix()']]) {
    const page = await open(`${url}?lang=${lang}${link && `#${link}`}`);
    for (const key of keys) await frameOf(page, () => page.keyboard.press(key));
    const calls = await startSteps(page), model = storiesOf(calls), said = titleWords[lang];
    for (let n = 1; n <= calls.length; n++) {
      if (n > 1) await frameOf(page, () => page.keyboard.press('ArrowRight'));
      const where = `${lang}, ${keys.join() || 'push/pop'}, ${link ? 'a lab' : 'the program'}: step ${n}, ${calls[n - 1].call}`;
      const { stack, ghost } = model[n - 1], steps = await page.evaluate(() => Module.steps);
      const cards = await page.$$eval('#cards > li', (items) => items.map((card) => ({ title: card.querySelector('h3').textContent,
        rows: [...card.querySelectorAll('tbody tr')].map((row) => [...row.querySelectorAll('td')].map((td) => Number(td.textContent.replace(',', '.')))) })));
      const expected = [...stack.map((s, i) => ({ title: said.matrix(i + 1, said.story(s), i === stack.length - 1), story: s })).reverse(),
        ...(ghost ? [{ title: said.ghost(stack.length + 1, said.story(ghost), n), story: ghost }] : [])];
      if (ghost) expected.unshift(expected.pop());  // the ghost's card is first, above the stack
      assert.deepEqual(cards.map((c) => c.title), expected.map((e) => e.title), where);
      expected.forEach(({ story }, i) => {
        const last = story.changed.at(-1) ?? story.from, shown = last ? rowsOf(steps[last - 1].world) : world;
        assert.ok(cards[i].rows.flat().every((v, j) => Math.abs(v - shown.flat()[j]) <= 0.006),
          `${where}: the card "${cards[i].title}" shows ${cards[i].rows}, not ${shown}`);
      });
    }
    await page.close();
  }
});

// A lab's calls in use are said beside the picture, running or stepping,
// with the way back; nothing is said of a lab of the other mode, of the
// program's own calls, or after Back to the program's calls.
test('a lab says it is one, with the way back; the program\'s calls say nothing', async () => {
  const swapped = 'glPushMatrix();glTranslatef(1,0,0);glRotatef(a1,0,0,1);glutSolidCube(0.5);glPopMatrix();glTranslatef(1.5,1.5,0);' +
    'glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);glPopMatrix()';
  const banner = (page) => page.evaluate(() => {
    const on = document.getElementById('lab-on'), box = on.getBoundingClientRect(), stepper = document.getElementById('stepper');
    const floor = getComputedStyle(stepper).position === 'fixed' ? stepper.getBoundingClientRect().top : innerHeight;
    return { said: on.textContent, role: on.getAttribute('role'), seen: box.height > 0 && box.top >= 0 && box.bottom <= floor };
  });
  const lab = 'A lab: these cubes follow changed calls, not the program\'s own. Back to the program\'s calls';
  for (const [address, keys, said, viewport] of [[`${url}#${swapped}`, [], lab], [`${url}#${swapped}`, ['ArrowRight'], lab],
    [`${url}?lang=pt-BR#${swapped}`, [], 'Um laboratório: estes cubos seguem chamadas mudadas, não as do próprio programa. ' +
      'Voltar às chamadas do programa', { width: 1920, height: 1080 }],
    [`${url}#${swapped}`, ['Space'], ''], [`${url}#${noSwap}`, [], ''], [url, [], '']]) {
    const page = await open(address, viewport), where = `${address.slice(url.length) || 'no lab'}, ${keys}`;
    for (const key of keys) await frameOf(page, () => page.keyboard.press(key));
    await page.waitForFunction((said) => document.getElementById('lab-on').textContent === said, { timeout: 5000 }, said).catch(() => {});
    assert.deepEqual(await banner(page), { said, role: 'status', seen: !!said }, where);
    if (said) {
      await frameOf(page, () => clickOn(page, '#lab-back'));
      await page.waitForFunction(() => !document.getElementById('lab-on').textContent, { timeout: 5000 }).catch(() => {});
      assert.deepEqual([(await banner(page)).said, await page.evaluate(() => location.hash)], ['', ''], `${where}: Back to the program's calls`);
    }
    await page.close();
  }
});

// The back of a room: at 1920x1080, stepping in the lab, every text a
// student reads is 20 px or more, and the cards' numbers are the largest
// beside the canvas. Left out: the report, sized for its lines to fit a
// row.
test('legible from the back of a room: the text grows with the canvas, the numbers the largest', async () => {
  const page = await open(url, { width: 1920, height: 1080 });
  await startSteps(page);
  for (let i = 0; i < 5; i++) await frameOf(page, () => page.keyboard.press('ArrowRight'));
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
  const small = sizes.filter(([, , , size]) => size < 20);
  assert.deepEqual(small, [], 'text under 20 px at 1920x1080');
  const numbers = Math.min(...sizes.filter(([, kind]) => kind === 'NUMBER').map(([, , , size]) => size));
  const larger = sizes.filter(([, kind, , size]) => kind !== 'NUMBER' && size >= numbers);
  assert.deepEqual(larger, [], `text as large as the cards' numbers (${numbers} px) or larger`);
  await page.close();
});

// One thumb on a phone, either way up: after Steps and Next, from the top
// of the page or from its end, Next and the whole canvas with the step's
// words are in view together, nothing over them; the page's end clears the
// buttons that stay over it. In the lab on a screen held upright, the
// canvas stays whole in view, above a number being changed.
test('a phone either way up: Back and Next in reach, the canvas and its words in view; the lab under the canvas', async () => {
  const box = (page, ...ids) => page.evaluate((ids) => ids.map((id) => document.getElementById(id).getBoundingClientRect().toJSON()), ids);
  const apart = (a, b) => a.bottom <= b.top || b.bottom <= a.top || a.right <= b.left || b.right <= a.left;
  const inside = (a, height) => a.top >= 0 && a.bottom <= height;
  for (const [width, height] of [[360, 640], [640, 360], [390, 844], [844, 390]]) {
    for (const lang of ['en', 'pt-BR']) {
      const where = `${width}x${height}, ${lang}`;
      const page = await open(`${url}?lang=${lang}`, { width, height, isMobile: true, hasTouch: true });
      await frameOf(page, () => page.tap('#steps'));
      for (const [from, scroll] of [['the top', 0], ['the end', 1e6], ['the end', 1e6]]) {
        await page.evaluate((y) => scrollTo(0, y), scroll);
        await frameOf(page, () => page.tap('#next'));
        await page.waitForFunction(() => scrollY >= 0, { timeout: 1000 });
        const [next, canvas, caption, stepper] = await box(page, 'next', 'canvas', 'caption', 'stepper');
        assert.ok(inside(next, height) && inside(canvas, height) && inside(caption, height),
          `${where}: after Next from ${from}, Next ${next.top}-${next.bottom}, canvas ${canvas.top}-${canvas.bottom}, ` +
          `words ${caption.top}-${caption.bottom}`);
        assert.ok(apart(canvas, stepper) && apart(caption, stepper), `${where}: after Next from ${from}, the buttons cover the canvas or its words`);
      }
      await page.evaluate(() => scrollTo(0, 1e6));
      const [log, stepper] = await box(page, 'log', 'stepper');
      assert.ok(log.bottom <= stepper.top, `${where}: the page's end under the buttons`);
      if (width < height) {
        await clickOn(page, '#edit');
        for (const n of [2, 8]) {
          const input = await reach(page, `#calls > li:nth-child(${n}) input[type="number"]`);
          await input.focus();
          await page.keyboard.press('ArrowUp');
          const [canvasNow, stepperNow] = await box(page, 'canvas', 'stepper'), field = (await input.boundingBox());
          assert.ok(inside(canvasNow, height) && field.y >= canvasNow.bottom && field.y + field.height <= stepperNow.top,
            `${where}: call ${n}'s number at ${field.y}, the canvas at ${canvasNow.top}-${canvasNow.bottom}`);
        }
      }
      await page.close();
    }
  }
});

// The smaller things: the report's lines on one row each at every size;
// after Copy as C and Esc, only the end is said.
test('each report line on one row at every size; after Copy as C and Esc, the end alone is said', async () => {
  for (const [width, height] of [[360, 640], [640, 360], [390, 844], [844, 390], [1280, 720], [1920, 1080]]) {
    const mobile = width * height < 800000, page = await open(url, { width, height, isMobile: mobile, hasTouch: mobile });
    for (const key of [...Array(12).fill('x'), ...Array(3).fill('y'), 'Z']) await page.keyboard.press(key);
    await expectLines(page, reportLines([...Array(12).fill(120), ...Array(3).fill(121), 90]), `${width}x${height}`);
    const rows = await page.evaluate(() => [...document.getElementById('report').childNodes].map((line) => {
      const range = document.createRange();
      range.setStart(line, 0), range.setEnd(line, line.length - 1);
      return new Set([...range.getClientRects()].map((r) => Math.round(r.top))).size;
    }));
    assert.deepEqual(rows, rows.map(() => 1), `${width}x${height}: rows of each report line`);
    await page.close();
  }
  const page = await open();
  await startSteps(page);
  await clickOn(page, '#edit');
  await clickOn(page, '#lab-c');
  await page.waitForFunction(() => document.getElementById('lab-said').textContent, { timeout: 5000 });
  await page.focus('#canvas');
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => document.body.dataset.exitStatus !== undefined);
  assert.deepEqual(await page.evaluate(() => ['status-text', 'lab-said', 'lab-on'].map((id) => document.getElementById(id).textContent)),
    ['Quenlade has ended (Esc, status 0).', '', ''], 'after Copy as C and Esc');
  await page.close();
});
