// Sound for the player in the page: every channel of the engine is a
// decoded AudioBuffer played through its own gain on one AudioContext.
// The browser decodes the files (WAV, OGG and MP3 everywhere); a file it
// cannot decode does not open. Browsers keep sound off until the player
// first clicks or presses a key; the context is resumed then. Until it
// runs, a playing channel still takes its length in time, so a game that
// waits for a sound goes on as if it had been heard.
(function () {
  'use strict';
  let context = null;
  const channels = new Map();

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

  const api = {
    decoded: 0,  // files decoded so far (for tests and diagnostics)
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
    close(id) {
      const channel = channels.get(id);
      if (!channel) return;
      stopSource(channel);
      channel.gainNode.disconnect();
      channels.delete(id);
    },
    // Play goes on from where the channel is; after Stop that is the start.
    play(id) {
      const channel = channels.get(id);
      if (!channel || channel.playing) return;
      channel.playing = true;
      startSource(channel);
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
      if (channel && channel.playing) startSource(channel);
    },
    finished(id) {
      const channel = channels.get(id);
      if (!channel) return true;
      if (!channel.playing) return false;
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
