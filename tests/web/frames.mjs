// Expected frames for the browser test and their comparison with what the
// page shows.
//
// The native headless player writes each expected frame as a series of
// shots a little apart in time, "NAME@MS.png", while the engine waits at
// that point. The last shot is the frame; the pixels that differ within the
// series (the blinking key-wait mark) make the frame's mask, the only place
// where the page's picture may differ.
import fs from 'node:fs';
import path from 'node:path';
import { decodePng, encodePng } from './png.mjs';

// A box is { left, top, right, bottom } with right/bottom exclusive; null is
// the empty box.
export function boxWidth(box) { return box ? box.right - box.left : 0; }
export function boxHeight(box) { return box ? box.bottom - box.top : 0; }
export function formatBox(box) {
  return box ? `x ${box.left}..${box.right - 1}, y ${box.top}..${box.bottom - 1} ` +
               `(${boxWidth(box)}x${boxHeight(box)})` : 'none';
}

function extend(box, x, y) {
  if (!box) return { left: x, top: y, right: x + 1, bottom: y + 1 };
  if (x < box.left) box.left = x;
  if (y < box.top) box.top = y;
  if (x >= box.right) box.right = x + 1;
  if (y >= box.bottom) box.bottom = y + 1;
  return box;
}

function inBox(box, x, y) {
  return box !== null && x >= box.left && x < box.right && y >= box.top && y < box.bottom;
}

// Counts the pixels (all four channels compared) that differ outside mask,
// with the box around them.
export function compare(expected, actual, mask = null) {
  if (expected.width !== actual.width || expected.height !== actual.height)
    return { sameSize: false, count: expected.width * expected.height, box: null };
  let count = 0, box = null;
  const a = expected.data, b = actual.data;
  for (let y = 0, i = 0; y < expected.height; y++) {
    for (let x = 0; x < expected.width; x++, i += 4) {
      if (a[i] === b[i] && a[i + 1] === b[i + 1] && a[i + 2] === b[i + 2] && a[i + 3] === b[i + 3])
        continue;
      if (inBox(mask, x, y)) continue;
      count++;
      box = extend(box, x, y);
    }
  }
  return { sameSize: true, count, box };
}

// Loads the series "NAME@MS.png" from dir: the frame (the latest shot) and
// the mask derived from the series. A mask wider or taller than maxMask is
// refused, so that it can never hide a real difference.
export function loadExpected(dir, name, maxMask) {
  const pattern = new RegExp(`^${name.replace(/[.*+?^${}()|[\]\\]/g, '\\$&')}@(\\d+)\\.png$`);
  const shots = fs.readdirSync(dir)
    .map(file => ({ file, match: pattern.exec(file) }))
    .filter(s => s.match)
    .map(s => ({ file: path.join(dir, s.file), ms: Number(s.match[1]) }))
    .sort((p, q) => p.ms - q.ms);
  if (shots.length < 2)
    throw new Error(`${name}: needs a series of at least two shots ${name}@MS.png in ${dir}, found ${shots.length}`);
  const images = shots.map(s => decodePng(fs.readFileSync(s.file), s.file));
  const frame = images[images.length - 1];
  let mask = null;
  for (const image of images.slice(0, -1)) {
    const d = compare(frame, image);
    if (!d.sameSize) throw new Error(`${name}: the shots of the series differ in size`);
    if (d.box) {
      mask = extend(mask, d.box.left, d.box.top);
      mask = extend(mask, d.box.right - 1, d.box.bottom - 1);
    }
  }
  if (boxWidth(mask) > maxMask || boxHeight(mask) > maxMask)
    throw new Error(`${name}: the shots ${shots[0].ms}..${shots[shots.length - 1].ms} ms differ in ` +
                    `${formatBox(mask)}, more than a ${maxMask}x${maxMask} blinking mark; ` +
                    'the engine is not waiting still there');
  return { name, frame, mask, file: shots[shots.length - 1].file, series: shots.map(s => s.ms) };
}

// A picture of the difference: the expected frame darkened, differing pixels
// red, differing pixels inside the mask yellow, the mask's border blue.
export function diffImage(expected, actual, mask) {
  const { width, height } = expected;
  const out = Buffer.alloc(width * height * 4);
  const a = expected.data, b = actual.data;
  for (let y = 0, i = 0; y < height; y++) {
    for (let x = 0; x < width; x++, i += 4) {
      const differs = a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2] || a[i + 3] !== b[i + 3];
      const border = mask && inBox(mask, x, y) &&
        (x === mask.left || y === mask.top || x === mask.right - 1 || y === mask.bottom - 1);
      let rgb;
      if (differs) rgb = inBox(mask, x, y) ? [255, 255, 0] : [255, 0, 0];
      else if (border) rgb = [0, 128, 255];
      else rgb = [a[i] >> 2, a[i + 1] >> 2, a[i + 2] >> 2];
      out[i] = rgb[0]; out[i + 1] = rgb[1]; out[i + 2] = rgb[2]; out[i + 3] = 255;
    }
  }
  return { width, height, data: out };
}

export function writePng(file, image) {
  fs.writeFileSync(file, encodePng(image));
}
