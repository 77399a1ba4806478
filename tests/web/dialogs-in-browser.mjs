// The page's dialogs and the browser's storage, through a game of the
// test's own: the text-input dialog takes a name typed into the page, an
// error report box is answered with its OK button, and the values the game
// saves are read back by the same game after the page is reloaded.
//
//   node --experimental-websocket tests/web/dialogs-in-browser.mjs --site DIR
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { serveStatic } from './serve.mjs';
import { launchChromium } from './browser.mjs';
import { script, siteWithGame, waitInPage } from './game-site.mjs';

// Asks for a name unless an earlier run saved one; saves it, then divides
// by zero (which reports the error in a message box).
export const GAME_LINES = [
  'SaveCtrl.Command=LoadValue', 'SaveCtrl.Key=seen', 'SaveCtrl.Variable=%seen%', '@SaveCtrl',
  'if.Compare=Equal', 'if.Variable1=%seen%', 'if.Variable2=0', '@if',
  'StringInput.StringVar=$ans$', 'StringInput.Caption=Name', 'StringInput.Text=Your name?', '@StringInput',
  'SaveCtrl.Command=SaveValue', 'SaveCtrl.Key=name', 'SaveCtrl.Value=$ans$', '@SaveCtrl',
  'SaveCtrl.Command=SaveValue', 'SaveCtrl.Key=seen', 'SaveCtrl.Value=1', '@SaveCtrl',
  'ValueCtrl.ValueVar=%x%', 'ValueCtrl.LeftValue=5', 'ValueCtrl.RightValue=0', 'ValueCtrl.Calc=Div', '@ValueCtrl',
  '@endif',
];

const NAME = 'ナギ';
// "name=ナギ" as the settings file holds it (Shift-JIS).
const SAVED_NAME = Buffer.concat([Buffer.from('name='), Buffer.from([0x83, 0x69, 0x83, 0x4D])]);

const DIALOG = `(() => {
  const box = document.querySelector('.pelto5-dialog');
  if (!box) return null;
  const input = box.querySelector('input');
  return { title: box.querySelector('h1').textContent, input: input ? input.value : null,
           focused: input !== null && document.activeElement === input,
           text: box.querySelector('.body').textContent, buttons: [...box.querySelectorAll('button')].map(b => b.textContent) };
})()`;

const SETTINGS = `(() => {
  try { return btoa(String.fromCharCode(...FS.readFile('/saves/dialogs/p_save00.svi'))); } catch (e) { return null; }
})()`;

async function clickButton(page, label) {
  const found = await page.evaluate(`(() => {
    const b = [...document.querySelectorAll('.pelto5-dialog button')].find(b => b.textContent === ${JSON.stringify(label)});
    if (!b) return false;
    b.click();
    return true;
  })()`);
  if (!found) throw new Error(`no button "${label}" in the dialog`);
}

async function run(site, work) {
  const dir = path.join(work, 'site');
  siteWithGame(site, dir, 'dialogs', { 'pelto.pf5': script(GAME_LINES) });
  const server = await serveStatic(dir, 0);
  const browser = await launchChromium();
  let page = null;
  try {
    page = await browser.newPage();
    await page.navigate(server.url);
    // Typed text goes where the focus is: the dialog takes it just after it
    // shows, so wait for that.
    const ask = await waitInPage(page, DIALOG, d => d !== null && d.focused, 60000, 'the text-input dialog');
    if (ask.title !== 'Name' || !ask.text.includes('Your name?') || ask.input !== '')
      throw new Error(`the text-input dialog shows ${JSON.stringify(ask)}`);
    // Typed as a person types (composed text arrives as inserted text), then Enter.
    await page.send('Input.insertText', { text: NAME });
    await page.key({ key: 'Enter', code: 'Enter', keyCode: 13, text: '\r' }, 50);
    console.log(`ok the text-input dialog took "${NAME}"`);

    const report = await waitInPage(page, DIALOG, d => d !== null && d.input === null, 30000, 'the error report box');
    if (report.buttons.join() !== 'OK' || !report.text.includes('error report'))
      throw new Error(`the error report box shows ${JSON.stringify(report)}`);
    await clickButton(page, 'OK');
    console.log(`ok the error report box ("${report.text.replace(/\s+/g, ' ').trim()}") was answered`);
    await waitInPage(page, 'String(window.pelto5Status)', s => s === 'ended', 30000, 'the end of the game');
    const settings = Buffer.from(await waitInPage(page, SETTINGS, v => v !== null, 10000, 'the settings file'), 'base64');
    if (!settings.includes(SAVED_NAME)) throw new Error(`the settings file lacks the name: ${settings.toString('latin1')}`);
    await waitInPage(page, 'window.pelto5Stored || 0', v => v > 0, 10000, 'storing the saves');
    console.log('ok the settings file holds the name in Shift-JIS');

    // Again: the game reads what it saved and asks nothing.
    await page.navigate(server.url);
    await waitInPage(page, 'String(window.pelto5Status)', s => s === 'ended', 60000, 'the second run');
    const shown = await page.evaluate(DIALOG);
    if (shown !== null) throw new Error(`the second run showed a dialog: ${JSON.stringify(shown)}`);
    console.log('ok after a reload the game found its saved values and asked nothing');
  } catch (err) {
    const lines = page ? page.consoleLines.slice(-10) : [];
    if (lines.length) console.error(`  the page's last console lines:\n    ${lines.join('\n    ')}`);
    throw err;
  } finally {
    await browser.close();
    server.close();
  }
}

const site = process.argv[process.argv.indexOf('--site') + 1];
if (!process.argv.includes('--site') || !site) {
  console.error('usage: dialogs-in-browser.mjs --site DIR');
  process.exit(2);
}
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'pelto5-web-dialogs-'));
let status = 1;
try {
  await run(site, work);
  console.log('PASS: the page\'s dialogs answer the game, and its saves survive a reload');
  status = 0;
} catch (err) {
  console.error(`FAIL: ${err.message}`);
}
fs.rmSync(work, { recursive: true, force: true });
process.exit(status);
