// Checks the browser test itself against a stand-in page
// (driver-selftest/index.html) that shows the native shots: the test must
// pass when the page shows the expected frames, even with differences
// inside the blinking mark, and must fail when a few pixels outside it
// differ or when the page reports an error.
//
//   node --experimental-websocket tests/web/driver-selftest.mjs --frames DIR
//
// DIR holds the native shots (see demo-frames.events); it is only read.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { loadExpected } from './frames.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const NAMES = ['01-first-night', '02-the-lamp', '03-choice', '04-the-cape'];

const argv = process.argv.slice(2);
const framesAt = argv.indexOf('--frames');
if (framesAt < 0 || !argv[framesAt + 1]) {
  console.error('usage: driver-selftest.mjs --frames DIR');
  process.exit(2);
}
const frames = argv[framesAt + 1];

// One run of the test against the stand-in page showing the given fault,
// in a fresh folder (the test writes its failure pictures beside the
// expected frames).
function runWith(fault, timeoutSeconds) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'pelto5-web-selftest-'));
  try {
    const site = path.join(dir, 'site'), expected = path.join(dir, 'expected');
    fs.mkdirSync(path.join(site, 'frames'), { recursive: true });
    fs.mkdirSync(expected);
    fs.copyFileSync(path.join(here, 'driver-selftest', 'index.html'), path.join(site, 'index.html'));
    const config = { fault, frames: {} };
    for (const name of NAMES) {
      const files = fs.readdirSync(frames).filter(f => f.startsWith(`${name}@`) && f.endsWith('.png'))
        .sort((a, b) => parseInt(a.slice(name.length + 1)) - parseInt(b.slice(name.length + 1)));
      for (const f of files) {
        fs.copyFileSync(path.join(frames, f), path.join(site, 'frames', f));
        fs.copyFileSync(path.join(frames, f), path.join(expected, f));
      }
      config.frames[name] = files;
    }
    const mask = loadExpected(frames, NAMES[3], 64).mask;
    if (fault === 'in-mask') {
      if (!mask) throw new Error(`${NAMES[3]} has no mask to spoil`);
      config.maskPoints = [[mask.left, mask.top], [mask.right - 1, mask.bottom - 1]];
    }
    fs.writeFileSync(path.join(site, 'config.json'), JSON.stringify(config));
    const run = spawnSync(process.execPath,
      [...process.execArgv, path.join(here, 'demo-in-browser.mjs'), '--site', site, '--frames', expected,
       '--timeout', String(timeoutSeconds)],
      { encoding: 'utf8' });
    return {
      status: run.status,
      output: run.stdout + run.stderr,
      wrote: fs.readdirSync(expected).filter(f => /\.(browser|diff)\.png$/.test(f)),
    };
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

const cases = [
  { fault: 'none', timeout: 30, expect: r => r.status === 0,
    says: 'passes when the page shows the expected frames' },
  { fault: 'in-mask', timeout: 30, expect: r => r.status === 0,
    says: 'passes when only pixels inside the mark\'s mask differ' },
  { fault: 'pixels', timeout: 5,
    expect: r => r.status === 1 && /FAIL 04-the-cape: 3 pixels differ outside the mask, in x 100\.\.101, y 100\.\.101/.test(r.output) &&
                 r.wrote.includes('04-the-cape.browser.png') && r.wrote.includes('04-the-cape.diff.png'),
    says: 'fails, naming 3 pixels and saving the pictures, when 3 pixels outside the mask differ' },
  { fault: 'error', timeout: 30, expect: r => r.status === 1 && /the page reports "error: /.test(r.output),
    says: 'fails at once when the page reports an error' },
];

let failed = 0;
for (const c of cases) {
  const started = Date.now();
  const result = runWith(c.fault, c.timeout);
  const ok = c.expect(result);
  const seconds = ((Date.now() - started) / 1000).toFixed(1);
  console.log(`${ok ? 'ok' : 'FAIL'}: the browser test ${c.says} (fault "${c.fault}", exit ${result.status}, ${seconds} s)`);
  if (!ok || process.env.VERBOSE) console.log(result.output.replace(/^/gm, '    '));
  if (!ok) failed++;
}
process.exit(failed ? 1 : 0);
