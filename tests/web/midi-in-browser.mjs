// MIDI in the web build: a game plays a MIDI file and waits for it; the page
// must render it with its synthesizer (FluidSynth for WebAssembly) from the
// engine's own sequencing, and the samples must be the desktop player's
// for the same file (pelto5-midi-render: the same sequencer with the
// system's FluidSynth and the same sound font). A game that plays no MIDI
// file must never download the synthesizer or the sound font.
//
//   node --experimental-websocket tests/web/midi-in-browser.mjs --site DIR --render PROGRAM
//
// The comparison: the frame counts must be equal (both sides take the
// length from the same sequencer), and the difference of the two sample
// streams, as RMS over the RMS of the desktop's signal, must stay under
// kTolerance. Both sides run the same FluidSynth code on the same font,
// with the same 16-bit output; what remains is floating-point rounding in
// the synthesizer's tables and filters (WebAssembly against x86-64 code,
// and FluidSynth 2.3.0 against Debian's 2.3.1) and its dither noise, of the
// order of the 16-bit step. A slip of one 64-frame block in an event's time,
// a wrong instrument or a lost controller gives many times the tolerance:
// the test measures that too on the desktop's own samples moved by one block
// and fails if the measure does not tell them apart.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import crypto from 'node:crypto';
import { serveStatic } from './serve.mjs';
import { launchChromium } from './browser.mjs';
import { script, siteWithGame, waitInPage } from './game-site.mjs';

const kTolerance = 0.01;  // RMS of the difference over the RMS of the signal
const kBlock = 64;        // FluidSynth's rendering block, in frames

const sleep = ms => new Promise(done => setTimeout(done, ms));

function vlq(n) {
  const bytes = [n & 0x7F];
  for (n >>>= 7; n > 0; n >>>= 7) bytes.unshift(0x80 | (n & 0x7F));
  return bytes;
}

// A 3.3-second piece that uses what a game's music uses: a GM reset
// (system exclusive), programs on four channels, drums, volume, pan and
// expression controllers, a pitch bend, channel pressure, a tempo change
// halfway and notes that overlap and end at different times.
function testPiece() {
  const events = [];  // [delta ticks, bytes]
  const at = (delta, ...bytes) => events.push([delta, bytes]);
  at(0, 0xF0, 5, 0x7E, 0x7F, 0x09, 0x01, 0xF7);
  at(0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20);  // 120 bpm
  at(0, 0xC0, 0);    // piano
  at(0, 0xC1, 33);   // bass
  at(0, 0xC2, 48);   // strings
  at(0, 0xB2, 7, 70);
  at(0, 0xB2, 10, 20);
  at(0, 0xC3, 73);   // flute
  at(0, 0xB3, 10, 100);
  const chord = [60, 64, 67];
  for (const n of chord) at(0, 0x90, n, 96);
  at(0, 0x91, 36, 110);
  at(0, 0x92, 55, 80);
  at(0, 0x99, 36, 120);
  at(48, 0x99, 42, 90);
  at(48, 0x89, 36, 0);
  at(0, 0x99, 38, 110);
  at(0, 0x93, 72, 100);
  at(24, 0xB3, 11, 90);
  at(24, 0xE3, 0x00, 0x50);
  at(24, 0xD3, 80);
  at(24, 0xE3, 0x00, 0x40);
  for (const n of chord) at(0, 0x80, n, 0);
  at(0, 0xFF, 0x51, 3, 0x09, 0x27, 0xC0);  // 100 bpm
  for (const n of [62, 65, 69]) at(0, 0x90, n, 90);
  at(0, 0x99, 42, 80);
  at(96, 0x81, 36, 0);
  at(0, 0x91, 38, 100);
  at(48, 0x99, 38, 100);
  at(48, 0x83, 72, 0);
  at(0, 0xB2, 7, 110);
  at(48, 0x82, 55, 0);
  for (const n of [62, 65, 69]) at(48, 0x80, n, 0);
  at(0, 0x81, 38, 0);
  at(96, 0xFF, 0x2F, 0);
  const track = Buffer.from(events.flatMap(([delta, bytes]) => [...vlq(delta), ...bytes]));
  const head = Buffer.alloc(22);
  head.write('MThd', 0);
  head.writeUInt32BE(6, 4);
  head.writeUInt16BE(0, 8);
  head.writeUInt16BE(1, 10);
  head.writeUInt16BE(96, 12);
  head.write('MTrk', 14);
  head.writeUInt32BE(track.length, 18);
  return Buffer.concat([head, track]);
}

