// The web page on a phone, in headless Chromium with touch emulation:
//   portrait (390x844): taps play the demo to the native headless player's
//     frames, a two-finger tap opens the message history and a long press
//     (a right click) closes it; a touch on the reader bar does not reach
//     the game; the picture fills the width with its aspect kept;
//   landscape (844x390): a drag shows the reader bar beside the picture
//     and clicks nothing; the bar's skip button runs to the choice, its
//     history button opens the history and its menu button (a right click)
//     closes it; turning the phone lays the page out again;
//   offline: the page, once its files are kept, reloads and plays with the
//     server stopped;
//   republishing: new files under a new digest replace the old cache;
//   a refused cache: with a quota too small for the files, the page plays
//     from the network and says offline play is only partial.
//
//   node --experimental-websocket tests/web/phone-in-browser.mjs \
//        --frames DIR [--site DIR] [--timeout SECONDS]
//
// DIR holds the native shots of tests/web/demo-frames.events.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { serveStatic } from './serve.mjs';
import { launchChromium } from './browser.mjs';
import { loadExpected } from './frames.mjs';
import { pagePoint, saveFailure, sleep, waitForFrame } from './canvas.mjs';
import { waitInPage } from './game-site.mjs';

function parseArgs(argv) {
  const options = { site: 'build-web/site', frames: null, timeout: 60 };
  for (let i = 0; i < argv.length; i++) {
    const value = () => {
      if (i + 1 >= argv.length) throw new Error(`${argv[i]} needs a value`);
      return argv[++i];
    };
    switch (argv[i]) {
      case '--site': options.site = value(); break;
      case '--frames': options.frames = value(); break;
      case '--timeout': options.timeout = Number(value()); break;
      default: throw new Error(`unknown argument ${argv[i]}`);
    }
  }
  if (!options.frames) throw new Error('--frames DIR is required');
  if (!(options.timeout > 0)) throw new Error('bad --timeout');
  return options;
}

// The page's layout: the viewport, the canvas's and the reader bar's boxes.
const LAYOUT = `(() => {
  const box = (e) => { if (!e || e.hidden) return null; const r = e.getBoundingClientRect();
    return { left: r.left, top: r.top, right: r.right, bottom: r.bottom }; };
  const button = (name) => box(document.querySelector('#reader-bar button.' + name));
  return { width: innerWidth, height: innerHeight, canvas: box(document.getElementById('screen')),
           bar: box(document.getElementById('reader-bar')), pixels: [screen.width, screen.height],
           skip: button('skip'), history: button('history'), menu: button('menu'), fold: button('fold'),
           folded: document.getElementById('reader-bar').classList.contains('folded'),
           skipPressed: document.querySelector('#reader-bar button.skip').getAttribute('aria-pressed') };
})()`;

const unionBox = (a, b) => (!a ? b : !b ? a : { left: Math.min(a.left, b.left), top: Math.min(a.top, b.top),
                                                right: Math.max(a.right, b.right), bottom: Math.max(a.bottom, b.bottom) });
const centreOf = (box) => [(box.left + box.right) / 2, (box.top + box.bottom) / 2];
const overlaps = (a, b) => a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;

class Walk {
  constructor(page, frames, timeoutMs) {
    this.page = page;
    this.frames = frames;
    this.timeoutMs = timeoutMs;
  }

  // Waits until the canvas shows frame name; throws with the picture left
  // beside the expected one when it does not.
  async expect(name, what) {
    const failure = await waitForFrame(this.page, this.frames[name], this.timeoutMs);
    if (failure) {
      saveFailure(this.frames[name], failure.last);
      const tail = this.page.consoleLines.slice(-10);
      throw new Error(`${what}: ${failure.why}${tail.length ? `\n    ${tail.join('\n    ')}` : ''}`);
    }
    console.log(`ok ${what}`);
  }

  // The page point over the picture pixel x,y.
  async at(x, y) {
    const p = await pagePoint(this.page, x, y);
    return [p.x, p.y];
  }

  layout() { return this.page.evaluate(LAYOUT); }
}

// The picture fills one side of the viewport with its aspect kept, and the
// reader bar, when shown, keeps off it.
function checkLayout(layout, what) {
  const c = layout.canvas;
  const w = c.right - c.left, h = c.bottom - c.top;
  if (Math.abs(w / h - 640 / 480) > 0.01) throw new Error(`${what}: the picture is ${w}x${h}, not 4:3`);
  if (c.left < -0.5 || c.top < -0.5 || c.right > layout.width + 0.5 || c.bottom > layout.height + 0.5)
    throw new Error(`${what}: the picture ${JSON.stringify(c)} leaves the ${layout.width}x${layout.height} viewport`);
  const room = Math.min(layout.width / w, layout.height / h);
  if (layout.width - w > 2 && layout.height - h > 80)
    throw new Error(`${what}: the ${w}x${h} picture fills neither side of the ${layout.width}x${layout.height} viewport (x${room.toFixed(2)} would fit)`);
  if (layout.bar && overlaps(layout.bar, c))
    throw new Error(`${what}: the reader bar ${JSON.stringify(layout.bar)} covers the picture ${JSON.stringify(c)}`);
  console.log(`ok ${what}: the picture is ${Math.round(w)}x${Math.round(h)}${layout.bar ? ', the reader bar clear of it' : ''}`);
}

