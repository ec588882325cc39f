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
export async function serve(dir) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', dir]);
  const port = await new Promise((resolve) =>
    server.stdout.on('data', (text) => /port (\d+)/.test(text) && resolve(/port (\d+)/.exec(text)[1])));
  return { server, url: `http://127.0.0.1:${port}/` };
}
