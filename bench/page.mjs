// page.mjs - the page's measurements for scripts/bench, in headless Chromium.
//   node bench/page.mjs load PAGE_DIR: table rows (measure, value, target,
//     met) for the size of the page, raw and gzipped, and the time from
//     navigation to its first frame, the median of five loads.
//   node bench/page.mjs storm PAGE_DIR: a storm of 20,000 keys dispatched in
//     the page itself, 1,000 between frames, each printing its report line;
//     prints the seconds that the first and the second 10,000 took, and how
//     many report lines reached the console.
import { readFileSync, readdirSync } from 'node:fs';
import { gzipSync } from 'node:zlib';
import { launch, serve } from '../tools/chromium.mjs';

const [what, dir] = process.argv.slice(2);
const { server, url } = await serve(dir);
process.on('exit', () => server.kill());  // however this ends, a failure too
const browser = await launch();

async function open() {
  const page = await browser.newPage();
  await page.goto(url);
  await page.waitForFunction(() => document.body.dataset.firstFrame, { timeout: 10000 });
  return page;
}

if (what === 'load') {
  const row = (measure, value, target = '', met = '') => console.log(`| ${measure} | ${value} | ${target} | ${met} |`);
  const yes = (ok) => (ok ? 'yes' : '**no**');
  let total = 0;
  for (const file of readdirSync(dir).sort()) {
    const bytes = readFileSync(`${dir}/${file}`), gzipped = gzipSync(bytes, { level: 9 }).length;
    total += gzipped;
    row(`\`${file}\` (KB, raw / gzipped)`, `${(bytes.length / 1000).toFixed(1)} / ${(gzipped / 1000).toFixed(1)}`);
  }
  row('the page in all, gzipped (KB)', (total / 1000).toFixed(1), 'at most 100', yes(total <= 100000));
  const loads = [];
  for (let i = 0; i < 5; i++) {
    const page = await open();
    loads.push(Number(await page.evaluate(() => document.body.dataset.firstFrame)));
    await page.close();
  }
  loads.sort((a, b) => a - b);
  row('navigation to first frame (ms, median of 5)', loads[2].toFixed(0), 'under 2000', yes(loads[2] < 2000));
} else if (what === 'storm') {
  const page = await open();
  let lines = 0;
  page.on('console', (message) => message.text().startsWith('Camera: ') && lines++);
  const halves = await page.evaluate(async () => {
    const canvas = document.getElementById('canvas'), keys = 'XxYyZzOoRr a';
    const half = async (from) => {
      const start = performance.now();
      for (let i = from; i < from + 10000; i++) {
        canvas.dispatchEvent(new KeyboardEvent('keydown', { key: keys[i % keys.length], bubbles: true }));
        if (i % 1000 === 999) await new Promise(requestAnimationFrame);
      }
      return (performance.now() - start) / 1000;
    };
    return [await half(0), await half(10000)];
  });
  for (let waited = 0; lines < 20000 && waited < 100; waited++) await new Promise((resolve) => setTimeout(resolve, 100));
  console.log(`${halves.map((s) => s.toFixed(2)).join(' ')} ${lines}`);
}
await browser.close();
server.kill();
