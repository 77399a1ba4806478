// Sound in the web build: a game that plays a sound and waits for its end
// must really wait for it, through the page's Web Audio (a MIDI file
// through the page's synthesizer), and a sound that cannot be played (MIDI
// without its sound font) must not hold the game up.
//
//   node --experimental-websocket tests/web/sound-in-browser.mjs --site DIR
//
// DIR is a built web folder; the test copies it with small games of its own
// in place of its game. Each game plays one sound with "Sound.Wait=1" and
// then runs off the end of its page, which ends the player; the test
// measures how long the page ran.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { serveStatic } from './serve.mjs';
import { launchChromium } from './browser.mjs';
import { script, siteWithGame } from './game-site.mjs';

const sleep = ms => new Promise(done => setTimeout(done, ms));

// A 16-bit mono WAV file of a 440 Hz tone, ms long.
function toneWav(ms, rate = 22050) {
  const samples = Math.round(rate * ms / 1000);
  const data = Buffer.alloc(samples * 2);
  for (let i = 0; i < samples; i++) data.writeInt16LE(Math.round(8000 * Math.sin(2 * Math.PI * 440 * i / rate)), i * 2);
  const header = Buffer.alloc(44);
  header.write('RIFF', 0);
  header.writeUInt32LE(36 + data.length, 4);
  header.write('WAVEfmt ', 8);
  header.writeUInt32LE(16, 16);
  header.writeUInt16LE(1, 20);
  header.writeUInt16LE(1, 22);
  header.writeUInt32LE(rate, 24);
  header.writeUInt32LE(rate * 2, 28);
  header.writeUInt16LE(2, 32);
  header.writeUInt16LE(16, 34);
  header.write('data', 36);
  header.writeUInt32LE(data.length, 40);
  return Buffer.concat([header, data]);
}

// A one-note standard MIDI file, quarters half-seconds long (96 ticks a
// quarter at 120 bpm; 2.5 s by default).
function midiFile(quarters = 5) {
  const ticks = quarters * 96;
  const track = Buffer.from([0x00, 0x90, 0x3C, 0x40, 0x80 | (ticks >> 14), 0x80 | ((ticks >> 7) & 0x7F), ticks & 0x7F,
                             0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00]);
  const head = Buffer.from([0x4D, 0x54, 0x68, 0x64, 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 0x4D, 0x54, 0x72, 0x6B, 0, 0, 0, track.length]);
  return Buffer.concat([head, track]);
}

// The game's script: plays file and waits for it, then its page ends.
function soundScript(file) {
  return script([`Sound.FileName=${file}`, 'Sound.Wait=1', '@Sound']);
}

// Plays the game in the page; how long it ran (ms), how many sound files
// the page decoded and how many MIDI pieces it rendered.
async function play(browser, url) {
  const page = await browser.newPage();
  await page.navigate(url);
  const deadline = Date.now() + 60000;
  for (;;) {
    const state = await page.evaluate(`({ status: String(window.pelto5Status), times: window.pelto5StatusTimes,
                                          decoded: window.pelto5Audio ? window.pelto5Audio.decoded : -1,
                                          rendered: window.pelto5Audio ? window.pelto5Audio.midiRendered : -1,
                                          started: window.pelto5Audio ? window.pelto5Audio.started : -1 })`);
    if (state.status.startsWith('error')) throw new Error(`the page failed: ${state.status}`);
    if (state.status === 'ended') {
      return { ms: state.times.ended - state.times.running, decoded: state.decoded, rendered: state.rendered,
               started: state.started };
    }
    if (Date.now() > deadline) throw new Error(`the game did not end (status ${state.status})`);
    await sleep(50);
  }
}

const site = process.argv[process.argv.indexOf('--site') + 1];
if (!process.argv.includes('--site') || !site) {
  console.error('usage: sound-in-browser.mjs --site DIR');
  process.exit(2);
}
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'pelto5-web-sound-'));
const cleanups = [() => fs.rmSync(work, { recursive: true, force: true })];
let status = 1;
try {
  const cases = [
    { name: 'wav', files: { 'pelto.pf5': soundScript('tone.wav'), 'tone.wav': toneWav(1500) },
      check: r => r.decoded === 1 && r.ms >= 1400 && r.ms < 5000, expect: 'decoded once, ran 1.4 to 5 s' },
    { name: 'midi', files: { 'pelto.pf5': soundScript('tone.mid'), 'tone.mid': midiFile() },
      check: r => r.rendered === 1 && r.decoded === 0 && r.ms >= 2400 && r.ms < 20000,
      expect: 'rendered once by the synthesizer, ran 2.4 to 20 s' },
    // Music that loops twice: rendered once, started from its beginning
    // twice, while the game waits 6 s.
    { name: 'midi-loop', files: { 'pelto.pf5': script(['Music.FileName=loop.mid', 'Music.Loop=2', '@Music',
                                                       'Wait.TimeBreak=1', 'Wait.Time=6000', '@Wait']),
                                  'loop.mid': midiFile(2) },
      check: r => r.rendered === 1 && r.started === 2, expect: 'rendered once, started twice' },
    { name: 'midi-no-font', files: { 'pelto.pf5': soundScript('long.mid'), 'long.mid': midiFile(60) },
      settings: { soundFont: 'midi/missing.sf2' },
      check: r => r.rendered === 0 && r.ms < 10000, expect: 'nothing rendered, ended well within the piece\'s 30 s' },
  ];
  const browser = await launchChromium();
  cleanups.push(() => browser.close());
  let failed = 0;
  for (const c of cases) {
    const dir = path.join(work, c.name);
    siteWithGame(site, dir, `sound-${c.name}`, c.files, c.settings);
    const server = await serveStatic(dir, 0);
    cleanups.push(() => server.close());
    const result = await play(browser, server.url);
    const ok = c.check(result);
    if (!ok) failed++;
    console.log(`${ok ? 'ok' : 'FAIL'} ${c.name}: ran ${Math.round(result.ms)} ms, decoded ${result.decoded}, ` +
                `rendered ${result.rendered}, started ${result.started} ` +
                `(expected: ${c.expect})`);
  }
  status = failed ? 1 : 0;
  if (!failed) console.log('PASS: a waited sound holds the game for its length; one that cannot play does not');
} catch (err) {
  console.error(`FAIL: ${err.message}`);
}
while (cleanups.length) {
  try { await cleanups.pop()(); } catch { /* keep cleaning */ }
}
process.exit(status);