async function portrait(walk, url) {
  const page = walk.page;
  await page.emulatePhone(390, 844);
  await page.navigate(url);
  await walk.expect('01-first-night', 'portrait: the first scene');
  checkLayout(await walk.layout(), 'portrait');
  // Taps in the message window, away from the choices the pointer would
  // light up.
  await page.touch([await walk.at(320, 420)]);
  await walk.expect('02-the-lamp', 'a tap ends the key wait');
  await page.touch([await walk.at(320, 420)]);
  await walk.expect('03-choice', 'a second tap');
  await page.touch([await walk.at(320, 160)]);
  await walk.expect('04-the-cape', 'a tap on the first choice takes it');
  const layout = await walk.layout();
  if (!layout.bar) throw new Error('the reader bar did not appear after the first touch');
  checkLayout(layout, 'portrait with the reader bar');
  await page.touch([await walk.at(250, 240), await walk.at(390, 240)]);
  await walk.expect('05-history', 'a two-finger tap opens the message history');
  await page.touch([await walk.at(320, 240)], 800);
  await walk.expect('06-history-closed', 'a long press (a right click) closes it');
  // Taps on the bar's fold button fold the bar and unfold it; the key
  // wait would end if either reached the game.
  await page.touch([centreOf(layout.fold)]);
  if (!(await walk.layout()).folded) throw new Error("the bar's fold button does not fold it");
  await page.touch([centreOf((await walk.layout()).fold)]);
  if ((await walk.layout()).folded) throw new Error("the bar's fold button does not unfold it");
  await sleep(1000);
  await walk.expect('06-history-closed', 'touches on the reader bar do not reach the game');
}

async function landscape(walk, url) {
  const page = walk.page;
  await page.emulatePhone(844, 390);
  await page.navigate(url);
  await walk.expect('01-first-night', 'landscape: the first scene');
  if ((await walk.layout()).bar) throw new Error('the reader bar shows before the page is touched');
  // A drag moves the pointer and clicks nothing: still the first scene.
  await page.touch([await walk.at(40, 460)], 300, await walk.at(120, 460));
  await sleep(1000);
  await walk.expect('01-first-night', 'a drag clicks nothing');
  let layout = await walk.layout();
  if (!layout.bar) throw new Error('the reader bar did not appear after a touch');
  checkLayout(layout, 'landscape with the reader bar');
  await page.touch([centreOf(layout.skip)]);
  await walk.expect('03-choice', "the bar's skip button runs to the choice");
  layout = await walk.layout();
  if (layout.skipPressed !== 'true') throw new Error('the skip button does not show that it is on');
  await page.touch([centreOf(layout.skip)]);
  if ((await walk.layout()).skipPressed !== 'false') throw new Error('the skip button does not turn off');
  await page.touch([await walk.at(320, 160)]);
  await walk.expect('04-the-cape', 'a tap on the first choice');
  await page.touch([centreOf(layout.history)]);
  await walk.expect('05-history', "the bar's history button opens the message history");
  await page.touch([centreOf(layout.menu)]);
  await walk.expect('06-history-closed', "the bar's menu button (a right click) closes it");
  // Turned back to portrait: laid out for the new shape at once.
  await page.emulatePhone(390, 844);
  await sleep(300);
  checkLayout(await walk.layout(), 'turned to portrait');
}

async function offline(walk, server, url) {
  const page = walk.page;
  const state = await waitInPage(page, 'window.pelto5Offline.state', v => v === 'ready' || v === 'complete' ||
                                 v === 'partial' || v.startsWith('failed') || v === 'unsupported',
                                 walk.timeoutMs, 'keeping the files for offline play');
  if (state !== 'ready' && state !== 'complete') throw new Error(`offline play: the page says "${state}"`);
  console.log(`ok the page's files are kept (${state})`);
  await server.close();
  await page.navigate(url);
  await walk.expect('01-first-night', 'with the server stopped the page reloads and shows the first scene');
  await page.touch([await walk.at(320, 420)]);
  await walk.expect('02-the-lamp', 'and plays on');
}

