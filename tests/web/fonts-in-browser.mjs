// A face shipped cut down to the demo's characters meets text it lacks: a
// small game of the test's own, in a copy of the demo's web folder, shows
// rare kanji the demo never uses. The page must fetch the whole face
// (fonts/full/) and draw exactly what the native headless player draws with
// the installed faces.
//
//   node --experimental-websocket tests/web/fonts-in-browser.mjs \
//        --site DIR --player PELTO5 [--timeout SECONDS]
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { serveStatic } from './serve.mjs';
import { launchChromium } from './browser.mjs';
import { loadExpected } from './frames.mjs';
import { saveFailure, waitForFrame } from './canvas.mjs';
import { script, siteWithGame } from './game-site.mjs';

// "鬱蒼とした森で、鸚鵡が鳴いた。" in Shift-JIS.
const TEXT = Buffer.from('9f54919382c682b582bd905882c58141ea5f96b782aa96c282a282bd8142', 'hex').toString('latin1');

const argv = process.argv.slice(2);
const option = (name, fallback) => {
  const at = argv.indexOf(name);
  return at >= 0 && argv[at + 1] ? argv[at + 1] : fallback;
};
const site = option('--site', 'build-web/site');
const player = path.resolve(option('--player', 'build/pelto5'));
const timeoutMs = Number(option('--timeout', '60')) * 1000;

const cleanups = [];
let status = 1;
try {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'pelto5-fonts-'));
  cleanups.push(() => fs.rmSync(work, { recursive: true, force: true }));
  const game = Buffer.from(script([`MessageDraw.Text=${TEXT}<KEY>`, '@MessageDraw']), 'latin1');
  const gameDir = path.join(work, 'game');
  fs.mkdirSync(gameDir);
  fs.writeFileSync(path.join(gameDir, 'pelto.pf5'), game);
  fs.copyFileSync(path.join(site, 'game', 'peltort5.pml'), path.join(gameDir, 'peltort5.pml'));

  // The native frame: shots 100 ms apart over the key-wait mark's blinking.
  const frames = path.join(work, 'frames');
  fs.mkdirSync(frames);
  const shots = [];
  for (let t = 1000; t <= 2200; t += 100) shots.push(`${t} shot text@${t}.png`);
  fs.writeFileSync(path.join(work, 'shots.events'), [...shots, '2400 quit', ''].join('\n'));
  const native = spawnSync(player, ['--headless', '--max-time', '10000', '--events', path.join(work, 'shots.events'), gameDir],
                           { cwd: frames, encoding: 'utf8' });
  if (native.status !== 0) throw new Error(`the native player failed (${native.status}): ${native.stderr}`);
  const expected = loadExpected(frames, 'text', 64);
  // Black text on white: a frame without it would prove nothing.
  const { data } = expected.frame;
  let dark = 0;
  for (let i = 0; i < data.length; i += 4) if (data[i] + data[i + 1] + data[i + 2] < 96) dark++;
  if (dark < 200) throw new Error(`the native frame shows no text (${dark} dark pixels)`);

  const siteDir = path.join(work, 'site');
  siteWithGame(site, siteDir, 'fonts', { 'pelto.pf5': game });
  const server = await serveStatic(siteDir, 0);
  cleanups.push(() => server.close());
  const browser = await launchChromium();
  cleanups.push(() => browser.close());
  const page = await browser.newPage();
  await page.navigate(server.url);
  const failure = await waitForFrame(page, expected, timeoutMs);
  if (failure) {
    saveFailure(expected, failure.last);
    throw new Error(`the rare kanji: ${failure.why}`);
  }
  const fetched = await page.evaluate(`performance.getEntriesByType('resource').map(e => new URL(e.name).pathname)
    .filter(p => p.startsWith('/fonts/'))`);
  if (!fetched.some(p => p.startsWith('/fonts/full/')))
    throw new Error(`the whole face was not fetched (fonts fetched: ${fetched.join(', ')}); is the face not cut down?`);
  console.log(`ok the page drew the rare kanji as the native player does, fetching ${fetched.join(', ')}`);
  console.log('PASS: a cut-down face is made whole when the game draws a character it lacks');
  status = 0;
} catch (err) {
  console.error(`FAIL: ${err.message}`);
}
while (cleanups.length) {
  try { await cleanups.pop()(); } catch { /* keep cleaning */ }
}
process.exit(status);
