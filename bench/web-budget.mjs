// The web page's loading budget, in headless Chromium over localhost: how
// long after the page is opened the demo's first scene is on screen (its
// first message's text drawn, so its face is loaded), and how many bytes
// were transferred by then, against the targets (2 s, 3 MB), as ratios.
// Also the whole folder's size. Each figure is the median of a few fresh
// loads (a new browser profile each time: nothing cached).
//
//   node --experimental-websocket bench/web-budget.mjs [--site DIR] [--runs N]
import fs from 'node:fs';
import path from 'node:path';
import { serveStatic } from '../tests/web/serve.mjs';
import { launchChromium } from '../tests/web/browser.mjs';

const targetMs = 2000;
const targetBytes = 3 * 1024 * 1024;
const sleep = ms => new Promise(done => setTimeout(done, ms));

// The first message of the demo is white text inside its window (picture
// x 50..590, y 350..450); it is on screen once enough of it is drawn.
// Answers the page's clock then, and the bytes its requests had
// transferred (the page itself, the scripts, the wasm, the game, the fonts).
const PROBE = `(() => {
  const c = document.getElementById('screen');
  if (!c || c.width !== 640) return null;
  const d = c.getContext('2d').getImageData(50, 350, 540, 100).data;
  let white = 0;
  for (let i = 0; i < d.length; i += 4) if (d[i] === 255 && d[i + 1] === 255 && d[i + 2] === 255) white++;
  if (white < 40) return null;
  const now = performance.now();
  const entries = performance.getEntriesByType('navigation').concat(performance.getEntriesByType('resource'));
  const bytes = entries.filter(e => e.responseEnd <= now).reduce((sum, e) => sum + (e.transferSize || e.encodedBodySize || 0), 0);
  return { ms: now, bytes, requests: entries.length };
})()`;

function folderSize(dir) {
  let total = 0;
  for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
    const p = path.join(dir, entry.name);
    total += entry.isDirectory() ? folderSize(p) : fs.statSync(p).size;
  }
  return total;
}

async function once(url) {
  const browser = await launchChromium({ width: 844, height: 600 });
  try {
    const page = await browser.newPage();
    await page.navigate(url);
    const deadline = Date.now() + 60000;
    for (;;) {
      const value = await page.evaluate(PROBE);
      if (value) return value;
      if (Date.now() > deadline) throw new Error('the first scene did not appear within 60 s');
      await sleep(20);
    }
  } finally {
    await browser.close();
  }
}

const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const mb = bytes => (bytes / 1024 / 1024).toFixed(2) + ' MB';

const args = process.argv.slice(2);
let site = 'build-web/site', runs = 3;
for (let i = 0; i < args.length; i++) {
  if (args[i] === '--site') site = args[++i];
  else if (args[i] === '--runs') runs = Number(args[++i]);
  else { console.error(`unknown argument ${args[i]}`); process.exit(2); }
}
const server = await serveStatic(site, 0);
try {
  const results = [];
  for (let i = 0; i < runs; i++) results.push(await once(server.url));
  const ms = median(results.map(r => r.ms)), bytes = median(results.map(r => r.bytes));
  console.log(`first scene on screen: ${Math.round(ms)} ms (target ${targetMs} ms, ratio ${(ms / targetMs).toFixed(2)})` +
              `; runs ${results.map(r => Math.round(r.ms)).join(', ')} ms`);
  console.log(`transferred before it: ${mb(bytes)} in ${results[0].requests} requests (target ${mb(targetBytes)}, ` +
              `ratio ${(bytes / targetBytes).toFixed(2)})`);
  console.log(`the whole folder: ${mb(folderSize(site))}`);
} finally {
  await server.close();
}
