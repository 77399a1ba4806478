// The page around the player: loads the game, the runtime library and the
// fonts into the player's file system, keeps saves in the browser's storage
// (IndexedDB), draws the message boxes and the text-input dialog, scales
// the picture to the window, then starts pelto5.js.
//
// window.pelto5Game (pelto5-game.js) names what to load:
//   content: the game's file in game/ (a ".pp5" package or an executable
//            with one); "" plays game/ as a game folder
//   files:   every file in game/ (the content, the runtime library, the
//            game's loose data), as paths inside game/
//   fontIndex: the list of the faces in fonts/ (faces.txt); the player
//            downloads a face when it first draws with it
//   fonts:   font files to load at the start instead (optional)
//   wholeFonts: the faces of fonts/ that are subsets, with the whole face
//            in fonts/full/ (optional)
//   name:    the name its saves are kept under (default: content's name)
(function () {
  'use strict';
  const game = window.pelto5Game || {};
  const canvas = document.getElementById('screen');
  const statusLine = document.getElementById('status');
  const gameDir = '/game';
  const fontDir = '/fonts';
  const saveRoot = '/saves';
  const saveName = String(game.name || String(game.content || 'game').replace(/\.[^.]*$/, ''))
    .replace(/[/\\]/g, '_') || 'game';
  const siteGameDir = 'game/';

  // The page's state and when it entered each (performance.now()), for
  // tests and automation.
  window.pelto5StatusTimes = {};
  function setStatus(state, text) {
    window.pelto5Status = state;
    window.pelto5StatusTimes[state] = performance.now();
    statusLine.textContent = text || '';
  }
  setStatus('loading', '読み込み中…');

  canvas.addEventListener('contextmenu', (e) => e.preventDefault());

  // --- Layout: the picture as large as the stage (the viewport inside its
  // safe-area insets) allows, its aspect kept, in portrait and landscape.
  // The reader bar, once shown, goes below the picture or beside it when
  // the stage has room for it there, else over the picture's foot (where
  // it can be folded away). Used with a mouse, the picture is kept at a
  // whole multiple of its size while the window holds one, so its pixels
  // stay even.
  const stage = document.getElementById('stage');
  const barElement = document.getElementById('reader-bar');
  // The bar's room below the picture (a row of buttons) and beside it (a
  // column as wide as its widest button).
  const barBelow = 48;
  const barBeside = 84;
  let usedByTouch = false;
  function fitCanvas() {
    const w = canvas.width;
    const h = canvas.height;
    const room = stage.getBoundingClientRect();
    let scale = Math.min(room.width / w, room.height / h);
    let place = 'over';
    if (!barElement.hidden) {
      const below = Math.min(room.width / w, (room.height - barBelow) / h);
      const side = Math.min((room.width - barBeside) / w, room.height / h);
      if (Math.max(below, side) >= 0.9 * scale) {
        place = below >= side ? 'below' : 'side';
        scale = Math.max(below, side);
      }
    }
    if (!usedByTouch && scale >= 1) scale = Math.floor(scale);
    scale = Math.max(scale, 0.1);
    stage.classList.toggle('side', place === 'side');
    stage.classList.toggle('over', place === 'over' && !barElement.hidden);
    canvas.classList.toggle('smooth', scale < 1);
    canvas.style.width = Math.round(w * scale) + 'px';
    canvas.style.height = Math.round(h * scale) + 'px';
  }
  window.addEventListener('resize', fitCanvas);
  window.addEventListener('orientationchange', fitCanvas);
  if (window.visualViewport) window.visualViewport.addEventListener('resize', fitCanvas);
  document.addEventListener('fullscreenchange', fitCanvas);
  // The stage also changes when the status line comes and goes.
  if (window.ResizeObserver) new ResizeObserver(fitCanvas).observe(stage);
  fitCanvas();

  // --- Touch and the reader bar; their input goes to the engine through
  // the functions it exports (dropped until it runs, and while a dialog is
  // up).
  const engineCall = (name) => (...args) => {
    const f = window.Module && window.Module['_pelto5_web_' + name];
    return f ? f(...args) : 0;
  };
  const readerBar = window.pelto5ReaderBar.create(barElement, {
    key: engineCall('key'), pointer: engineCall('pointer'), canvas,
  });
  readerBar.onLayout = fitCanvas;
  window.pelto5Touch.attach(canvas, engineCall('pointer'), () => {
    if (usedByTouch) return;
    usedByTouch = true;
    readerBar.show();
  });

  // --- Saves: the save folder is IndexedDB-backed and written back after
  // every file the player writes (one write-back at a time).
  let persisting = false;
  let persistAgain = false;
  function persist() {
    if (persisting) {
      persistAgain = true;
      return;
    }
    persisting = true;
    FS.syncfs(false, (err) => {
      persisting = false;
      if (err) {
        console.error('pelto5: saves could not be stored:', err);
      } else {
        window.pelto5Stored = (window.pelto5Stored || 0) + 1;  // how many times they were stored
      }
      if (persistAgain) {
        persistAgain = false;
        persist();
      }
    });
  }

  // --- Dialogs drawn over the game; each resolves with the answer.
  function dialog(title, build) {
    return new Promise((resolve) => {
      const veil = document.createElement('div');
      veil.className = 'pelto5-veil';
      const box = document.createElement('div');
      box.className = 'pelto5-dialog';
      box.setAttribute('role', 'dialog');
      const heading = document.createElement('h1');
      heading.textContent = title;
      box.appendChild(heading);
      veil.appendChild(box);
      const close = (answer) => {
        veil.remove();
        canvas.focus();
        resolve(answer);
      };
      build(box, close);
      document.body.appendChild(veil);
      placeVeil(veil);
      // Focus once the key event that led here is over: the Enter that
      // closed one dialog must not press the button of the next.
      setTimeout(() => {
        const focus = box.querySelector('input') || box.querySelector('button');
        if (focus && veil.isConnected) focus.focus();
      }, 0);
    });
  }

  // A phone's on-screen keyboard covers the foot of the page without
  // resizing it: the veil follows the part of the viewport still visible,
  // so the dialog's field stays in view while it is typed into.
  function placeVeil(veil) {
    const view = window.visualViewport;
    if (!view) return;
    const place = () => {
      if (!veil.isConnected) {
        view.removeEventListener('resize', place);
        view.removeEventListener('scroll', place);
        return;
      }
      veil.style.top = view.offsetTop + 'px';
      veil.style.height = view.height + 'px';
    };
    view.addEventListener('resize', place);
    view.addEventListener('scroll', place);
    place();
  }

  function buttonRow(box, buttons, close) {
    const row = document.createElement('div');
    row.className = 'buttons';
    for (const [label, answer] of buttons) {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = label;
      button.addEventListener('click', () => close(answer()));
      row.appendChild(button);
    }
    box.appendChild(row);
  }

  // Answers as the engine numbers them: 0 OK, 1 Abort, 2 Ignore, 3 Yes, 4 No.
  const buttonSets = [
    [['OK', 0]],
    [['中止(A)', 1], ['無視(I)', 2]],
    [['はい(Y)', 3], ['いいえ(N)', 4]],
  ];
  const iconMarks = [['error', '✖'], ['warning', '⚠'], null];

  function messageBox(title, text, icon, buttons) {
    return dialog(title, (box, close) => {
      const body = document.createElement('div');
      body.className = 'body';
      const mark = iconMarks[icon];
      if (mark) {
        const glyph = document.createElement('span');
        glyph.className = 'icon ' + mark[0];
        glyph.textContent = mark[1];
        body.appendChild(glyph);
      }
      const message = document.createElement('div');
      message.textContent = text;
      body.appendChild(message);
      box.appendChild(body);
      const set = buttonSets[buttons] || buttonSets[0];
      buttonRow(box, set.map(([label, answer]) => [label, () => answer]), close);
      box.addEventListener('keydown', (e) => {
        if (e.key === 'Escape') {
          e.preventDefault();
          close(buttons === 0 ? 0 : -1);
        }
      });
    });
  }

  function inputQuery(caption, prompt, value) {
    return dialog(caption, (box, close) => {
      const body = document.createElement('div');
      body.className = 'body';
      const field = document.createElement('div');
      field.style.flex = '1';
      const label = document.createElement('label');
      label.textContent = prompt;
      const input = document.createElement('input');
      input.type = 'text';
      input.value = value;
      // The on-screen keyboard's own Enter finishes the answer; the text
      // is the reader's (any script, through the keyboard's input method).
      input.setAttribute('enterkeyhint', 'done');
      input.autocomplete = 'off';
      input.setAttribute('autocapitalize', 'off');
      input.spellcheck = false;
      label.appendChild(input);
      field.appendChild(label);
      body.appendChild(field);
      box.appendChild(body);
      buttonRow(box, [['OK', () => input.value], ['キャンセル', () => null]], close);
      input.addEventListener('keydown', (e) => {
        // Enter that finishes an IME composition is the composition's.
        if (e.key === 'Enter' && !e.isComposing) {
          e.preventDefault();
          close(input.value);
        } else if (e.key === 'Escape') {
          e.preventDefault();
          close(null);
        }
      });
    });
  }

  function ended(status) {
    persist();
    setStatus('ended', status === 0 ? '終了しました。' : '開けませんでした (' + status + ')。');
  }

  async function fetchBytes(path) {
    const response = await fetch(path.split('/').map(encodeURIComponent).join('/'));
    if (!response.ok) throw new Error(path + ': ' + response.status);
    return new Uint8Array(await response.arrayBuffer());
  }

  function baseName(path) {
    return path.replace(/^.*\//, '');
  }

  // Writes data at path, making the folders on the way.
  function writeFile(path, data) {
    const parts = path.split('/');
    for (let i = 2; i < parts.length; i++) {
      const folder = parts.slice(0, i).join('/');
      if (!FS.analyzePath(folder).exists) FS.mkdir(folder);
    }
    FS.writeFile(path, data);
  }

  // Downloads the face stored at path in the player's file system (called
  // by the player when it first draws with it). fonts/ may hold a subset of
  // the face, cut down to what the game's texts use; with whole (the player
  // met a character the subset lacks) the whole face, from fonts/full/ when
  // the folder has one, takes its place.
  async function fetchFont(path, whole) {
    const full = whole && game.wholeFonts && game.wholeFonts.includes(baseName(path));
    if (whole && !full) return false;
    try {
      writeFile(path, await fetchBytes((full ? 'fonts/full/' : 'fonts/') + baseName(path)));
      return true;
    } catch (err) {
      console.error('pelto5: font ' + path + ' could not be loaded: ' + err.message);
      return false;
    }
  }

  async function loadFiles() {
    const fonts = (game.fonts || []).concat(game.fontIndex ? [game.fontIndex] : []);
    const files = (game.files || []).filter((file) => !file.split('/').includes('..'));
    const loads = files.map(async (file) => writeFile(gameDir + '/' + file, await fetchBytes(siteGameDir + file)))
      .concat(fonts.map(async (file) => writeFile(fontDir + '/' + baseName(file), await fetchBytes(file))));
    const saves = new Promise((resolve, reject) => FS.syncfs(true, (err) => (err ? reject(err) : resolve())));
    await Promise.all(loads.concat([saves]));
    const saveDir = saveRoot + '/' + saveName;
    if (!FS.analyzePath(saveDir).exists) FS.mkdir(saveDir);
  }

  // The game's window is shown: the page is kept for offline play a few
  // seconds later, so the first scene does not wait behind it.
  function shown() {
    if (window.pelto5StatusTimes.shown !== undefined) return;
    window.pelto5StatusTimes.shown = performance.now();
    setTimeout(() => window.pelto5Offline.start(faceFiles(), fetchedFace), offlineDelayMs);
  }
  const offlineDelayMs = 3000;

  // Whether the face at site path face ("fonts/NAME") is in the player's
  // file system.
  function fetchedFace(face) {
    if (face.startsWith('fonts/full/')) return false;
    try {
      return FS.analyzePath(fontDir + '/' + decodeURIComponent(baseName(face))).exists;
    } catch (err) {
      return false;
    }
  }

  // The face files the index lists (the first field of each line), and the
  // whole faces of those that are subsets.
  function faceFiles() {
    try {
      const index = FS.readFile(fontDir + '/' + baseName(game.fontIndex || ''), { encoding: 'utf8' });
      const files = index.split('\n').map((line) => line.split('\t')[0]).filter((file) => file && !file.includes('/'));
      const whole = files.filter((file) => (game.wholeFonts || []).includes(file));
      return files.map((file) => 'fonts/' + encodeURIComponent(file))
        .concat(whole.map((file) => 'fonts/full/' + encodeURIComponent(file)));
    } catch (err) {
      return [];
    }
  }

  if (!game.files || !game.files.length) {
    setStatus('error: no game', 'pelto5-game.js がゲームを指定していません。');
    return;
  }

  window.Module = {
    arguments: ['--save-dir', saveRoot + '/' + saveName, game.content ? gameDir + '/' + game.content : gameDir],
    canvas,
    pelto5Page: { messageBox, inputQuery, persist, ended, fetchFont, resized: fitCanvas, shown },
    pelto5Audio: window.pelto5Audio,
    preRun: [() => {
      FS.mkdir(gameDir);
      FS.mkdir(fontDir);
      FS.mkdir(saveRoot);
      FS.mount(IDBFS, {}, saveRoot);
      addRunDependency('pelto5-files');
      loadFiles().then(() => removeRunDependency('pelto5-files'), (err) => {
        setStatus('error: ' + err.message, '読み込めませんでした: ' + err.message);
      });
    }],
    onRuntimeInitialized: () => setStatus('running', ''),
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    onAbort: (what) => setStatus('error: ' + what, 'エラー: ' + what),
  };

  const script = document.createElement('script');
  script.src = 'pelto5.js';
  script.onerror = () => setStatus('error: pelto5.js', 'pelto5.js を読み込めませんでした。');
  document.body.appendChild(script);
})();
