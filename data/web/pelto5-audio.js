// Sound for the player in the page: every channel of the engine is a
// decoded AudioBuffer played through its own gain on one AudioContext.
// The browser decodes the files (WAV, OGG and MP3 everywhere); a file it
// cannot decode does not open. MIDI files come sequenced by the engine and
// are rendered by the synthesizer in pelto5-midi.js (a worker): such a
// channel opens at once and has its buffer a moment later; played before
// that, it starts when the buffer is there, and a piece that cannot be
// rendered (no sound font, offline before the first MIDI file) ends at
// once, as a missing file does. Browsers keep sound off until the player
// first clicks or presses a key; the context is resumed then. Until it
// runs, a playing channel still takes its length in time, so a game that
// waits for a sound goes on as if it had been heard.
(function () {
  'use strict';
  let context = null;
  const channels = new Map();

  // The MIDI synthesizer's files, below the page.
  const kMidiSynth = 'midi/libfluidsynth-2.3.0.js';
  const kMidiRate = 44100;
  // A piece is rendered whole before it plays; one past this length (half
  // an hour) would take too much memory and does not open.
  const kMaxMidiFrames = 30 * 60 * kMidiRate;
  let midiWorker = null;
  let midiJobs = 0;
  const midiPending = new Map();  // job -> [id, channel]
  let lastMidi = null;            // the channel last rendered, while open

  function audioContext() {
    if (!context) {
      const Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) return null;
      context = new Context();
    }
    return context;
  }

  for (const type of ['pointerdown', 'keydown']) {
    document.addEventListener(type, () => {
      const ac = audioContext();
      if (ac && ac.state === 'suspended') ac.resume();
    }, true);
  }

  function stopSource(channel) {
    if (!channel.source) return;
    channel.source.onended = null;
    try { channel.source.stop(); } catch (e) { /* never started */ }
    channel.source.disconnect();
    channel.source = null;
  }

  // Starts the buffer from its beginning.
  function startSource(channel) {
    const ac = audioContext();
    stopSource(channel);
    const source = ac.createBufferSource();
    source.buffer = channel.buffer;
    source.connect(channel.gainNode);
    source.onended = () => {
      if (channel.source === source) channel.ended = true;
    };
    channel.ended = false;
    channel.source = source;
    channel.startedAt = performance.now();
    source.start();
  }

  function midiFailed(channel, why) {
    channel.failed = true;
    if (!api.midiError) console.warn(`pelto5: MIDI does not play: ${why}`);
    api.midiError = why;
  }

  function startMidiWorker() {
    if (midiWorker) return midiWorker;
    midiWorker = new Worker('pelto5-midi.js');
    midiWorker.onmessage = (event) => {
      const { job, left, right, error } = event.data || {};
      const pending = midiPending.get(job);
      if (!pending) return;
      midiPending.delete(job);
      const [id, channel] = pending;
      if (channels.get(id) !== channel) return;  // closed or opened again meanwhile
      if (error) {
        midiFailed(channel, error);
        return;
      }
      const ac = audioContext();
      const buffer = ac.createBuffer(2, left.length, kMidiRate);
      buffer.copyToChannel(left, 0);
      buffer.copyToChannel(right, 1);
      channel.buffer = buffer;
      lastMidi = channel;
      api.midiRendered += 1;
      if (channel.playing) startSource(channel);
    };
    midiWorker.onerror = (event) => {
      event.preventDefault();
      for (const [job, [, channel]] of midiPending) {
        midiPending.delete(job);
        midiFailed(channel, 'the synthesizer did not start');
      }
      midiWorker.terminate();
      midiWorker = null;
    };
    return midiWorker;
  }

  const api = {
    decoded: 0,  // files decoded so far (for tests and diagnostics)
    midiRendered: 0,  // MIDI pieces rendered so far
    midiError: '',    // why the last MIDI piece did not render
    async open(id, bytes) {
      api.close(id);
      const ac = audioContext();
      if (!ac) return false;
      let buffer;
      try {
        buffer = await ac.decodeAudioData(bytes.buffer);
      } catch (e) {
        return false;
      }
      const gainNode = ac.createGain();
      gainNode.connect(ac.destination);
      channels.set(id, { buffer, gainNode, source: null, playing: false, ended: false, startedAt: 0 });
      api.decoded += 1;
      return true;
    },
    // A MIDI file's score (see pelto5-midi.js) and its length in frames;
    // false when this page cannot render it.
    openMidi(id, steps, sysex, frames) {
      api.close(id);
      const game = window.pelto5Game || {};
      const ac = audioContext();
      if (!ac || !game.soundFont || typeof Worker === 'undefined' || !(frames <= kMaxMidiFrames)) return false;
      const gainNode = ac.createGain();
      gainNode.connect(ac.destination);
      const channel = { buffer: null, gainNode, source: null, playing: false, ended: false, startedAt: 0, failed: false };
      channels.set(id, channel);
      const job = ++midiJobs;
      midiPending.set(job, [id, channel]);
      startMidiWorker().postMessage({ job, synth: kMidiSynth, font: game.soundFont, steps, sysex, frames },
                                    [steps.buffer, sysex.buffer]);
      return true;
    },
    // The samples of the MIDI piece rendered last, while its channel is
    // open: { frames, pcm } with pcm the interleaved 16-bit stereo samples
    // in base64, as the synthesizer wrote them (for tests).
    lastMidiSamples() {
      if (!lastMidi || !lastMidi.buffer) return null;
      const left = lastMidi.buffer.getChannelData(0);
      const right = lastMidi.buffer.getChannelData(1);
      const pcm = new Int16Array(left.length * 2);
      for (let i = 0; i < left.length; i++) {
        pcm[2 * i] = Math.round(left[i] * 32768);
        pcm[2 * i + 1] = Math.round(right[i] * 32768);
      }
      const bytes = new Uint8Array(pcm.buffer);
      let text = '';
      for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
      return { frames: left.length, pcm: btoa(text) };
    },
    close(id) {
      const channel = channels.get(id);
      if (!channel) return;
      stopSource(channel);
      channel.gainNode.disconnect();
      channels.delete(id);
      if (lastMidi === channel) lastMidi = null;
    },
    // Play goes on from where the channel is; after Stop that is the start.
    // A MIDI piece still being rendered starts when it is there.
    play(id) {
      const channel = channels.get(id);
      if (!channel || channel.playing) return;
      channel.playing = true;
      if (channel.buffer) startSource(channel);
    },
    stop(id) {
      const channel = channels.get(id);
      if (!channel) return;
      stopSource(channel);
      channel.playing = false;
      channel.ended = false;
    },
    rewind(id) {
      const channel = channels.get(id);
      if (channel && channel.playing && channel.buffer) startSource(channel);
    },
    finished(id) {
      const channel = channels.get(id);
      if (!channel || channel.failed) return true;
      if (!channel.playing || !channel.buffer) return false;
      if (channel.ended) return true;
      // A context the browser has not let run yet: the wall clock stands in.
      const silent = !context || context.state !== 'running';
      return silent && performance.now() - channel.startedAt >= channel.buffer.duration * 1000;
    },
    gain(id, value) {
      const channel = channels.get(id);
      if (channel) channel.gainNode.gain.value = value;
    },
  };
  window.pelto5Audio = api;
})();
