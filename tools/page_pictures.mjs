// page_pictures.mjs - the README's pictures of the page, in headless
// Chromium: on a desktop without push/pop, on a phone, stepping on a phone
// held sideways, the stack's cards at 45 degrees on a projector, and the
// same in Portuguese at the pop, and the lab opened from a link with the grey
// cube's rotate and translate swapped, at its cube, and the first challenge
// open in the lab. The clock is held (after
// nine ticks for the cards and the lab), so each picture is the same from
// run to run. A "#" among the keys clicks that control.
// Usage: node tools/page_pictures.mjs PAGE.html DIR   (scripts/make-pictures)
import { pathToFileURL } from 'node:url';
import { launch } from './chromium.mjs';

const [file, dir] = process.argv.slice(2);
const browser = await launch();
const desktop = { width: 1000, height: 600 }, phone = { width: 390, height: 844, isMobile: true, hasTouch: true };
const sideways = { width: 844, height: 390, isMobile: true, hasTouch: true }, projector = { width: 1280, height: 720 };

const right = (n) => Array(n).fill('ArrowRight');
const swapped = 'glPushMatrix();glTranslatef(1,0,0);glRotatef(a1,0,0,1);glutSolidCube(0.5);glPopMatrix();glTranslatef(1.5,1.5,0);' +
  'glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);glPopMatrix()';
const opened = () => document.querySelector('#calls input');  // a challenge, in the lab
for (const [name, viewport, keys, ticks = 0, lang = 'en', link = '', until = null] of [['web-page', desktop, [' ', 'X', 'y']],
  ['web-phone', phone, [' ']], ['web-steps', sideways, right(5)], ['web-stack', projector, right(3), 9],
  ['web-pt', projector, right(5), 9, 'pt-BR'], ['web-lab', projector, [...right(4), '#edit'], 9, 'en', swapped],
  ['web-challenge', projector, [], 0, 'en', '&challenge=1', opened]]) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  await page.evaluateOnNewDocument((n) => {  // the program's ticks of 100 ms: n of them, then none
    const setTimeoutOfPage = window.setTimeout.bind(window);
    window.ticks = 0;
    window.setTimeout = (run, ms, ...args) => (window.ticks < n ? setTimeoutOfPage(() => window.ticks++ < n && run(...args), ms) : 0);
  }, ticks);
  await page.goto(`${pathToFileURL(file).href}?lang=${lang}${link && `#${link}`}`);
  await page.waitForFunction((n) => document.body.dataset.firstFrame && window.ticks >= n, {}, ticks);
  await page.waitForFunction(() => canvas.width === Math.round(canvas.getBoundingClientRect().width * devicePixelRatio));
  for (const key of keys) {
    if (key.startsWith('#')) {
      await (await page.waitForSelector(key)).click();
      continue;
    }
    const frames = await page.evaluate(() => Module.frames);
    if (viewport.hasTouch && key.length === 1) await page.tap(`#keys button[data-key="${key.charCodeAt(0)}"]`);
    else await page.keyboard.press(key === ' ' ? 'Space' : key);
    await page.waitForFunction((n) => Module.frames > n, {}, frames);
  }
  if (until) await page.waitForFunction(until);
  await page.screenshot({ path: `${dir}/${name}.png`, fullPage: !viewport.isMobile });
  console.log(`${dir}/${name}.png`);
  await page.close();
}
await browser.close();
