// The page's MIDI synthesizer, in a worker of its own: FluidSynth compiled
// to WebAssembly (midi/libfluidsynth-*.js, a module separate from the
// player's) with the General MIDI sound font the desktop player uses. Both
// are fetched the first time a MIDI file plays, and kept by the service
// worker as they pass.
//
// The engine sequences each file (TMidiScore) and sends its score: steps
// of three words, [0, frames] render, [1, status, data1 | data2 << 8] a
// channel message, [2, offset, length] a system exclusive body in sysex.
// This worker plays the score into the synthesizer exactly as the desktop's
// TMidiDecoder calls it (the same 16-bit output, the same settings) and
// answers with the piece in parts of partFrames frames, each as two
// Float32Arrays, left and right, sent as soon as it is rendered.
//
// Message in:  { job, synth, font, steps: Int32Array, sysex: Uint8Array, frames, partFrames }
// Messages out: { job, index, left, right } for each part, then
// { job, times }; or { job, error }. times are how long the piece waited
// for the synthesizer (its first start: the downloads), how long its first
// part and the whole took to render, in ms.
/* global Module */
'use strict';

const kRate = 44100;
// The synthesizer's master gain and settings, as on the desktop
// (MidiSynth.cpp).
const kGain = 1.0;
const kChunkFrames = 4096;

let synthesizer = null;  // a promise of { M, synth, buffer, used }

function startSynthesizer(synthUrl, fontUrl) {
  if (synthesizer) return synthesizer;
  synthesizer = (async () => {
    let abort = null;
    const initialized = new Promise((resolve, reject) => { abort = reject; self.Module.onRuntimeInitialized = resolve; });
    self.Module.onAbort = (what) => abort(new Error(`the synthesizer stopped: ${what}`));
    importScripts(synthUrl);
    await initialized;
    const M = self.Module;
    // FluidSynth reports every odd sound font and file; the page keeps
    // quiet as the desktop player does.
    for (let level = 0; level <= 4; level++) M._fluid_set_log_function(level, 0, 0);
    const response = await fetch(fontUrl);
    if (!response.ok) throw new Error(`${fontUrl}: HTTP ${response.status}`);
    const font = new Uint8Array(await response.arrayBuffer());
    M.FS.writeFile('/gm.sf2', font);
    const settings = M._new_fluid_settings();
    if (!settings) throw new Error('cannot start the MIDI synthesizer');
    M.ccall('fluid_settings_setnum', 'number', ['number', 'string', 'number'], [settings, 'synth.sample-rate', kRate]);
    M.ccall('fluid_settings_setnum', 'number', ['number', 'string', 'number'], [settings, 'synth.gain', kGain]);
    M.ccall('fluid_settings_setint', 'number', ['number', 'string', 'number'], [settings, 'synth.threadsafe-api', 0]);
    const synth = M._new_fluid_synth(settings);
    if (!synth) throw new Error('cannot start the MIDI synthesizer');
    if (M.ccall('fluid_synth_sfload', 'number', ['number', 'string', 'number'], [synth, '/gm.sf2', 1]) < 0) {
      throw new Error(`sound font ${fontUrl} does not load`);
    }
    // The font is in the synthesizer's own memory now.
    M.FS.unlink('/gm.sf2');
    return { M, synth, buffer: M._malloc(kChunkFrames * 4), used: false };
  })();
  // A synthesizer that failed is tried again for the next file (the
  // network may be back).
  synthesizer.catch(() => { synthesizer = null; });
  return synthesizer;
}

// Sends one channel message as TMidiDecoder does.
function send(M, synth, status, data1, data2) {
  const channel = status & 0x0F;
  switch (status & 0xF0) {
    case 0x80: M._fluid_synth_noteoff(synth, channel, data1); break;
    case 0x90: M._fluid_synth_noteon(synth, channel, data1, data2); break;
    case 0xA0: M._fluid_synth_key_pressure(synth, channel, data1, data2); break;
    case 0xB0: M._fluid_synth_cc(synth, channel, data1, data2); break;
    case 0xC0: M._fluid_synth_program_change(synth, channel, data1); break;
    case 0xD0: M._fluid_synth_channel_pressure(synth, channel, data1); break;
    case 0xE0: M._fluid_synth_pitch_bend(synth, channel, data1 | data2 << 7); break;
    default: break;
  }
}

// Renders the score, handing each part of partFrames frames (the last may
// be shorter) to done(index, left, right) as soon as it is complete.
function render(state, steps, sysex, frames, partFrames, done) {
  const { M, synth, buffer } = state;
  // A synthesizer that played before starts from its power-on state, as a
  // kept one does on the desktop.
  if (state.used) M._fluid_synth_system_reset(synth);
  state.used = true;
  const total = Math.max(frames, 1);
  let index = 0;
  let left = null;
  let right = null;
  let fill = 0;  // frames in the current part
  const newPart = () => {
    const size = Math.min(partFrames, total - index * partFrames);
    left = new Float32Array(size);
    right = new Float32Array(size);
    fill = 0;
  };
  newPart();
  let at = 0;
  for (let i = 0; i + 2 < steps.length; i += 3) {
    const kind = steps[i];
    const a = steps[i + 1];
    const b = steps[i + 2];
    if (kind === 1) {
      send(M, synth, a, b & 0x7F, (b >> 8) & 0x7F);
    } else if (kind === 2) {
      if (a < 0 || b <= 0 || a + b > sysex.length) continue;
      const body = M._malloc(b);
      M.HEAPU8.set(sysex.subarray(a, a + b), body);
      M._fluid_synth_sysex(synth, body, b, 0, 0, 0, 0);
      M._free(body);
    } else if (kind === 0) {
      let n = Math.min(a, frames - at);
      while (n > 0) {
        const k = Math.min(n, kChunkFrames, left.length - fill);
        M._fluid_synth_write_s16(synth, k, buffer, 0, 2, buffer, 1, 2);
        // The heap's view is taken afresh: the synthesizer's memory may grow.
        const pcm = M.HEAP16.subarray(buffer >> 1, (buffer >> 1) + k * 2);
        for (let f = 0; f < k; f++) {
          left[fill + f] = pcm[2 * f] / 32768;
          right[fill + f] = pcm[2 * f + 1] / 32768;
        }
        fill += k;
        at += k;
        n -= k;
        if (fill === left.length && at < total) {
          done(index++, left, right);
          newPart();
        }
      }
    }
  }
  done(index, left, right);
}

self.Module = { print() {}, printErr() {} };

self.onmessage = async (event) => {
  const { job, synth: synthUrl, font, steps, sysex, frames, partFrames } = event.data || {};
  try {
    const start = performance.now();
    const state = await startSynthesizer(synthUrl, font);
    const rendering = performance.now();
    let firstMs = 0;
    render(state, steps, sysex, frames, partFrames, (index, left, right) => {
      if (index === 0) firstMs = performance.now() - rendering;
      self.postMessage({ job, index, left, right }, [left.buffer, right.buffer]);
    });
    const times = { waitMs: rendering - start, firstPartMs: firstMs, renderMs: performance.now() - rendering };
    self.postMessage({ job, times });
  } catch (err) {
    self.postMessage({ job, error: String(err && err.message || err) });
  }
};
