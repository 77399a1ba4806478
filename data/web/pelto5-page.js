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

  // The largest whole multiple of the picture that fits the window.
  function fitCanvas() {
    const scale = Math.max(1, Math.floor(Math.min(window.innerWidth / canvas.width,
                                                  (window.innerHeight - 32) / canvas.height)));
    canvas.style.width = canvas.width * scale + 'px';
    canvas.style.height = canvas.height * scale + 'px';
  }
  window.addEventListener('resize', fitCanvas);
  fitCanvas();

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
      // Focus once the key event that led here is over: the Enter that
      // closed one dialog must not press the button of the next.
      setTimeout(() => {
        const focus = box.querySelector('input') || box.querySelector('button');
        if (focus && veil.isConnected) focus.focus();
      }, 0);
    });
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
    if (!response.ok) throw new Error(url + ': ' + response.status);
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
  // by the player when it first draws with it).
  async function fetchFont(path) {
    try {
      writeFile(path, await fetchBytes('fonts/' + baseName(path)));
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

  if (!game.files || !game.files.length) {
    setStatus('error: no game', 'pelto5-game.js がゲームを指定していません。');
    return;
  }

  window.Module = {
    arguments: ['--save-dir', saveRoot + '/' + saveName, game.content ? gameDir + '/' + game.content : gameDir],
    canvas,
    pelto5Page: { messageBox, inputQuery, persist, ended, fetchFont, resized: fitCanvas },
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
