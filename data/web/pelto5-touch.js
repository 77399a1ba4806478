// Touch on the game's canvas, played as a reader with a mouse would:
//   a tap         the pointer moves to the spot as the finger lands (so a
//                 button lights up), and the left button clicks there when
//                 it lifts;
//   a long press  (500 ms without moving more than a few pixels) a right
//                 click there;
//   a two-finger tap   the message history (a wheel notch up);
//   a drag        moves the pointer and clicks nothing.
// Every touch's default is prevented, so the page neither scrolls nor
// zooms under the canvas and the browser makes no mouse events of its own.
// Points go to the engine in CSS pixels of the canvas, the same as a mouse
// event's, and go through the same letterbox.
//
// pelto5Touch.attach(canvas, send, onTouch): send(kind, button, x, y) is
// the engine's pelto5_web_pointer; onTouch() is called at every touch (the
// page shows its reader bar then).
window.pelto5Touch = (function () {
  'use strict';
  const longPressMs = 500;
  const slopPx = 10;        // how far a finger may wander and still tap
  const twoFingerMs = 600;  // a two-finger tap is over within this

  function attach(canvas, send, onTouch) {
    // The gesture under way: its fingers' start points by identifier.
    let gesture = null;

    const local = (touch) => {
      const r = canvas.getBoundingClientRect();
      return { x: touch.clientX - r.left, y: touch.clientY - r.top };
    };

    const cancelTimer = () => {
      if (gesture && gesture.timer) clearTimeout(gesture.timer);
      if (gesture) gesture.timer = 0;
    };

    const start = (e) => {
      e.preventDefault();
      if (onTouch) onTouch();
      if (!gesture) {
        const t = e.changedTouches[0];
        const p = local(t);
        gesture = { starts: new Map(), fingers: 0, most: 0, moved: false, pressed: false,
                    began: performance.now(), x: p.x, y: p.y, timer: 0 };
        send(0, 0, p.x, p.y);
        gesture.timer = setTimeout(() => {
          gesture.timer = 0;
          if (gesture.most !== 1 || gesture.moved) return;
          gesture.pressed = true;
          send(1, 2, gesture.x, gesture.y);
          send(2, 2, gesture.x, gesture.y);
        }, longPressMs);
      }
      for (const t of e.changedTouches) gesture.starts.set(t.identifier, local(t));
      gesture.fingers = e.touches.length;
      gesture.most = Math.max(gesture.most, gesture.fingers);
      if (gesture.most > 1) cancelTimer();
    };

    const move = (e) => {
      e.preventDefault();
      if (!gesture) return;
      for (const t of e.changedTouches) {
        const from = gesture.starts.get(t.identifier);
        if (!from) continue;
        const p = local(t);
        if (Math.abs(p.x - from.x) > slopPx || Math.abs(p.y - from.y) > slopPx) gesture.moved = true;
        if (gesture.most === 1 && gesture.moved && !gesture.pressed) {
          cancelTimer();
          gesture.x = p.x;
          gesture.y = p.y;
          send(0, 0, p.x, p.y);
        }
      }
    };

    const end = (e) => {
      e.preventDefault();
      if (!gesture) return;
      if (e.touches.length > 0) return;  // the gesture ends with its last finger
      const g = gesture;
      cancelTimer();
      gesture = null;
      if (e.type === 'touchcancel' || g.moved || g.pressed) return;
      if (g.most === 1) {
        send(1, 0, g.x, g.y);
        send(2, 0, g.x, g.y);
      } else if (g.most === 2 && performance.now() - g.began <= twoFingerMs) {
        send(3, 1, g.x, g.y);
      }
    };

    const options = { passive: false };
    canvas.addEventListener('touchstart', start, options);
    canvas.addEventListener('touchmove', move, options);
    canvas.addEventListener('touchend', end, options);
    canvas.addEventListener('touchcancel', end, options);
  }

  return { attach };
})();
