// The browser test of the web build (run by scripts/test-web): the page in the
// machine's own headless Chromium, played like a person would with the mouse
// and with a finger. The title and the menu must be pixel for pixel the
// desktop screenshot tool's pictures of the same moments; drags must move
// creatures; a solved level must still count after a reload; every mode must
// play; the phone viewport must show the whole canvas without scrolling; and
// the end of the game must give the closing screen with a way back in.
//
//   node browser_test.mjs PAGE_DIR REFERENCE_DIR [SHOTS_DIR]
//
// Serves PAGE_DIR itself on a free port of 127.0.0.1. Prints one line per
// check and closes with "N passed, M failed"; the exit status is 1 when any
// check failed.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [pageDir, referenceDir, shotsDir] = process.argv.slice(2);
if (!pageDir || !referenceDir) {
  console.error('usage: node browser_test.mjs PAGE_DIR REFERENCE_DIR [SHOTS_DIR]');
  process.exit(2);
}
const CHROMIUM = process.env.ZF_CHROMIUM || '/usr/bin/chromium';

// Sprite ids and places of the game's screens (game/ui.h, game/play.h).
const SPRITE_CLOSE = 2048;
const SPRITE_TITLE = 2049;
const SPRITE_MENU_BASE = 2100;
const SPRITE_POPUP = 2100;
const SPRITE_SELECT_CAPTION = 2100;
const SPRITE_CHOOSER_CAPTION = 2060;
const SPRITE_SCORES_CAPTION = 2120;
const SPRITE_PAUSE_CAPTION = 2111;
const CLOSE = [232, 9];
const MODES = {classic: 0, timeAttack: 1, suddenDeath: 2, funkyShapes: 3, babyBrains: 4};

// ---------------------------------------------------------------- server

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.wasm': 'application/wasm', '.png': 'image/png', '.webmanifest': 'application/manifest+json',
  '.json': 'application/json',
};