// A republished folder: the worker's digest changes with the files, the
// browser installs the new worker, which keeps the new files under the new
// name and removes the old cache; the next load shows the new files.
async function republished(browser, site, frames, timeoutMs, cleanups) {
  const copy = fs.mkdtempSync(path.join(os.tmpdir(), 'pelto5-republish-'));
  cleanups.push(() => fs.rmSync(copy, { recursive: true, force: true }));
  fs.cpSync(site, copy, { recursive: true });
  const server = await serveStatic(copy, 0);
  cleanups.push(() => server.close());
  const page = await browser.newPage();
  const walk = new Walk(page, frames, timeoutMs);
  await page.navigate(server.url);
  await walk.expect('01-first-night', 'republishing: the first scene');
  await waitInPage(page, 'window.pelto5Offline.state', v => v === 'ready' || v === 'complete', timeoutMs,
                   'republishing: keeping the first files');
  const before = await page.evaluate('caches.keys()');
  if (before.length !== 1) throw new Error(`republishing: caches ${JSON.stringify(before)} before, not one`);
  const worker = path.join(copy, 'pelto5-sw.js');
  const text = fs.readFileSync(worker, 'utf8');
  const version = /const pelto5Version = "([0-9a-f]+)";/.exec(text);
  if (!version || before[0] !== `pelto5-${version[1]}`)
    throw new Error(`republishing: the cache ${before[0]} is not named after the worker's digest`);
  fs.writeFileSync(worker, text.replace(version[0], 'const pelto5Version = "0123456789abcdef";'));
  const index = path.join(copy, 'index.html');
  fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace('<head>', '<head>\n<meta name="pelto5-republished" content="1">'));
  await page.navigate(server.url);
  await waitInPage(page, 'caches.keys().then(k => k.join(" "))', v => v === 'pelto5-0123456789abcdef', timeoutMs,
                   'republishing: the new cache in place of the old');
  await page.navigate(server.url);
  if (!(await page.evaluate('!!document.querySelector("meta[name=pelto5-republished]")')))
    throw new Error('republishing: the reloaded page is the old one');
  await walk.expect('01-first-night', 'republishing: the new files replace the old ones, and the game plays');
}

// A quota far too small for the files: the cache refuses them, the page
// plays from the network all the same.
async function refusedCache(browser, site, frames, timeoutMs, cleanups) {
  const server = await serveStatic(site, 0);
  cleanups.push(() => server.close());
  const page = await browser.newPage();
  await page.send('Storage.overrideQuotaForOrigin', { origin: server.url.replace(/\/$/, ''), quotaSize: 4096 });
  const walk = new Walk(page, frames, timeoutMs);
  await page.emulatePhone(390, 844);
  await page.navigate(server.url);
  await walk.expect('01-first-night', 'a refused cache: the first scene');
  const state = await waitInPage(page, 'window.pelto5Offline.state', v => !['off', 'installing'].includes(v),
                                 timeoutMs, 'the offline state with a refused cache');
  if (state !== 'partial') throw new Error(`a refused cache: the page says "${state}", not "partial"`);
  await page.navigate(server.url);
  await walk.expect('01-first-night', 'a refused cache: the reloaded page');
  await page.touch([await walk.at(320, 420)]);
  await walk.expect('02-the-lamp', 'a refused cache: the page plays from the network');
}

async function run(options, cleanups) {
  if (!fs.existsSync(path.join(options.site, 'index.html')))
    throw new Error(`${options.site} has no index.html`);
  const frames = {};
  for (const name of ['01-first-night', '02-the-lamp', '03-choice', '04-the-cape', '05-history', '06-history-closed'])
    frames[name] = loadExpected(options.frames, name, 64);
  // The history dims a copy of the picture as it was when it opened, with
  // the key-wait mark in whichever phase of its blinking it had then.
  frames['05-history'].mask = unionBox(frames['05-history'].mask, frames['04-the-cape'].mask);
  const browser = await launchChromium();
  cleanups.push(() => browser.close());
  const timeoutMs = options.timeout * 1000;

  const server = await serveStatic(options.site, 0);
  cleanups.push(() => server.close());
  const walk = new Walk(await browser.newPage(), frames, timeoutMs);
  await portrait(walk, server.url);
  await landscape(walk, server.url);
  await offline(walk, server, server.url);
  await republished(browser, options.site, frames, timeoutMs, cleanups);
  await refusedCache(browser, options.site, frames, timeoutMs, cleanups);
  console.log('PASS: touch, the reader bar, the layout and offline play on a phone');
  return 0;
}

const cleanups = [];
async function cleanUp() {
  while (cleanups.length) {
    try { await cleanups.pop()(); } catch { /* keep cleaning */ }
  }
}
for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP']) {
  process.on(signal, () => { cleanUp().finally(() => process.exit(1)); });
}

let status = 1;
try {
  const options = parseArgs(process.argv.slice(2));
  const watchdog = setTimeout(() => {
    console.error('FAIL: the test as a whole took too long');
    cleanUp().finally(() => process.exit(1));
  }, (12 * options.timeout + 120) * 1000);
  status = await run(options, cleanups);
  clearTimeout(watchdog);
} catch (err) {
  console.error(`FAIL: ${err.message}`);
}
await cleanUp();
process.exit(status);
