// Offline play: once the game is on screen the page registers its service
// worker (pelto5-sw.js), which keeps every file the game needs, then asks it
// to keep the faces too, and the MIDI synthesizer once the game has played
// MIDI (keep). Nothing here is needed to play: without service
// workers, or with storage that is full or refused, the page goes on
// loading from the network.
//
// window.pelto5Offline.state, for the reader's tools and the tests:
//   "off"          not started yet
//   "unsupported"  the browser has no service workers (or not here: they
//                  need https or localhost)
//   "installing"   the worker is keeping the files
//   "ready"        the game's files and the faces it drew with are kept:
//                  it plays offline
//   "complete"     every face is kept as well
//   "partial"      the cache took only some files (full or refused); the
//                  network serves the rest
//   "failed: WHY"  the worker could not be registered
// and .detail the worker's last answer ({ version, kept, total, ... }).
window.pelto5Offline = (function () {
  'use strict';
  const self = { state: 'off', detail: null, start, keep };
  const answerMs = 120000;
  let keeper = null;  // the active worker, once the game's files are kept
  const toKeep = [];  // files to keep as soon as there is one

  function set(state, detail) {
    self.state = state;
    if (detail) self.detail = detail;
    if (state === 'partial' || state.startsWith('failed')) {
      console.warn('pelto5: offline play is not available (' + state + ')');
    }
  }

  // The worker once it is active (a new one has kept its files by then).
  function activated(registration) {
    const worker = registration.installing || registration.waiting;
    if (!worker) return Promise.resolve(registration.active);
    return new Promise((resolve, reject) => {
      worker.addEventListener('statechange', () => {
        if (worker.state === 'activated') resolve(worker);
        else if (worker.state === 'redundant') reject(new Error('the worker was discarded'));
      });
    });
  }

  function ask(worker, message) {
    return new Promise((resolve, reject) => {
      const channel = new MessageChannel();
      const timer = setTimeout(() => reject(new Error('the worker does not answer')), answerMs);
      channel.port1.onmessage = (e) => {
        clearTimeout(timer);
        resolve(e.data);
      };
      worker.postMessage(message, [channel.port2]);
    });
  }

  // Files the page fetched that the worker does not keep from the start
  // (the MIDI synthesizer and sound font, once a piece has played): kept
  // too, now or once the worker has kept the game's files. Fetched before
  // the worker ran, they are fetched once more for it.
  function keep(files) {
    toKeep.push(...files);
    flush();
  }

  async function flush() {
    if (!keeper || toKeep.length === 0) return;
    try {
      await ask(keeper, { type: 'keep', files: toKeep.splice(0) });
    } catch (err) {
      // Offline play without MIDI; the page plays on.
    }
  }

  // faces: the face files (site paths); the ones already in the player's
  // file system were fetched before the worker could keep them.
  async function start(faces, drawnWith) {
    if (self.state !== 'off') return;
    if (!('serviceWorker' in navigator) || !window.isSecureContext) {
      set('unsupported');
      return;
    }
    set('installing');
    try {
      const registration = await navigator.serviceWorker.register('pelto5-sw.js');
      const worker = await activated(registration);
      if (!worker) throw new Error('no active worker');
      const status = await ask(worker, { type: 'status' });
      if (status.kept < status.total) {
        set('partial', status);
        return;
      }
      const used = faces.filter((face) => drawnWith(face));
      const first = await ask(worker, { type: 'keep', files: used });
      if (first.extraKept < first.extraTotal) {
        set('partial', first);
        return;
      }
      set('ready', first);
      keeper = worker;
      await flush();
      const rest = await ask(worker, { type: 'keep', files: faces.filter((face) => !used.includes(face)) });
      set(rest.extraKept === rest.extraTotal ? 'complete' : 'ready', rest);
    } catch (err) {
      set('failed: ' + err.message);
    }
  }

  return self;
})();
