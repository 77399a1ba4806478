// Small games of the tests' own, played in a copy of a built web folder.
import fs from 'node:fs';
import path from 'node:path';

// A script file (Shift-JIS, but these scripts are ASCII) whose one page
// holds lines; the player ends when it runs off the end of the page.
export function script(lines) {
  return ['/// Game Creative Tool - Peltoforge Fifth -', '/// pelto5 web test',
          '<Head="Pelto">', 'FileType=PV5', 'CommandVersion=19', 'StartBook=Test', 'StartPage=Main',
          '<Head End>', '<Book="Test">', '<Page="Main">', ...lines, '<Page End>', '<Book End>', ''].join('\r\n');
}

// Makes dir a copy of the web folder site playing a game folder of files
// (name -> bytes), its saves kept under name; settings replace entries of
// the site's pelto5Game.
export function siteWithGame(site, dir, name, files, settings = {}) {
  fs.cpSync(site, dir, { recursive: true, filter: src => path.relative(site, src) !== 'game' });
  const gameDir = path.join(dir, 'game');
  fs.mkdirSync(gameDir);
  fs.copyFileSync(path.join(site, 'game', 'peltort5.pml'), path.join(gameDir, 'peltort5.pml'));
  for (const [file, bytes] of Object.entries(files)) fs.writeFileSync(path.join(gameDir, file), bytes);
  // The site's own description, with this game in place of its game.
  const window = {};
  new Function('window', fs.readFileSync(path.join(site, 'pelto5-game.js'), 'utf8'))(window);
  const game = { ...window.pelto5Game, content: '', files: ['peltort5.pml', ...Object.keys(files)], name, ...settings };
  fs.writeFileSync(path.join(dir, 'pelto5-game.js'), `window.pelto5Game = ${JSON.stringify(game)};\n`);
  // The service worker's start files, as scripts/build-web would list them
  // for this game: the site's own that are still there, and the game's.
  const sw = path.join(dir, 'pelto5-sw.js');
  if (fs.existsSync(sw)) {
    const text = fs.readFileSync(sw, 'utf8');
    const line = text.match(/^const pelto5Files = (\[.*\]);$/m);
    if (line) {
      const kept = JSON.parse(line[1]).filter(file => fs.existsSync(path.join(dir, ...file.split('/').map(decodeURIComponent))));
      const added = game.files.map(file => 'game/' + file.split('/').map(encodeURIComponent).join('/'));
      const files = [...new Set([...kept, ...added])];
      fs.writeFileSync(sw, text.replace(line[0], `const pelto5Files = ${JSON.stringify(files)};`));
    }
  }
}

const sleep = ms => new Promise(done => setTimeout(done, ms));

// Polls expression in the page until check(value) holds and returns that
// value; throws after timeoutMs, or when the page reports an error.
export async function waitInPage(page, expression, check, timeoutMs, what) {
  const deadline = Date.now() + timeoutMs;
  for (;;) {
    const status = String(await page.evaluate('String(window.pelto5Status)'));
    if (status.startsWith('error')) throw new Error(`${what}: the page failed: ${status}`);
    const value = await page.evaluate(expression);
    if (check(value)) return value;
    if (Date.now() > deadline) throw new Error(`${what}: still ${JSON.stringify(value)} after ${timeoutMs} ms`);
    await sleep(50);
  }
}
