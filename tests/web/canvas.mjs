// The page's canvas in the browser tests: reading it, finding a picture
// pixel on the page, and waiting until it shows an expected frame.
import { compare, diffImage, formatBox, writePng } from './frames.mjs';

export const sleep = ms => new Promise(done => setTimeout(done, ms));

export function withTimeout(promise, ms, what) {
  let timer;
  return Promise.race([
    promise.finally(() => clearTimeout(timer)),
    new Promise((_, reject) => { timer = setTimeout(() => reject(new Error(`${what}: no answer within ${ms} ms (is the page blocking the browser?)`)), ms); }),
  ]);
}

// The canvas as { width, height, data } plus the page's status; null while
// there is no canvas of a size yet.
const READ_CANVAS = `(() => {
  const status = window.pelto5Status === undefined ? 'undefined' : String(window.pelto5Status);
  const c = document.getElementById('screen');
  if (!c || !c.width || !c.height) return { status, image: null };
  const g = c.getContext('2d');
  if (!g) return { status, image: null, note: 'the canvas has no 2d context' };
  const d = g.getImageData(0, 0, c.width, c.height).data;
  let s = '';
  for (let i = 0; i < d.length; i += 0x8000) s += String.fromCharCode.apply(null, d.subarray(i, i + 0x8000));
  return { status, image: { width: c.width, height: c.height, data: btoa(s) } };
})()`;

// Where on the page (CSS pixels of the viewport) the centre of the canvas's
// pixel x,y is, whatever the canvas's CSS size, border and padding.
const CANVAS_GEOMETRY = `(() => {
  const c = document.getElementById('screen');
  const r = c.getBoundingClientRect(), s = getComputedStyle(c);
  const pl = parseFloat(s.paddingLeft) || 0, pt = parseFloat(s.paddingTop) || 0;
  const pr = parseFloat(s.paddingRight) || 0, pb = parseFloat(s.paddingBottom) || 0;
  return { left: r.left + c.clientLeft + pl, top: r.top + c.clientTop + pt,
           width: c.clientWidth - pl - pr, height: c.clientHeight - pt - pb,
           pixelsX: c.width, pixelsY: c.height };
})()`;

export async function readCanvas(page) {
  const value = await withTimeout(page.evaluate(READ_CANVAS), 15000, 'reading the canvas');
  if (!value.image) return { status: value.status, image: null, note: value.note };
  const { width, height, data } = value.image;
  return { status: value.status, image: { width, height, data: Buffer.from(data, 'base64') } };
}

export async function pagePoint(page, x, y) {
  const g = await withTimeout(page.evaluate(CANVAS_GEOMETRY), 15000, 'measuring the canvas');
  return { x: g.left + (x + 0.5) * g.width / g.pixelsX, y: g.top + (y + 0.5) * g.height / g.pixelsY };
}

// Polls the canvas until it equals the expected frame outside the mask.
// Resolves to null on success, else to a description of the failure.
export async function waitForFrame(page, expected, timeoutMs) {
  const deadline = Date.now() + timeoutMs;
  let last = null;
  for (;;) {
    const shown = await readCanvas(page);
    if (shown.status.startsWith('error'))
      return { why: `the page reports "${shown.status}"`, last: shown.image ?? last };
    if (shown.image) {
      last = shown.image;
      const d = compare(expected.frame, shown.image, expected.mask);
      if (d.sameSize && d.count === 0) return null;
      if (Date.now() > deadline) {
        if (!d.sameSize)
          return { why: `the canvas is ${shown.image.width}x${shown.image.height}, the frame ` +
                        `${expected.frame.width}x${expected.frame.height} (status "${shown.status}")`, last: null };
        return { why: `${d.count} pixels differ outside the mask, in ${formatBox(d.box)} ` +
                      `(status "${shown.status}")`, last };
      }
    } else if (Date.now() > deadline) {
      return { why: `no canvas#screen with a size appeared (status "${shown.status}"` +
                    `${shown.note ? ', ' + shown.note : ''})`, last: null };
    }
    if (shown.status === 'ended')
      return { why: 'the engine ended before the frame appeared', last };
    await sleep(100);
  }
}

export function saveFailure(expected, image) {
  if (!image) return;
  const base = expected.file.replace(/@\d+\.png$/, '');
  writePng(`${base}.browser.png`, image);
  console.error(`  the page's frame: ${base}.browser.png`);
  if (image.width === expected.frame.width && image.height === expected.frame.height) {
    writePng(`${base}.diff.png`, diffImage(expected.frame, image, expected.mask));
    console.error(`  the difference:   ${base}.diff.png (red: differs, yellow: differs inside the mask, blue: the mask)`);
  }
}
