// The web page's processor use, in headless Chromium: a game of its own in
// a copy of a built web folder, first while a long message is revealed at
// the default speed (paced by timed waits in its text), then while the
// page stands at a key-wait mark. The figure is the page's main-thread task time (the DevTools protocol's
// Performance.getMetrics TaskDuration) over wall time, as a percentage of
// one core, over a few seconds of each; the canvas is checked to change
// while revealing and to hold still (but for the blinking mark) when idle.
//
//   node --experimental-websocket bench/web-cpu.mjs [--site DIR] [--seconds N]
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { serveStatic } from '../tests/web/serve.mjs';
import { launchChromium } from '../tests/web/browser.mjs';
import { script, siteWithGame, waitInPage } from '../tests/web/game-site.mjs';

const args = process.argv.slice(2);
let site = 'build-web/site', seconds = 5;
for (let i = 0; i < args.length; i++) {
  if (args[i] === '--site') site = args[++i];
  else if (args[i] === '--seconds') seconds = Number(args[++i]);
  else { console.error(`unknown argument ${args[i]}`); process.exit(2); }
}
const sleep = ms => new Promise(done => setTimeout(done, ms));

// A message revealed a few words at a time: everything up to the next stop
// shows at once, so timed waits in the text keep it revealing for the
// whole run (a stop every tick or so, about 40 s in all).
const LONG = 'quick fox <W100>'.repeat(200);
const games = {
  revealing: script([`MessageDraw.Text=${LONG}<KEY>`, '@MessageDraw']),
  idle: script(['MessageDraw.Text=Ready.<KEY>', '@MessageDraw']),
};

const CANVAS_SUM = `(() => {
  const c = document.getElementById('screen');
  if (!c || c.width !== 640) return 0;
  const d = c.getContext('2d').getImageData(0, 0, 640, 480).data;
  let sum = 0;
  for (let i = 0; i < d.length; i += 4) sum = (sum * 31 + d[i] + d[i + 1] * 3 + d[i + 2] * 7) >>> 0;
  return sum;
})()`;

async function taskSeconds(page) {
  const { metrics } = await page.send('Performance.getMetrics');
  return metrics.find(m => m.name === 'TaskDuration').value;
}

async function measure(name, text) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'pelto5-web-cpu-'));
  const siteDir = path.join(work, 'site');
  siteWithGame(site, siteDir, `cpu-${name}`, { 'pelto.pf5': Buffer.from(text, 'latin1') });
  const server = await serveStatic(siteDir, 0);
  const browser = await launchChromium({ width: 800, height: 600 });
  try {
    const page = await browser.newPage();
    await page.send('Performance.enable');
    await page.navigate(server.url);
    await waitInPage(page, CANVAS_SUM, sum => sum !== 0, 30000, name);
    await sleep(1500);
    const before = await page.evaluate(CANVAS_SUM);
    const t0 = await taskSeconds(page), w0 = Date.now();
    await sleep(seconds * 1000);
    const t1 = await taskSeconds(page), w1 = Date.now();
    const after = await page.evaluate(CANVAS_SUM);
    return { percent: (100 * (t1 - t0)) / ((w1 - w0) / 1000), changed: before !== after };
  } finally {
    await browser.close();
    await server.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
}

const revealing = await measure('revealing', games.revealing);
if (!revealing.changed) console.error('warning: the canvas did not change while the message was to be revealed');
console.log(`revealing a long message at the default speed: ${revealing.percent.toFixed(1)} % of one core (page main thread)`);
const idle = await measure('idle', games.idle);
console.log(`idle at a key-wait mark: ${idle.percent.toFixed(1)} % of one core (page main thread)`);