function serve() {
  const roots = [['/ref/', referenceDir], ['/', pageDir]];
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    let file = null;
    for (const [prefix, dir] of roots) {
      if (url.pathname.startsWith(prefix)) {
        let rest = decodeURIComponent(url.pathname.slice(prefix.length));
        if (rest === '' || rest.endsWith('/'))
          rest += 'index.html';
        const full = path.resolve(dir, rest);
        if (full.startsWith(path.resolve(dir) + path.sep))
          file = full;
        break;
      }
    }
    if (!file || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, {
      'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-cache',
    });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// ---------------------------------------------------------------- checks

let passed = 0;
let failed = 0;

async function check(name, body) {
  const started = Date.now();
  try {
    const note = await body();
    passed += 1;
    console.log(`ok   ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)${note ? ': ' + note : ''}`);
  } catch (error) {
    failed += 1;
    console.log(`FAIL ${name}: ${error && error.message ? error.message : error}`);
  }
}

function assert(condition, message) {
  if (!condition)
    throw new Error(message);
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// ---------------------------------------------------------------- the page

// One tab of the game, with the game's state read through the probe and the
// pointer driven through the mouse or the touch screen.
class Game {
  constructor(page, touch) {
    this.page = page;
    this.touch = touch;
    this.errors = [];
    page.on('pageerror', (error) => this.errors.push(error.message));
    page.on('console', (message) => {
      if (message.type() === 'error' || message.type() === 'warn')
        this.errors.push(`console ${message.type()}: ${message.text()}`);
    });
  }

  async open(url) {
    await this.page.goto(url, {waitUntil: 'load'});
    await this.until(() => window.Module && Module.calledRun && Module._zf_probe_vertex_count, 'the game to start');
  }

  // Polls fn in the page until it answers something true.
  async until(fn, what, timeout = 20000, ...args) {
    try {
      return await this.page.waitForFunction(fn, {timeout, polling: 20}, ...args);
    } catch (error) {
      const state = await this.page.evaluate(() => window.Module && Module.calledRun ?
        `title ${Module._zf_probe_sprite_size(2049)}/${Module._zf_probe_sprite_opacity(2049)}, ` +
        `menu ${Module._zf_probe_sprite_size(2100)}/${Module._zf_probe_sprite_opacity(2100)}, ` +
        `compose ${Module._zf_probe_compose()}, clock ${Module._zf_probe_level_clock_runs()}` : 'not started')
        .catch(() => 'unknown');
      throw new Error(`timed out waiting for ${what} (${state})` +
        `${this.errors.length ? ' (page: ' + this.errors.join('; ') + ')' : ''}`);
    }
  }

  probe(name, ...args) {
    return this.page.evaluate((n, a) => Module['_zf_probe_' + n](...a), name, args);
  }

  async sprite(id) {
    const packed = await this.probe('sprite', id);
    if (packed === -1)
      return null;
    return [(packed << 16) >> 16, packed >> 16];
  }

  async vertex(i) {
    const packed = await this.probe('vertex', i);
    return [(packed << 16) >> 16, packed >> 16];
  }

  async home(i) {
    const packed = await this.probe('home', i);
    return [(packed << 16) >> 16, packed >> 16];
  }

  // A sprite that is on the screen with this size and opacity.
  spriteIs(id, w, h, opacity) {
    return this.until((id, w, h, opacity) => {
      const size = Module._zf_probe_sprite_size(id);
      return size === (w | (h << 16)) && Module._zf_probe_sprite_opacity(id) === opacity;
    }, `sprite ${id} at ${w} x ${h}, opacity ${opacity}`, 20000, id, w, h, opacity);
  }

  async titleWaiting() {
    await this.spriteIs(SPRITE_TITLE, 240, 125, 32);
    await this.until(() => Module._zf_probe_compose() === 0, 'the title to wait for a tap');
  }

  menuWaiting() {
    return this.spriteIs(SPRITE_MENU_BASE, 217, 22, 32);
  }

  inPlay() {
    return this.until(() => Module._zf_probe_level_clock_runs() &&
      Module._zf_probe_sprite_opacity(2111) <= 0 && Module._zf_probe_vertex_count() > 0, 'a level in play');
  }

  // Page coordinates of a point of the 240 x 320 screen, in the middle of
  // the page pixels that show it.
  async toPage(x, y) {
    const r = await this.page.evaluate(() => {
      const b = document.getElementById('screen').getBoundingClientRect();
      return [b.left, b.top, b.width, b.height];
    });
    return [r[0] + (x + 0.5) * r[2] / 240, r[1] + (y + 0.5) * r[3] / 320];
  }

  // Waits until the game has run n more frames, so that what the page was
  // given so far has been seen, each step in a frame of its own.
  async frames(n = 2) {
    const start = await this.probe('frames');
    await this.until((s, n) => Module._zf_probe_frames() >= s + n, `${n} frames`, 10000, start, n);
  }

  async tap(x, y) {
    const [px, py] = await this.toPage(x, y);
    if (this.touch) {
      await this.page.touchscreen.tap(px, py);
    } else {
      await this.page.mouse.move(px, py);
      await this.page.mouse.down();
      await this.frames();
      await this.page.mouse.up();
    }
    await this.frames();
  }

  // A key held for a few frames: one pressed and released within a frame
  // is not seen, as on the desktop.
  async key(name) {
    await this.page.keyboard.down(name);
    await this.frames();
    await this.page.keyboard.up(name);
    await this.frames();
  }

  async tapSprite(id) {
    const at = await this.sprite(id);
    assert(at, `sprite ${id} is not on the screen`);
    await this.tap(at[0], at[1]);
  }

  // A drag at a player's pace: each step gets a frame or two of its own, so
  // the press is seen where it happened and the last move before the release.
  async drag(x0, y0, x1, y1, steps = 5) {
    const [px0, py0] = await this.toPage(x0, y0);
    const [px1, py1] = await this.toPage(x1, y1);
    if (this.touch)
      await this.page.touchscreen.touchStart(px0, py0);
    else {
      await this.page.mouse.move(px0, py0);
      await this.page.mouse.down();
    }
    await this.frames();
    for (let k = 1; k <= steps; ++k) {
      const x = px0 + (px1 - px0) * k / steps, y = py0 + (py1 - py0) * k / steps;
      if (this.touch)
        await this.page.touchscreen.touchMove(x, y);
      else
        await this.page.mouse.move(x, y);
      await this.frames();
    }
    await this.frames();
    if (this.touch)
      await this.page.touchscreen.touchEnd();
    else
      await this.page.mouse.up();
    await this.frames();
  }

  // Drags vertex i by (dx, dy), or with away false by that much towards the
  // middle of the screen, so that the play area's edge does not stop it.
  // Answers where it was, where it is now and the move asked for.
  async nudge(i, dx, dy, away = false) {
    const before = await this.vertex(i);
    if (!away) {
      dx = before[0] < 120 ? Math.abs(dx) : -Math.abs(dx);
      dy = before[1] < 160 ? Math.abs(dy) : -Math.abs(dy);
    }
    await this.drag(before[0], before[1], before[0] + dx, before[1] + dy);
    const after = await this.vertex(i);
    return [before, after, after[0] === before[0] + dx && after[1] === before[1] + dy];
  }

  // Brings every creature home, highest index first (of two creatures on
  // one spot the lower index is picked), until the level ends.
  async solve() {
    for (let round = 0; round < 60; ++round) {
      if (!(await this.probe('level_clock_runs')))
        return;
      const n = await this.probe('vertex_count');
      let moved = false;
      for (let i = n - 1; i >= 0; --i) {
        const [x, y] = await this.vertex(i);
        const [hx, hy] = await this.home(i);
        if (x !== hx || y !== hy) {
          await this.drag(x, y, hx, hy);
          moved = true;
          break;
        }
      }
      if (!moved)
        await sleep(100);
    }
    throw new Error('the level did not end with every creature home');
  }

  // Number of pixels of the canvas that differ from the reference picture,
  // polled until none does or the time is up.
  async matches(reference, timeout = 5000) {
    const deadline = Date.now() + timeout;
    let differing = -1;
    while (Date.now() < deadline) {
      differing = await this.page.evaluate(async (src) => {
        const image = new Image();
        image.src = src;
        await image.decode();
        const work = document.createElement('canvas');
        work.width = 240;
        work.height = 320;
        const context = work.getContext('2d', {willReadFrequently: true});
        context.drawImage(image, 0, 0);
        const want = context.getImageData(0, 0, 240, 320).data;
        context.drawImage(document.getElementById('screen'), 0, 0);
        const got = context.getImageData(0, 0, 240, 320).data;
        let count = 0;
        for (let i = 0; i < want.length; i += 4) {
          if (want[i] !== got[i] || want[i + 1] !== got[i + 1] || want[i + 2] !== got[i + 2])
            ++count;
        }
        return count;
      }, `/ref/${reference}.png`);
      if (differing === 0)
        return;
      await sleep(50);
    }
    throw new Error(`${differing} of 76800 pixels differ from the desktop's ${reference}.png`);
  }

  async shot(name) {
    if (shotsDir)
      await this.page.screenshot({path: path.join(shotsDir, name + '.png')});
  }

  // To a row of the menu, from the title (a tap on it first) or the menu.
  async menuRow(row) {
    const onTitle = await this.until(() => {
      const size = (id) => Module._zf_probe_sprite_size(id);
      const opacity = (id) => Module._zf_probe_sprite_opacity(id);
      if (size(2049) === (240 | (125 << 16)) && opacity(2049) === 32 && Module._zf_probe_compose() === 0)
        return 'title';
      if (size(2100) === (217 | (22 << 16)) && opacity(2100) === 32)
        return 'menu';
      return false;
    }, 'the title or the menu');
    if ((await onTitle.jsonValue()) === 'title') {
      await this.tap(120, 200);
      await this.menuWaiting();
    }
    await this.tapSprite(SPRITE_MENU_BASE + row);
  }

  // Leaves the level with the close button; answers when the title is back.
  async leaveLevel() {
    await this.tap(CLOSE[0], CLOSE[1]);
  }
}

// ---------------------------------------------------------------- the run

const server = await serve();
const origin = `http://127.0.0.1:${server.address().port}/`;
const profileDir = fs.mkdtempSync(path.join(os.tmpdir(), 'zf-chromium-'));
if (shotsDir)
  fs.mkdirSync(shotsDir, {recursive: true});

const browser = await puppeteer.launch({
  executablePath: CHROMIUM,
  headless: true,
  userDataDir: profileDir,
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
    '--no-first-run', '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
    '--disable-backgrounding-occluded-windows', '--disable-dev-shm-usage'],
});

let firstFrameMs = null;
try {
  const page = await browser.newPage();
  await page.setViewport({width: 800, height: 800});
  const game = new Game(page, false);

  await check('title: the page title, and the first frame pixel for pixel the desktop\'s', async () => {
    await game.open(origin);
    assert(await page.title() === 'Zembrolfink', `the page's title is "${await page.title()}"`);
    await game.titleWaiting();
    firstFrameMs = await page.evaluate(() => Module.zfFirstFrameMs);
    await game.matches('title');
    await game.shot('desktop_title');
    return `first frame ${Math.round(firstFrameMs)} ms after the page began loading`;
  });

  await check('page: canvas centred at a whole scale, nothing scrolls', async () => {
    const box = await page.evaluate(() => {
      const b = document.getElementById('screen').getBoundingClientRect();
      const s = document.scrollingElement;
      return {left: b.left, top: b.top, width: b.width, height: b.height, scrollW: s.scrollWidth,
        scrollH: s.scrollHeight, touchAction: getComputedStyle(document.getElementById('screen')).touchAction,
        rendering: getComputedStyle(document.getElementById('screen')).imageRendering,
        manifest: !!document.querySelector('link[rel=manifest]'), icon: !!document.querySelector('link[rel=icon]')};
    });
    assert(box.width === 480 && box.height === 640, `shown at ${box.width} x ${box.height}, not 480 x 640`);
    assert(box.left === 160 && box.top === 80, `placed at ${box.left}, ${box.top}, not centred`);
    assert(box.scrollW <= 800 && box.scrollH <= 800, 'the page scrolls');
    assert(box.touchAction === 'none', `touch-action is ${box.touchAction}`);
    assert(box.rendering === 'pixelated', `image-rendering is ${box.rendering}`);
    assert(box.manifest && box.icon, 'no manifest or no icon');
  });

  await check('menu: a mouse tap on the title, the menu pixel for pixel the desktop\'s', async () => {
    await game.tap(120, 200);
    await game.menuWaiting();
    await game.matches('menu');
  });

  await check('classic play with the mouse: a drag moves a creature, then the level is solved', async () => {
    await game.tapSprite(SPRITE_MENU_BASE + MODES.classic);
    await game.inPlay();
    const n = await game.probe('vertex_count');
    assert(n === 6, `level 1 has ${n} creatures`);
    const [before, after, exact] = await game.nudge(0, 9, 7);
    assert(exact, `creature 0 went from ${before} to ${after}, not by 9 and 7`);
    await game.shot('desktop_dragged');
    await game.solve();
    await game.spriteIs(SPRITE_POPUP, 224, 76, 32);
    await game.shot('desktop_solved');
    await page.evaluate(() => Module.zfSavesKept());
  });

  await check('saves: after a reload the menu has HISCORES and classic play its level chooser', async () => {
    await page.reload({waitUntil: 'load'});
    await game.until(() => window.Module && Module.calledRun, 'the game to start again');
    await game.titleWaiting();
    await game.tap(120, 200);
    await game.menuWaiting();
    await game.matches('menu_hiscores');
    await game.tapSprite(SPRITE_MENU_BASE + MODES.classic);
    await game.spriteIs(SPRITE_CHOOSER_CAPTION, 119, 28, 32);
    await game.shot('desktop_chooser');
    await game.tap(CLOSE[0], CLOSE[1]);
    await game.menuWaiting();
  });

  await check('funky shapes: a shape picked, a creature dragged, the level left', async () => {
    await game.menuRow(MODES.funkyShapes);
    await game.spriteIs(SPRITE_SELECT_CAPTION, 207, 23, 32);
    await game.until(() => Module._zf_probe_compose() === 0, 'the shapes to wait for a tap');
    await game.tap(120, 87);   // the wave
    await game.inPlay();
    const [before, after, exact] = await game.nudge(2, 6, 5);
    assert(exact, `creature 2 went from ${before} to ${after}, not by 6 and 5`);
    // Carried off the canvas to the left and let go there: it stops at the
    // play area's edge, and the release still counts, so the next drag works.
    const [, edge] = await game.nudge(1, -300, 0, true);
    assert(edge[0] === 8, `creature 1 carried off the canvas stands at x ${edge[0]}, not at the edge`);
    assert(!(await game.probe('pointer_down')), 'the drag did not end off the canvas');
    const [, , again] = await game.nudge(3, 7, 7);
    assert(again, 'a drag after one that ended off the canvas failed');
    await game.shot('desktop_funky');
    await game.leaveLevel();
    await game.titleWaiting();
  });

  await check('sudden death: the top ten, a level, its score', async () => {
    await game.menuRow(MODES.suddenDeath);
    await game.until(() => Module._zf_probe_sprite_size(2120) === (181 | (23 << 16)) &&
      Module._zf_probe_compose() === 0, 'the top scores');
    await game.tap(120, 160);
    await game.inPlay();
    await game.solve();
    await game.inPlay();
    const [before, after, exact] = await game.nudge(1, 5, 8);
    assert(exact, `creature 1 went from ${before} to ${after}, not by 5 and 8`);
    await game.leaveLevel();
    await game.until(() => Module._zf_probe_sprite_size(2121) !== 0 && Module._zf_probe_compose() === 0,
      'YOUR SCORE on the top scores');
    await game.shot('desktop_top_scores');
    await game.tap(120, 160);
    await game.titleWaiting();
  });

  await check('the end: Escape during play gives the closing screen, and Play again the title', async () => {
    await game.menuRow(MODES.babyBrains);
    await game.inPlay();
    await game.nudge(0, 4, 4);
    // Return pauses and Return goes on, as on the desktop.
    await game.key('Enter');
    // Paused once the clock stops and the caption is fully up; only then
    // does the pause screen listen for the key that ends it.
    await game.until(() => !Module._zf_probe_level_clock_runs() &&
      Module._zf_probe_sprite_size(2111) === (174 | (43 << 16)) && Module._zf_probe_sprite_opacity(2111) === 32,
    'the pause screen');
    await game.shot('desktop_paused');
    await game.key('Enter');
    await game.inPlay();
    // The game ends on the key going down; no frame follows.
    await page.keyboard.down('Escape');
    await game.until(() => document.getElementById('ended').classList.contains('shown'), 'the closing screen');
    await page.keyboard.up('Escape');
    await game.shot('desktop_ended');
    await Promise.all([page.waitForNavigation({waitUntil: 'load'}), page.click('#again')]);
    await game.until(() => window.Module && Module.calledRun, 'the game to start again');
    await game.titleWaiting();
  });

  await check('the end: the close button on the title ends the game too', async () => {
    // A plain click: no frame follows the one that ends the game.
    const [cx, cy] = await game.toPage(CLOSE[0], CLOSE[1]);
    await page.mouse.click(cx, cy, {delay: 100});
    await game.until(() => document.getElementById('ended').classList.contains('shown'), 'the closing screen');
  });

  const phone = await browser.newPage();
  await phone.setViewport({width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 1});
  const finger = new Game(phone, true);

  await check('phone: 390 x 844 shows the whole canvas as large as it fits, without scrolling', async () => {
    await finger.open(origin);
    await finger.titleWaiting();
    const box = await phone.evaluate(() => {
      const b = document.getElementById('screen').getBoundingClientRect();
      window.scrollTo(0, 500);
      const s = document.scrollingElement;
      return {left: b.left, top: b.top, right: b.right, bottom: b.bottom, width: b.width, scrollY: window.scrollY,
        scrollW: s.scrollWidth, scrollH: s.scrollHeight, w: innerWidth, h: innerHeight};
    });
    assert(box.w === 390 && box.h === 844, `the viewport is ${box.w} x ${box.h}`);
    assert(box.left >= 0 && box.top >= 0 && box.right <= 390 && box.bottom <= 844, 'the canvas does not fit');
    assert(Math.abs(box.width - 390) < 0.5, `the canvas is ${box.width} wide, not the viewport's 390`);
    assert(box.scrollY === 0 && box.scrollW <= 390 && box.scrollH <= 844, 'the page scrolls');
    await finger.matches('title');
    await finger.shot('phone_title');
    // On a screen of three device pixels to the page's one, whole device
    // pixels: four per game pixel, 960 of the 1170 across.
    await phone.setViewport({width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 3});
    await phone.reload({waitUntil: 'load'});
    await finger.until(() => document.getElementById('screen').getBoundingClientRect().width === 320,
      'the canvas at 4 device pixels a pixel', 5000);
    await phone.setViewport({width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 1});
    await phone.reload({waitUntil: 'load'});
    await finger.until(() => window.Module && Module.calledRun, 'the game to start again');
  });

  await check('phone: time attack by touch, a finger drags a creature, a second finger moves nothing', async () => {
    await finger.menuRow(MODES.timeAttack);
    await finger.inPlay();
    const [before, after, exact] = await finger.nudge(3, 10, 6);
    assert(exact, `creature 3 went from ${before} to ${after}, not by 10 and 6`);
    await finger.shot('phone_dragged');

    // A second finger is no second pointer: while the first one holds a
    // creature, the second one moves nothing, and its lifting ends nothing.
    const cdp = await phone.createCDPSession();
    const touches = (type, points) => cdp.send('Input.dispatchTouchEvent', {type, touchPoints: points});
    const [x0, y0] = await finger.vertex(2);
    const step = [x0 < 120 ? 8 : -8, y0 < 160 ? 8 : -8];
    const [fx, fy] = await finger.toPage(x0, y0);
    const [sx, sy] = await finger.toPage(120, 300);
    await touches('touchStart', [{x: fx, y: fy, id: 1}]);
    await finger.frames();
    await touches('touchStart', [{x: fx, y: fy, id: 1}, {x: sx, y: sy, id: 2}]);
    await finger.frames();
    await touches('touchMove', [{x: fx, y: fy, id: 1}, {x: sx - 60, y: sy - 80, id: 2}]);
    await finger.frames();
    await touches('touchEnd', [{x: sx - 60, y: sy - 80, id: 2}]);   // the points lifted
    await finger.frames();
    const held = await finger.vertex(2);
    const scale = (await finger.toPage(1, 0))[0] - (await finger.toPage(0, 0))[0];
    await touches('touchMove', [{x: fx + step[0] * scale, y: fy + step[1] * scale, id: 1}]);
    await finger.frames();
    await touches('touchEnd', []);
    await finger.frames();
    const moved = await finger.vertex(2);
    assert(held[0] === x0 && held[1] === y0, `the second finger moved creature 2 from ${[x0, y0]} to ${held}`);
    assert(Math.abs(moved[0] - (x0 + step[0])) <= 1 && Math.abs(moved[1] - (y0 + step[1])) <= 1,
      `the first finger moved creature 2 from ${[x0, y0]} to ${moved}, not by ${step}`);
    await finger.leaveLevel();
    await finger.titleWaiting();
  });

  await check('phone: the saves of the desktop tab are there, and classic play goes on by touch', async () => {
    await finger.menuRow(MODES.classic);
    await finger.spriteIs(SPRITE_CHOOSER_CAPTION, 119, 28, 32);
    await finger.shot('phone_chooser');
  });

  await check('offline: installable, and once loaded it starts again without the network', async () => {
    const cdp = await phone.createCDPSession();
    const manifest = await cdp.send('Page.getAppManifest');
    assert(manifest.errors.length === 0, `manifest: ${JSON.stringify(manifest.errors)}`);
    const installable = await cdp.send('Page.getInstallabilityErrors');
    assert(installable.installabilityErrors.length === 0,
      `not installable: ${installable.installabilityErrors.map((e) => e.errorId).join(', ')}`);
    // Ready once installed, that is once its copy of every file is made.
    await phone.evaluate(() => navigator.serviceWorker.ready.then(() => true));
    await phone.setOfflineMode(true);
    try {
      await phone.reload({waitUntil: 'load'});
      await finger.until(() => window.Module && Module.calledRun, 'the game to start offline');
      await finger.titleWaiting();
      await finger.matches('title');
    } finally {
      await phone.setOfflineMode(false);
    }
  });

  await check('no errors or warnings on either page', async () => {
    for (const g of [game, finger])
      assert(g.errors.length === 0, g.errors.join('; '));
  });
} catch (error) {
  failed += 1;
  console.log(`FAIL the run stopped: ${error && error.stack ? error.stack : error}`);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profileDir, {recursive: true, force: true});
}

if (firstFrameMs !== null)
  console.log(`first title frame: ${Math.round(firstFrameMs)} ms after the page began loading`);
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