// A 16-bit mono WAV file of silence, ms long.
function silentWav(ms, rate = 22050) {
  const data = Buffer.alloc(Math.round(rate * ms / 1000) * 2);
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

function soundScript(file) {
  return script([`Sound.FileName=${file}`, 'Sound.Wait=1', '@Sound']);
}

function samplesOf(buffer) {
  return new Int16Array(buffer.buffer, buffer.byteOffset, buffer.length >> 1);
}

function rms(values) {
  let sum = 0;
  for (const v of values) sum += v * v;
  return Math.sqrt(sum / Math.max(values.length, 1));
}

// { relative, peak } of b against the reference a (equal lengths), with a
// moved later by shift frames (stereo).
function difference(a, b, shift = 0) {
  let sum = 0;
  let peak = 0;
  for (let i = 0; i < b.length; i++) {
    const ref = i - 2 * shift >= 0 ? a[i - 2 * shift] : 0;
    const d = b[i] - ref;
    sum += d * d;
    peak = Math.max(peak, Math.abs(d));
  }
  return { relative: Math.sqrt(sum / Math.max(b.length, 1)) / Math.max(rms(a), 1e-9), peak };
}

function sha256(file) {
  return crypto.createHash('sha256').update(fs.readFileSync(file)).digest('hex');
}

// Runs the game until it ends; the samples the page rendered last (taken
// while the game waits for its sound), how long it ran and the requests.
async function play(browser, server, wantSamples) {
  const page = await browser.newPage();
  await page.navigate(server.url);
  const deadline = Date.now() + 90000;
  let samples = null;
  for (;;) {
    const state = await page.evaluate(`({ status: String(window.pelto5Status), times: window.pelto5StatusTimes,
      rendered: window.pelto5Audio ? window.pelto5Audio.midiRendered : -1,
      error: window.pelto5Audio ? window.pelto5Audio.midiError : '' })`);
    if (state.status.startsWith('error')) throw new Error(`the page failed: ${state.status}`);
    if (state.error) throw new Error(`MIDI did not render: ${state.error}`);
    if (wantSamples && !samples && state.rendered > 0) {
      samples = await page.evaluate('window.pelto5Audio.lastMidiSamples()');
      if (samples) samples.times = await page.evaluate('window.pelto5Audio.midiTimes');
    }
    if (state.status === 'ended') {
      return { ms: state.times.ended - state.times.running, rendered: state.rendered, samples, page };
    }
    if (Date.now() > deadline) throw new Error(`the game did not end (status ${state.status})`);
    await sleep(20);
  }
}

const arg = name => (process.argv.includes(name) ? process.argv[process.argv.indexOf(name) + 1] : '');
const site = arg('--site');
const renderer = arg('--render');
if (!site || !renderer) {
  console.error('usage: midi-in-browser.mjs --site DIR --render PROGRAM');
  process.exit(2);
}
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'pelto5-web-midi-'));
const cleanups = [() => fs.rmSync(work, { recursive: true, force: true })];
let status = 1;
try {
  const pageWindow = {};
  new Function('window', fs.readFileSync(path.join(site, 'pelto5-game.js'), 'utf8'))(pageWindow);
  const soundFont = pageWindow.pelto5Game && pageWindow.pelto5Game.soundFont;
  if (!soundFont) throw new Error(`${site} has no sound font (pelto5-game.js names none)`);

  // The desktop's samples of the piece.
  const midi = testPiece();
  const midiPath = path.join(work, 'piece.mid');
  const rawPath = path.join(work, 'piece.raw');
  fs.writeFileSync(midiPath, midi);
  const said = execFileSync(renderer, [midiPath, rawPath], { encoding: 'utf8' });
  const desktopFont = (said.match(/^soundfont (.*)$/m) || [])[1];
  const desktopFrames = Number((said.match(/^frames (\d+)$/m) || [])[1]);
  if (!desktopFont || !desktopFrames) throw new Error(`${renderer} said: ${said}`);
  if (sha256(fs.realpathSync(desktopFont)) !== sha256(path.join(site, soundFont))) {
    throw new Error(`the site's ${soundFont} is not the desktop's sound font ${desktopFont}`);
  }
  const desktop = samplesOf(fs.readFileSync(rawPath));

  const browser = await launchChromium();
  cleanups.push(() => browser.close());
  let failed = 0;
  const report = (ok, line) => {
    if (!ok) failed++;
    console.log(`${ok ? 'ok' : 'FAIL'} ${line}`);
  };

  // A game without MIDI: nothing of the synthesizer is fetched.
  {
    const dir = path.join(work, 'wav');
    siteWithGame(site, dir, 'midi-none', { 'pelto.pf5': soundScript('quiet.wav'), 'quiet.wav': silentWav(300) });
    const server = await serveStatic(dir, 0);
    cleanups.push(() => server.close());
    await play(browser, server, false);
    const fetched = server.requests.filter(r => r.includes('midi/'));
    report(fetched.length === 0, `a game without MIDI fetched ${fetched.length} synthesizer files ${JSON.stringify(fetched)}`);
  }

  // The piece in the page against the desktop's samples.
  {
    const dir = path.join(work, 'midi');
    siteWithGame(site, dir, 'midi-piece', { 'pelto.pf5': soundScript('piece.mid'), 'piece.mid': midi });
    const server = await serveStatic(dir, 0);
    cleanups.push(() => server.close());
    const result = await play(browser, server, true);
    const fontFetches = server.requests.filter(r => r.endsWith(soundFont)).length;
    // Once by the synthesizer, and once more by the service worker when it
    // started after that.
    report(fontFetches >= 1 && fontFetches <= 2,
           `the sound font was fetched ${fontFetches} time(s) once the piece played (expected 1 or 2)`);
    // The service worker keeps the synthesizer and the font for offline play.
    const kept = await waitInPage(result.page, `(async () => {
        const keys = await caches.keys();
        let found = 0;
        for (const name of keys) {
          const cache = await caches.open(name);
          for (const file of ['midi/libfluidsynth-2.3.0.js', ${JSON.stringify(soundFont)}]) {
            if (await cache.match(new URL(file, location.href).href)) found++;
          }
        }
        return found;
      })()`, n => n === 2, 60000, 'the synthesizer kept for offline play').catch(err => err.message);
    const offline = await result.page.evaluate('JSON.stringify([window.pelto5Offline.state, window.pelto5Offline.detail])');
    report(kept === 2, `the service worker keeps the synthesizer and the sound font (${kept}; offline ${offline})`);
    const lengthMs = desktopFrames / 44.1;
    report(result.ms >= lengthMs - 100 && result.ms < lengthMs + 20000,
           `the waited piece held the game ${Math.round(result.ms)} ms (piece: ${Math.round(lengthMs)} ms)`);
    if (!result.samples) throw new Error('the page gave no samples of the piece');
    const web = samplesOf(Buffer.from(result.samples.pcm, 'base64'));
    const times = result.samples.times || {};
    console.log(`  the synthesizer and sound font took ${Math.round(times.waitMs)} ms to load, the piece ` +
                `${Math.round(times.renderMs)} ms to render (${(desktopFrames / 44.1 / times.renderMs).toFixed(1)} times real time)`);
    report(result.samples.frames === desktopFrames,
           `the page rendered ${result.samples.frames} frames, the desktop ${desktopFrames}`);
    if (web.length === desktop.length) {
      const same = difference(desktop, web);
      const moved = difference(desktop, desktop, kBlock);
      console.log(`  signal RMS ${rms(desktop).toFixed(1)}; page against desktop: RMS ${(same.relative * 100).toFixed(4)} %` +
                  ` of the signal, peak ${same.peak}; the desktop moved by ${kBlock} frames: ${(moved.relative * 100).toFixed(2)} %`);
      report(rms(desktop) > 1000, 'the desktop\'s piece is sound, not silence');
      report(same.relative <= kTolerance, `the page's samples are within ${kTolerance * 100} % RMS of the desktop's`);
      report(moved.relative > 5 * kTolerance, 'a one-block slip would be caught (over 5 times the tolerance)');
    }
  }
  status = failed ? 1 : 0;
  if (!failed) console.log('PASS: the page plays MIDI as the desktop does, and fetches the synthesizer only for MIDI');
} catch (err) {
  console.error(`FAIL: ${err.message}`);
}
while (cleanups.length) {
  try { await cleanups.pop()(); } catch { /* keep cleaning */ }
}
process.exit(status);
