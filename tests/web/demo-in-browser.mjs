// Plays the demo's first scenes in the web page in headless Chromium and
// compares the page's canvas with the native headless player's frames at
// the same points: the same pixels, except inside the blinking key-wait
// mark's box (derived from the native shots, see frames.mjs).
//
//   node --experimental-websocket tests/web/demo-in-browser.mjs \
//        --frames DIR [--site DIR] [--timeout SECONDS] [--max-mask PIXELS]
//
// DIR holds the native shots written by tests/web/demo-frames.events. For
// each step the test waits until the canvas shows the expected frame, then
// does the step's input, as a player would. On a mismatch it writes
// NAME.browser.png (the page's last frame) and NAME.diff.png beside the
// expected frame and exits with status 1.
import fs from 'node:fs';
import path from 'node:path';
import { serveStatic } from './serve.mjs';
import { launchChromium } from './browser.mjs';
import { compare, diffImage, formatBox, loadExpected, writePng } from './frames.mjs';

const SPACE = { key: ' ', code: 'Space', keyCode: 32, text: ' ' };

// The walk: the frame the page must show, then the input given there.
const STEPS = [
  { frame: '01-first-night', input: { key: SPACE }, does: 'press space' },
  { frame: '02-the-lamp', input: { key: SPACE }, does: 'press space' },
  { frame: '03-choice', input: { click: [320, 160] }, does: 'click the first choice at 320,160' },
  { frame: '04-the-cape' },
];

const sleep = ms => new Promise(done => setTimeout(done, ms));

function withTimeout(promise, ms, what) {
  let timer;
  return Promise.race([
    promise.finally(() => clearTimeout(timer)),
    new Promise((_, reject) => { timer = setTimeout(() => reject(new Error(`${what}: no answer within ${ms} ms (is the page blocking the browser?)`)), ms); }),
  ]);
}

function parseArgs(argv) {
  const options = { site: 'build-web/site', frames: null, timeout: 60, maxMask: 64 };
  for (let i = 0; i < argv.length; i++) {
    const value = () => {
      if (i + 1 >= argv.length) throw new Error(`${argv[i]} needs a value`);
      return argv[++i];
    };
    switch (argv[i]) {
      case '--site': options.site = value(); break;
      case '--frames': options.frames = value(); break;
      case '--timeout': options.timeout = Number(value()); break;
      case '--max-mask': options.maxMask = Number(value()); break;
      default: throw new Error(`unknown argument ${argv[i]}`);
    }
  }
  if (!options.frames) throw new Error('--frames DIR is required');
  if (!(options.timeout > 0) || !(options.maxMask >= 0)) throw new Error('bad --timeout or --max-mask');
  return options;
}

// The canvas as { width, height, data } plus the page's status; null while
// there is no canvas of a size yet.
const READ_CANVAS = `(() => {
  const status = window.pelto5Status === undefined ? 'undefined' : String(window.pelto5Status);
  const c = document.getElementById('screen');
  if (!c || !c.width || !c.height) return { status, image: null };
  const g = c.getContext('2d');
  if (!g) return { status, image: null, note: 'the canvas has no 2d context' };
  const d = g.getImageData(0, 0, c.width, c.height).data;
  let s = '';
  for (let i = 0; i < d.length; i += 0x8000) s += String.fromCharCode.apply(null, d.subarray(i, i + 0x8000));
  return { status, image: { width: c.width, height: c.height, data: btoa(s) } };
})()`;

// Where on the page (CSS pixels of the viewport) the centre of the canvas's
// pixel x,y is, whatever the canvas's CSS size, border and padding.
const CANVAS_GEOMETRY = `(() => {
  const c = document.getElementById('screen');
  const r = c.getBoundingClientRect(), s = getComputedStyle(c);
  const pl = parseFloat(s.paddingLeft) || 0, pt = parseFloat(s.paddingTop) || 0;
  const pr = parseFloat(s.paddingRight) || 0, pb = parseFloat(s.paddingBottom) || 0;
  return { left: r.left + c.clientLeft + pl, top: r.top + c.clientTop + pt,
           width: c.clientWidth - pl - pr, height: c.clientHeight - pt - pb,
           pixelsX: c.width, pixelsY: c.height };
})()`;

async function readCanvas(page) {
  const value = await withTimeout(page.evaluate(READ_CANVAS), 15000, 'reading the canvas');
  if (!value.image) return { status: value.status, image: null, note: value.note };
  const { width, height, data } = value.image;
  return { status: value.status, image: { width, height, data: Buffer.from(data, 'base64') } };
}

async function pagePoint(page, x, y) {
  const g = await withTimeout(page.evaluate(CANVAS_GEOMETRY), 15000, 'measuring the canvas');
  return { x: g.left + (x + 0.5) * g.width / g.pixelsX, y: g.top + (y + 0.5) * g.height / g.pixelsY };
}

// Gives the step's input the way a person does: a key held briefly; the
// pointer moved onto the spot, a moment, then a press and a release.
async function giveInput(page, input) {
  if (input.key) {
    await page.key(input.key, 100);
  } else if (input.click) {
    const p = await pagePoint(page, ...input.click);
    await page.mouseMove(p.x, p.y);
    await sleep(400);
    await page.click(p.x, p.y, 100);
  }
}

