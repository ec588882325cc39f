// chromium.mjs - Quenlade's page in headless Chromium, for the page test and
// the bench: Debian's Chromium driven by puppeteer-core, and the page served
// on 127.0.0.1 as scripts/web serves it.
import { spawn } from 'node:child_process';
import puppeteer from 'puppeteer-core';

// Software GL (SwiftShader) for WebGL on machines without a GPU, and none of
// the background connections that a closed network refuses.
export function launch() {
  return puppeteer.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox',
    '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-first-run', '--disable-sync',
    '--disable-background-networking', '--disable-component-update'] });
}

// Serves dir on a free port; resolves to the server process and its address.
// Rejects, with what the server said, when it cannot be started, ends
// before it names its port, or names none within 10 s; one that ends later,
// unasked, says so on stderr.
export function serve(dir) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', dir]);
  let said = '', heard = '', started = false;
  server.stderr.on('data', (text) => { said = (said + text).slice(-4000); });
  const failure = (why) => `The page's server (python3 -m http.server) ${why}${said ? `:\n${said.trim()}` : ''}`;
  return new Promise((resolve, reject) => {
    const fail = (why) => { clearTimeout(timer); reject(new Error(failure(why))); };
    const timer = setTimeout(() => { fail('named no port within 10 s'); server.kill(); }, 10000);
    server.on('error', (error) => fail(`could not be started (${error.message})`));
    server.on('close', (code, signal) => {
      const why = `ended, ${signal ?? `status ${code}`}`;
      if (!started) fail(why);
      else if (!server.killed) process.stderr.write(`${failure(why)}\n`);
    });
    server.stdout.on('data', (text) => {
      heard += text;
      const port = /port (\d+)/.exec(heard)?.[1];
      if (started || !port) return;
      started = true;
      clearTimeout(timer);
      resolve({ server, url: `http://127.0.0.1:${port}/` });
    });
  });
}
