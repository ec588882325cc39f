// page_test.mjs - Quenlade's page in headless Chromium, next to the native
// program: the title, both modes with the cubes, axes and label where
// the camera model puts them, the picture next to the native one of the same
// state, keys typed into the page with the native report lines, and Esc.
import assert from 'node:assert/strict';
import { existsSync, readFileSync, writeFileSync } from 'node:fs';
import { after, before, test } from 'node:test';

const root = new URL('../../', import.meta.url).pathname;
const pageDir = process.env.QUENLADE_WEB_DIR ?? `${root}out/web`;

// Without the page or what drives it, the test skips (status 77) with one
// line saying what to run, which ctest prints after its summary.
const lacking = [!existsSync(`${pageDir}/index.html`) && `the page in ${pageDir}`,
  !existsSync('/usr/bin/chromium') && 'chromium'].filter(Boolean);
const modules = await Promise.all([import('pngjs'), import('../../tools/chromium.mjs')])
  .catch(() => lacking.push('the npm packages of package.json'));
if (lacking.length) {
  const line = `web: skipped, needs ${lacking.join(', ')}: run ./scripts/test, which provides them`;
  console.log(line);
  if (process.env.QUENLADE_SKIPPED) writeFileSync(`${process.env.QUENLADE_SKIPPED}/web`, `${line}\n`);
  process.exit(77);
}
const [{ PNG }, { launch, serve }] = modules;
const home = [1.69, 2.9, 8.1], front = [0, 0, 5];

// The camera model of tests/testkit.h: where a world point lands in the
// 500x500 window, in pixels from the lower left, seen from eye.
function project(p, eye) {
  const dot = (a, b) => a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
  const n = Math.sqrt(dot(eye, eye)), m = Math.hypot(eye[0], eye[2]);
  const f = eye.map((v) => -v / n), s = [eye[2] / m, 0, -eye[0] / m];
  const u = [s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]];
  const d = p.map((v, i) => v - eye[i]), k = 1 / Math.tan((22.5 * Math.PI) / 180) / dot(d, f);
  return [(k * dot(d, s) + 1) * 250, (k * dot(d, u) + 1) * 250];
}

// The pixel of a picture at a window position, as [r, g, b].
const at = (png, [x, y]) => {
  const i = ((png.height - 1 - Math.floor(y)) * png.width + Math.floor(x)) * 4;
  return [png.data[i], png.data[i + 1], png.data[i + 2]];
};
const grey = ([r, g, b]) => r > 30 && Math.abs(r - g) < 4 && Math.abs(g - b) < 4;
const blue = ([r, g, b]) => b > 30 && r < 4 && 2 * g >= b - 6 && g <= 0.6 * 255 + 4;
const near = (png, p, looks) =>  // anywhere in the 5x5 pixels round p: lines are 1 px wide
  [-2, -1, 0, 1, 2].some((dx) => [-2, -1, 0, 1, 2].some((dy) => looks(at(png, [p[0] + dx, p[1] + dy]))));

let server, browser, url;

before(async () => {
  ({ server, url } = await serve(pageDir));
  browser = await launch();
});

after(() => Promise.all([browser?.close(), server?.kill()]));

// Opens the page with a clock the test can hold (the program's ticks stop
// while it is held), and waits for its first frame.
async function open() {
  const page = await browser.newPage();
  // Esc ends the program by unwinding it with emscripten's ExitStatus.
  page.on('pageerror', (error) => /ExitStatus/.test(error) || assert.fail(`the page threw: ${error}`));
  await page.evaluateOnNewDocument(() => {
    const setTimeoutOfPage = window.setTimeout.bind(window);
    window.setTimeout = (run, ms, ...args) => setTimeoutOfPage(() => window.clockHeld || run(...args), ms);
  });
  await page.goto(url);
  await page.waitForFunction(() => document.body.dataset.firstFrame, { timeout: 10000 });
  return page;
}

// Types as a user does: capitals with Shift held, as the page's GLUT wants.
async function type(page, text) {
  for (const key of text) {
    const shift = key !== key.toLowerCase();
    if (shift) await page.keyboard.down('Shift');
    await page.keyboard.press(key === ' ' ? 'Space' : key);
    if (shift) await page.keyboard.up('Shift');
  }
}