// Polls the canvas until it equals the expected frame outside the mask.
// Resolves to null on success, else to a description of the failure.
async function waitForFrame(page, expected, timeoutMs) {
  const deadline = Date.now() + timeoutMs;
  let last = null;
  for (;;) {
    const shown = await readCanvas(page);
    if (shown.status.startsWith('error'))
      return { why: `the page reports "${shown.status}"`, last: shown.image ?? last };
    if (shown.image) {
      last = shown.image;
      const d = compare(expected.frame, shown.image, expected.mask);
      if (d.sameSize && d.count === 0) return null;
      if (Date.now() > deadline) {
        if (!d.sameSize)
          return { why: `the canvas is ${shown.image.width}x${shown.image.height}, the frame ` +
                        `${expected.frame.width}x${expected.frame.height} (status "${shown.status}")`, last: null };
        return { why: `${d.count} pixels differ outside the mask, in ${formatBox(d.box)} ` +
                      `(status "${shown.status}")`, last };
      }
    } else if (Date.now() > deadline) {
      return { why: `no canvas#screen with a size appeared (status "${shown.status}"` +
                    `${shown.note ? ', ' + shown.note : ''})`, last: null };
    }
    if (shown.status === 'ended')
      return { why: 'the engine ended before the frame appeared', last };
    await sleep(100);
  }
}

function saveFailure(expected, image) {
  if (!image) return;
  const base = expected.file.replace(/@\d+\.png$/, '');
  writePng(`${base}.browser.png`, image);
  console.error(`  the page's frame: ${base}.browser.png`);
  if (image.width === expected.frame.width && image.height === expected.frame.height) {
    writePng(`${base}.diff.png`, diffImage(expected.frame, image, expected.mask));
    console.error(`  the difference:   ${base}.diff.png (red: differs, yellow: differs inside the mask, blue: the mask)`);
  }
}

// Polls expression in the page until check(value) holds; the last value,
// or throws after timeoutMs.
async function waitInPage(page, expression, check, timeoutMs, what) {
  const deadline = Date.now() + timeoutMs;
  let value;
  for (;;) {
    value = await withTimeout(page.evaluate(expression), 15000, what);
    if (check(value)) return value;
    if (Date.now() > deadline) throw new Error(`${what}: still ${JSON.stringify(value)} after ${timeoutMs} ms`);
    await sleep(100);
  }
}

// What the player wrote into the demo's save folder, as the page's file
// system has it (null before the folder exists).
const SAVED_SCREENSHOTS = `(() => {
  try { return FS.readdir('/saves/demo').filter(n => n.startsWith('screenshot-')); } catch (e) { return null; }
})()`;

// A file the player writes is kept in the browser's storage and is there
// again after the page is reloaded: F12 writes a screenshot into the save
// folder through the same path as a save.
async function checkSavesSurviveReload(page, url, timeoutMs) {
  const before = await waitInPage(page, SAVED_SCREENSHOTS, v => Array.isArray(v), timeoutMs, 'the save folder');
  await page.key({ key: 'F12', code: 'F12', keyCode: 123 }, 100);
  const after = await waitInPage(page, SAVED_SCREENSHOTS, v => v.length > before.length, timeoutMs,
                                 'the screenshot F12 writes');
  const written = after.filter(n => !before.includes(n));
  await waitInPage(page, 'window.pelto5Stored || 0', v => v > 0, timeoutMs, 'storing the save folder');
  await page.navigate(url);
  await waitInPage(page, 'String(window.pelto5Status)', v => v === 'running' || v.startsWith('error'),
                   timeoutMs, 'the reloaded page');
  const reloaded = await waitInPage(page, SAVED_SCREENSHOTS, v => Array.isArray(v), timeoutMs,
                                    'the save folder after the reload');
  const lost = written.filter(n => !reloaded.includes(n));
  if (lost.length) throw new Error(`${lost.join(', ')} did not survive the reload (found: ${reloaded.join(', ')})`);
  console.log(`ok ${written.join(', ')} written by F12 is in the save folder after a reload`);
}

async function run(options, cleanups) {
  const expected = STEPS.map(step => loadExpected(options.frames, step.frame, options.maxMask));
  for (const e of expected)
    console.log(`${e.name}: ${e.frame.width}x${e.frame.height}, mask ${formatBox(e.mask)} ` +
                `(from shots at ${e.series[0]}..${e.series[e.series.length - 1]} ms)`);

  if (!fs.existsSync(path.join(options.site, 'index.html')))
    throw new Error(`${options.site} has no index.html`);
  const server = await serveStatic(options.site, 0);
  cleanups.push(() => server.close());
  const browser = await launchChromium();
  cleanups.push(() => browser.close());
  const page = await browser.newPage();
  console.log(`opening ${server.url} in headless Chromium`);
  await page.navigate(server.url);

  const started = Date.now();
  for (let i = 0; i < STEPS.length; i++) {
    const step = STEPS[i], e = expected[i];
    const failure = await waitForFrame(page, e, options.timeout * 1000);
    if (failure) {
      console.error(`FAIL ${e.name}: ${failure.why}`);
      saveFailure(e, failure.last);
      const tail = page.consoleLines.slice(-20);
      if (tail.length) console.error(`  the page's last console lines:\n    ${tail.join('\n    ')}`);
      return 1;
    }
    const seconds = ((Date.now() - started) / 1000).toFixed(1);
    console.log(`ok ${e.name} at ${seconds} s${step.does ? `; ${step.does}` : ''}`);
    if (step.input) await giveInput(page, step.input);
  }
  await checkSavesSurviveReload(page, server.url, options.timeout * 1000);
  console.log('PASS: the page showed the native frames through the first choice, and keeps saves');
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
  // A last guard against a hang anywhere: every step's wait plus start-up.
  const watchdog = setTimeout(() => {
    console.error('FAIL: the test as a whole took too long');
    cleanUp().finally(() => process.exit(1));
  }, ((STEPS.length + 5) * options.timeout + 120) * 1000);
  status = await run(options, cleanups);
  clearTimeout(watchdog);
} catch (err) {
  console.error(`FAIL: ${err.message}`);
}
await cleanUp();
process.exit(status);
