// Presenting in the web backend, in headless Chromium: the page's part of a
// present is one putImageData of the changed rectangle from a view of the
// whole 640 x 480 RGBA frame in the module's memory, as the web platform
// does it. Times a one-character change (16 x 21) against the whole frame
// and prints the ratio with its target. The canvas is the browser's
// software one (no GPU here), which takes the pixels in the call. The
// conversion of the changed rectangle to RGBA is measured by ScreenBench.
//
//   node [--experimental-websocket] bench/web-present.mjs [RUNS]
import { launchChromium } from '../tests/web/browser.mjs';

const runs = Number(process.argv[2] ?? 3);

const page = `<!doctype html><canvas id="screen" width="640" height="480"></canvas>`;

// Runs in the page: the mean time of one present of each kind, in ms.
const measure = `(async () => {
  const canvas = document.querySelector('#screen');
  const context = canvas.getContext('2d');
  const width = 640, height = 480;
  const heap = new Uint8Array(width * height * 4 + 4096);
  const frame = 1024;
  for (let i = 0; i < width * height * 4; ++i) heap[frame + i] = (i * 7) & 255;
  // As the platform does it: one ImageData viewing the frame, kept while
  // the frame stays where it is.
  const image = new ImageData(new Uint8ClampedArray(heap.buffer, frame, width * height * 4), width, height);
  const present = (x, y, w, h) => context.putImageData(image, 0, 0, x, y, w, h);
  const time = (count, step) => {
    const start = performance.now();
    for (let i = 0; i < count; ++i) step(i);
    return (performance.now() - start) / count;
  };
  const full = i => { heap[frame + (i % 1000) * 4] = i & 255; present(0, 0, width, height); };
  const character = i => {
    const x = (i * 16) % (width - 16);
    heap[frame + (200 * width + x) * 4] = i & 255;
    present(x, 200, 16, 21);
  };
  time(50, full);
  time(200, character);
  return { full: time(400, full), character: time(4000, character) };
})()`;

const browser = await launchChromium({ width: 800, height: 600 });
try {
  const tab = await browser.newPage();
  await tab.navigate('data:text/html,' + encodeURIComponent(page));
  const ratios = [];
  for (let run = 0; run < runs; ++run) {
    const { full, character } = await tab.evaluate(measure);
    ratios.push(character / full);
    console.log(`run ${run + 1}: full frame ${(full * 1000).toFixed(1)} us, ` +
                `one character ${(character * 1000).toFixed(1)} us`);
  }
  ratios.sort((a, b) => a - b);
  const median = ratios[Math.floor(ratios.length / 2)];
  console.log(`web present, one character: ${ratios[0].toFixed(3)} / ${median.toFixed(3)} / ` +
              `${ratios[ratios.length - 1].toFixed(3)} (min / median / max; target at most 0.05)`);
} finally {
  await browser.close();
}
