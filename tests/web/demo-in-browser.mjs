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
import { formatBox, loadExpected } from './frames.mjs';
import { pagePoint, saveFailure, sleep, waitForFrame, withTimeout } from './canvas.mjs';

const SPACE = { key: ' ', code: 'Space', keyCode: 32, text: ' ' };

// The walk: the frame the page must show, then the input given there.
const STEPS = [
  { frame: '01-first-night', input: { key: SPACE }, does: 'press space' },
  { frame: '02-the-lamp', input: { key: SPACE }, does: 'press space' },
  { frame: '03-choice', input: { click: [320, 160] }, does: 'click the first choice at 320,160' },
  { frame: '04-the-cape' },
];

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
