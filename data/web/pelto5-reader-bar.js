// The reader bar: the player's own buttons for a device without keys or a
// mouse, doing what the desktop's keys do:
//   スキップ  skip (holds Ctrl down until pressed again)
//   オート    auto-advance on and off ("A")
//   履歴      the message history (a wheel notch up)
//   メニュー  the right-click menu (a right click on the picture's centre)
//   全画面    full screen for the whole page, bar included
//   ▾ / ▴     hides the bar and shows it again
// It is an element of the page beside the canvas, so it is never in the
// scenario's screen, its saves or thumbnails, and a touch that starts on it
// never reaches the canvas.
//
// pelto5ReaderBar.create(bar, engine): bar is the (empty) element to fill;
// engine is { key(down, code), pointer(kind, button, x, y), canvas }.
// Returns { show(), hidden(), onLayout }.
window.pelto5ReaderBar = (function () {
  'use strict';
  const vkControl = 17;
  const vkA = 65;

  function create(bar, engine) {
    let skipping = false;
    let onLayout = () => {};

    function centre() {
      const r = engine.canvas.getBoundingClientRect();
      return [r.width / 2, r.height / 2];
    }

    function setSkip(on) {
      if (on === skipping) return;
      if (engine.key(on ? 1 : 0, vkControl) || !on) {
        skipping = on;
        skip.setAttribute('aria-pressed', on ? 'true' : 'false');
      }
    }

    function toggleFullScreen() {
      const root = document.documentElement;
      const request = document.fullscreenElement ? document.exitFullscreen() :
        root.requestFullscreen ? root.requestFullscreen({ navigationUI: 'hide' }) : null;
      if (request && request.catch) request.catch(() => {});
    }

    function setHidden(hide) {
      bar.classList.toggle('folded', hide);
      fold.textContent = hide ? '▴' : '▾';
      fold.setAttribute('aria-label', hide ? 'バーを出す' : 'バーを隠す');
      onLayout();
    }

    // A button that acts on a click (mouse, keyboard) or on a touch that
    // ends on it; the touch's default is prevented, so no click follows.
    function button(name, label, act) {
      const b = document.createElement('button');
      b.type = 'button';
      b.className = name;
      b.textContent = label;
      b.addEventListener('click', act);
      let touched = false;
      b.addEventListener('touchstart', (e) => {
        e.preventDefault();
        touched = true;
      }, { passive: false });
      b.addEventListener('touchend', (e) => {
        e.preventDefault();
        const t = e.changedTouches[0];
        const r = b.getBoundingClientRect();
        if (touched && t && t.clientX >= r.left && t.clientX < r.right && t.clientY >= r.top && t.clientY < r.bottom) act();
        touched = false;
      }, { passive: false });
      b.addEventListener('touchcancel', () => { touched = false; });
      bar.appendChild(b);
      return b;
    }

    const skip = button('skip', 'スキップ', () => setSkip(!skipping));
    skip.setAttribute('aria-pressed', 'false');
    button('auto', 'オート', () => {
      engine.key(1, vkA);
      engine.key(0, vkA);
    });
    button('history', '履歴', () => engine.pointer(3, 1, ...centre()));
    button('menu', 'メニュー', () => {
      const [x, y] = centre();
      engine.pointer(0, 0, x, y);
      engine.pointer(1, 2, x, y);
      engine.pointer(2, 2, x, y);
    });
    button('full-screen', '全画面', toggleFullScreen);
    const fold = button('fold', '▾', () => setHidden(!bar.classList.contains('folded')));
    fold.setAttribute('aria-label', 'バーを隠す');
    // The bar's own background takes its touches too: none of them is the
    // scenario's, and none may scroll or zoom the page.
    bar.addEventListener('touchstart', (e) => e.preventDefault(), { passive: false });
    bar.addEventListener('contextmenu', (e) => e.preventDefault());

    return {
      show() {
        if (bar.hidden) {
          bar.hidden = false;
          onLayout();
        }
      },
      shown: () => !bar.hidden,
      folded: () => bar.classList.contains('folded'),
      set onLayout(f) { onLayout = f; },
    };
  }

  return { create };
})();
