// The browser half of scripts/bench-web: runs bench/frames/frames.html in the
// machine's own headless Chromium and prints its figures, then loads the game's
// page a few times and prints how long each took to show its first frame.
//
//   node bench_frames.mjs PAGE_DIR
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const pageDir = process.argv[2];
const TYPES = {'.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.png': 'image/png', '.webmanifest': 'application/manifest+json'};
const server = http.createServer((request, response) => {
  let rest = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
  if (rest.endsWith('/'))
    rest += 'index.html';
  const file = path.resolve(pageDir, '.' + rest);
  if (!file.startsWith(path.resolve(pageDir)) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
    response.writeHead(404);
    response.end();
    return;
  }
  response.writeHead(200, {'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream'});
  fs.createReadStream(file).pipe(response);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}/`;
const profileDir = fs.mkdtempSync(path.join(os.tmpdir(), 'zf-chromium-'));
const browser = await puppeteer.launch({
  executablePath: process.env.ZF_CHROMIUM || '/usr/bin/chromium', headless: true, userDataDir: profileDir,
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
    '--no-first-run', '--disable-background-timer-throttling', '--disable-renderer-backgrounding'],
});
try {
  const runs = Number(process.env.ZF_BENCH_RUNS || 3);
  for (let k = 0; k < runs; ++k) {
    const page = await browser.newPage();
    await page.goto(origin + 'bench/frames.html', {waitUntil: 'load'});
    await page.waitForFunction(() => document.getElementById('result').textContent !== '', {timeout: 120000});
    console.log(await page.$eval('#result', (e) => e.textContent));
    await page.close();
  }
  for (let k = 0; k < 5; ++k) {
    // A fresh tab each time; the files come from the disk cache after the first.
    const page = await browser.newPage();
    await page.setViewport({width: 800, height: 800});
    await page.goto(origin, {waitUntil: 'load'});
    await page.waitForFunction(() => window.Module && Module.zfFirstFrameMs, {timeout: 20000});
    console.log(`first-frame ms=${(await page.evaluate(() => Module.zfFirstFrameMs)).toFixed(0)}`);
    await page.close();
  }
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profileDir, {recursive: true, force: true});
}
