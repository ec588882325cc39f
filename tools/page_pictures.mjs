// page_pictures.mjs - the README's pictures of the page, in headless
// Chromium: on a desktop without push/pop, on a phone, and stepping through
// the frame. The clock is held, so each picture is the same from run to run.
// Usage: node tools/page_pictures.mjs PAGE.html DIR   (scripts/make-pictures)
import { pathToFileURL } from 'node:url';
import { launch } from './chromium.mjs';

const [file, dir] = process.argv.slice(2);
const browser = await launch();
const desktop = { width: 548, height: 600 }, phone = { width: 390, height: 844, isMobile: true, hasTouch: true };

for (const [name, viewport, keys] of [['web-page', desktop, [' ', 'X', 'y']], ['web-phone', phone, [' ']],
  ['web-steps', desktop, ['ArrowRight', 'ArrowRight', 'ArrowRight', 'ArrowRight', 'ArrowRight']]]) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  await page.evaluateOnNewDocument(() => { window.setTimeout = () => 0; });  // no ticks: angle 0
  await page.goto(pathToFileURL(file).href);
  await page.waitForFunction(() => document.body.dataset.firstFrame);
  for (const key of keys) {
    const frames = await page.evaluate(() => Module.frames);
    if (viewport.hasTouch) await page.tap(`#keys button[data-key="${key.charCodeAt(0)}"]`);
    else await page.keyboard.press(key === ' ' ? 'Space' : key);
    await page.waitForFunction((n) => Module.frames > n, {}, frames);
  }
  await page.screenshot({ path: `${dir}/${name}.png`, fullPage: !viewport.isMobile });
  console.log(`${dir}/${name}.png`);
  await page.close();
}
await browser.close();