// What the canvas shows after typing a key and the frame that follows.
async function picture(page, key) {
  const frames = await page.evaluate(() => Module.frames);
  await type(page, key);
  await page.waitForFunction((n) => Module.frames > n, {}, frames);
  return PNG.sync.read(Buffer.from(await (await page.$('#canvas')).screenshot()));
}

test('both modes draw the cubes, axes and label where the model puts them, as the native program does', async (t) => {
  const page = await open();
  assert.equal(await page.title(), 'Quenlade #2');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas', 'the canvas has the keyboard');
  await page.evaluate(() => { window.clockHeld = true; });
  for (const [mode, blueAt] of [['off', [2.5, 1.5, 0]], ['on', [1.5, 1.5, 0]]]) {
    const web = await picture(page, ' ');  // both cubes back to angle 0, the clock held there
    const native = PNG.sync.read(readFileSync(`${root}docs/push-pop-${mode}.png`));
    const probes = [['grey cube', [1, 0, 0], grey], ['blue cube', blueAt, blue],
      ['x axis', [2.5, 0, 0], ([r, g, b]) => r > 100 && g < 30 && b < 30],
      ['y axis', [0, 2.5, 0], ([r, g, b]) => g > 100 && r < 30 && b < 30],
      ['label', [-1.96, -1.93, 0], ([r, g, b]) => r > 150 && g > 150 && b > 150, front]];
    for (const [what, p, looks, eye = home] of probes)
      assert.ok(near(web, project(p, eye), looks), `mode ${mode}: no ${what} at ${project(p, eye)}`);
    // The label says the mode: "usando push/pop" runs past x = 300, "sem push/pop" ends before.
    const labelEnd = Math.max(...[...Array(500).keys()].filter((x) => near(web, [x, 15], ([r]) => r > 150)));
    assert.equal(labelEnd > 300, mode === 'on', `mode ${mode}: the label ends at x = ${labelEnd}`);
    let differ = 0, cubes = 0, cubesDiffer = 0;
    for (let i = 0; i < 500 * 500; i++) {
      const a = at(web, [i % 500, i / 500]), b = at(native, [i % 500, i / 500]);
      const different = a.some((v, c) => Math.abs(v - b[c]) > 8);
      differ += different;
      if ((grey(b) && b[0] < 200) || blue(b)) cubes++, cubesDiffer += different;  // not the white text
    }
    t.diagnostic(`mode ${mode}: ${differ} pixels differ from the native picture, ${cubesDiffer} of the ${cubes} cube pixels`);
    assert.ok(cubesDiffer <= cubes * 0.02, `mode ${mode}: ${cubesDiffer} of ${cubes} cube pixels differ`);
  }
  await page.close();
});

test('keys give the native report lines, and Esc ends the program', async () => {
  const page = await open();
  await type(page, 'XaYoZ r' + 'z'.repeat(81));
  const lines = () => page.evaluate(() => document.getElementById('report').textContent.split('\n'));
  await page.waitForFunction(() => document.getElementById('report').textContent.split('\n').length > 88,
    { timeout: 5000 }).catch(async () => assert.fail(`report: ${await lines()}`));
  const expected = ['1.790000, 2.900000, 8.100000', '1.790000, 2.900000, 8.100000',
    '1.790000, 3.000000, 8.100000', '0.000000, 0.000000, 5.000000', '0.000000, 0.000000, 5.100000',
    '0.000000, 0.000000, 5.100000', '1.690000, 2.900000, 8.100000'];
  const seen = await lines();
  assert.deepEqual(seen.slice(0, 7), expected.map((e) => `Camera: ${e}`));
  assert.equal(seen[87], 'Camera: 1.690000, 2.900000, 0.000005');  // 81 steps down miss 0

  await page.keyboard.press('Escape');
  await page.waitForFunction(() => document.body.dataset.exitStatus !== undefined);
  assert.equal(await page.evaluate(() => document.body.dataset.exitStatus), '0');
  assert.match(await page.evaluate(() => document.getElementById('ended').textContent), /ended/);
  assert.equal((await lines()).length, 89, 'Esc prints nothing');
  await page.close();
});
