// page.mjs - the page's measurements for scripts/bench: the size of what a
// browser downloads, and the time from navigation to the first frame in
// headless Chromium, the median of five loads. Prints table rows: measure,
// value, target, met.  Usage: node bench/page.mjs PAGE_DIR
import { readFileSync, readdirSync } from 'node:fs';
import { gzipSync } from 'node:zlib';
import { launch, serve } from '../tools/chromium.mjs';

const dir = process.argv[2];
const row = (measure, value, target = '', met = '') => console.log(`| ${measure} | ${value} | ${target} | ${met} |`);
const yes = (ok) => (ok ? 'yes' : '**no**');

let total = 0;
for (const file of readdirSync(dir).sort()) {
  const bytes = readFileSync(`${dir}/${file}`);
  const gzipped = gzipSync(bytes, { level: 9 }).length;
  total += gzipped;
  row(`\`${file}\` (KB, raw / gzipped)`, `${(bytes.length / 1000).toFixed(1)} / ${(gzipped / 1000).toFixed(1)}`);
}
row('the page in all, gzipped (KB)', (total / 1000).toFixed(1), 'at most 100', yes(total <= 100000));

const { server, url } = await serve(dir);
const browser = await launch();
const loads = [];
for (let i = 0; i < 5; i++) {
  const page = await browser.newPage();
  await page.goto(url);
  await page.waitForFunction(() => document.body.dataset.firstFrame, { timeout: 10000 });
  loads.push(Number(await page.evaluate(() => document.body.dataset.firstFrame)));
  await page.close();
}
loads.sort((a, b) => a - b);
row('navigation to first frame (ms, median of 5)', loads[2].toFixed(0), 'under 2000', yes(loads[2] < 2000));
await browser.close();
server.kill();
