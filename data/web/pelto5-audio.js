// Sound for the player in the page: every channel of the engine is a
// decoded AudioBuffer played through its own gain on one AudioContext.
// The browser decodes the files (WAV, OGG and MP3 everywhere); a file it
// cannot decode does not open. MIDI files come sequenced by the engine and
// are rendered by the synthesizer in pelto5-midi.js (a worker), part by
// part, each part played as it comes: such a channel opens at once and
// starts when its first part is there, and a piece that cannot be
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
  // A piece comes in parts of about 3 s and starts with its first part;
  // one past half an hour would take too much memory and does not open.
  const kMidiPart = 1 << 17;
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

  // A channel's sound is one AudioBuffer, or for a MIDI piece the parts
  // the synthesizer has rendered so far (channel.parts, each kMidiPart
  // frames but the last, of channel.frames in all), played back to back.
  function stopSource(channel) {
    for (const source of channel.sources) {
      source.onended = null;
      try { source.stop(); } catch (e) { /* never started */ }
      source.disconnect();
    }
    channel.sources = [];
    channel.started = false;
  }

  // Schedules part index of a started channel at its place in time (at
  // once when the synthesizer brought it late).
  function schedulePart(channel, index) {
    const ac = audioContext();
    const source = ac.createBufferSource();
    source.buffer = channel.parts[index];
    source.connect(channel.gainNode);
    if (index === channel.partCount - 1) {
      source.onended = () => {
        if (channel.sources.includes(source)) channel.ended = true;
      };
    }
    channel.sources.push(source);
    // A part that comes late moves the rest of the piece with it.
    const late = ac.currentTime - (channel.startTime + index * channel.partSeconds);
    if (late > 0) channel.startTime += late;
    source.start(channel.startTime + index * channel.partSeconds);
  }

  // Starts the sound from its beginning, with the parts that are there.
  function startSource(channel) {
    const ac = audioContext();
    stopSource(channel);
    channel.ended = false;
    channel.started = true;
    channel.startTime = ac.currentTime;
    channel.startedAt = performance.now();
    for (let i = 0; i < channel.parts.length; i++) schedulePart(channel, i);
    api.started += 1;
  }

  function newChannel(gainNode, parts, frames, rate, partFrames) {
    return {
      parts, frames, rate, gainNode, partSeconds: partFrames / rate,
      partCount: Math.max(1, Math.ceil(frames / partFrames)),
      sources: [], started: false, playing: false, ended: false, failed: false, startTime: 0, startedAt: 0,
    };
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
      const { job, index, left, right, times, error } = event.data || {};
      const pending = midiPending.get(job);
      if (!pending) return;
      const [id, channel] = pending;
      if (channels.get(id) !== channel) {  // closed or opened again meanwhile
        midiPending.delete(job);
        return;
      }
      if (error) {
        midiPending.delete(job);
        midiFailed(channel, error);
        return;
      }
      if (times) {  // the last message of a piece
        midiPending.delete(job);
        api.midiRendered += 1;
        api.midiTimes = times;
        // Kept for offline play from now on.
        if (api.midiRendered === 1 && window.pelto5Offline) {
          window.pelto5Offline.keep([kMidiSynth, (window.pelto5Game || {}).soundFont]);
        }
        return;
      }
      const ac = audioContext();
      const buffer = ac.createBuffer(2, left.length, kMidiRate);
      buffer.copyToChannel(left, 0);
      buffer.copyToChannel(right, 1);
      if (index !== channel.parts.length) return;
      channel.parts.push(buffer);
      lastMidi = channel;
      if (channel.playing && !channel.started) {
        startSource(channel);
      } else if (channel.started) {
        schedulePart(channel, index);
      }
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
    started: 0,       // times a channel started from its beginning
    midiRendered: 0,  // MIDI pieces rendered so far
    midiError: '',    // why the last MIDI piece did not render
    midiTimes: null,  // { waitMs, renderMs } of the last piece rendered
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
      channels.set(id, newChannel(gainNode, [buffer], buffer.length, buffer.sampleRate, buffer.length));
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
      const channel = newChannel(gainNode, [], Math.max(frames, 1), kMidiRate, kMidiPart);
      channels.set(id, channel);
      const job = ++midiJobs;
      midiPending.set(job, [id, channel]);
      startMidiWorker().postMessage({ job, synth: kMidiSynth, font: game.soundFont, steps, sysex, frames,
                                      partFrames: kMidiPart }, [steps.buffer, sysex.buffer]);
      return true;
    },
    // The samples of the MIDI piece rendered last, while its channel is
    // open: { frames, pcm } with pcm the interleaved 16-bit stereo samples
    // in base64, as the synthesizer wrote them (for tests).
    lastMidiSamples() {
      if (!lastMidi || lastMidi.parts.length < lastMidi.partCount) return null;
      const pcm = new Int16Array(lastMidi.frames * 2);
      let at = 0;
      for (const part of lastMidi.parts) {
        const left = part.getChannelData(0);
        const right = part.getChannelData(1);
        for (let i = 0; i < left.length; i++, at++) {
          pcm[2 * at] = Math.round(left[i] * 32768);
          pcm[2 * at + 1] = Math.round(right[i] * 32768);
        }
      }
      const bytes = new Uint8Array(pcm.buffer);
      let text = '';
      for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
      return { frames: at, pcm: btoa(text) };
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
      if (channel.parts.length > 0) startSource(channel);
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
      if (channel && channel.playing && channel.parts.length > 0) startSource(channel);
    },
    finished(id) {
      const channel = channels.get(id);
      if (!channel || channel.failed) return true;
      if (!channel.playing || !channel.started) return false;
      if (channel.ended) return true;
      // A context the browser has not let run yet: the wall clock stands in.
      const silent = !context || context.state !== 'running';
      return silent && performance.now() - channel.startedAt >= channel.frames / channel.rate * 1000;
    },
    gain(id, value) {
      const channel = channels.get(id);
      if (channel) channel.gainNode.gain.value = value;
    },
  };
  window.pelto5Audio = api;
})();
