// Headless Chromium driven over its DevTools protocol, with nothing but
// Node's standard library (run node with --experimental-websocket on Node 20).
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const sleep = ms => new Promise(done => setTimeout(done, ms));

export function findChromium() {
  const names = [process.env.CHROMIUM, 'chromium', 'chromium-browser', 'google-chrome',
                 'google-chrome-stable'].filter(Boolean);
  for (const name of names) {
    if (name.includes('/')) {
      if (fs.existsSync(name)) return name;
      continue;
    }
    for (const dir of (process.env.PATH ?? '').split(':')) {
      const candidate = path.join(dir || '.', name);
      try {
        fs.accessSync(candidate, fs.constants.X_OK);
        return candidate;
      } catch { /* next */ }
    }
  }
  return null;
}

// One DevTools connection; send() resolves with a command's result,
// waitFor() with the next event of a name that passes a test.
class Connection {
  constructor(socket) {
    this.socket = socket;
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = new Set();
    socket.addEventListener('message', event => this.#receive(JSON.parse(event.data)));
    socket.addEventListener('close', () => this.#failAll(new Error('the browser closed the connection')));
  }

  static open(url) {
    return new Promise((resolve, reject) => {
      const socket = new WebSocket(url);
      socket.addEventListener('open', () => resolve(new Connection(socket)), { once: true });
      socket.addEventListener('error', () => reject(new Error(`cannot connect to ${url}`)), { once: true });
    });
  }

  #receive(message) {
    if (message.id !== undefined) {
      const call = this.pending.get(message.id);
      if (!call) return;
      this.pending.delete(message.id);
      if (message.error) call.reject(new Error(`${call.method}: ${message.error.message}`));
      else call.resolve(message.result);
      return;
    }
    for (const listener of [...this.listeners]) listener(message);
  }

  #failAll(error) {
    for (const call of this.pending.values()) call.reject(error);
    this.pending.clear();
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, method });
      this.socket.send(JSON.stringify({ id, method, params, sessionId }));
    });
  }

  waitFor(method, test = () => true, timeoutMs = 30000) {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        this.listeners.delete(listener);
        reject(new Error(`no ${method} within ${timeoutMs} ms`));
      }, timeoutMs);
      const listener = message => {
        if (message.method === method && test(message)) {
          clearTimeout(timer);
          this.listeners.delete(listener);
          resolve(message);
        }
      };
      this.listeners.add(listener);
    });
  }

  close() {
    try { this.socket.close(); } catch { /* already closed */ }
  }
}

// A page (tab) of the browser; commands go through the browser connection
// with the page's session id.
class Page {
  constructor(connection, sessionId) {
    this.connection = connection;
    this.sessionId = sessionId;
    this.consoleLines = [];
    connection.listeners.add(message => {
      if (message.sessionId !== sessionId) return;
      if (message.method === 'Runtime.consoleAPICalled') {
        const text = message.params.args.map(a => a.value ?? a.description ?? a.type).join(' ');
        this.consoleLines.push(`console.${message.params.type}: ${text}`);
      } else if (message.method === 'Runtime.exceptionThrown') {
        const d = message.params.exceptionDetails;
        this.consoleLines.push(`exception: ${d.exception?.description ?? d.text}`);
      }
    });
  }

  send(method, params = {}) {
    return this.connection.send(method, params, this.sessionId);
  }

  // The value of a JavaScript expression in the page (awaited when it is a
  // promise); a thrown exception becomes an Error.
  async evaluate(expression) {
    const result = await this.send('Runtime.evaluate', {
      expression, returnByValue: true, awaitPromise: true,
    });
    if (result.exceptionDetails) {
      const d = result.exceptionDetails;
      throw new Error(`in the page: ${d.exception?.description ?? d.text}`);
    }
    return result.result.value;
  }

  async navigate(url, timeoutMs = 30000) {
    const loaded = this.connection.waitFor('Page.loadEventFired',
                                           m => m.sessionId === this.sessionId, timeoutMs);
    const result = await this.send('Page.navigate', { url });
    if (result.errorText) throw new Error(`cannot open ${url}: ${result.errorText}`);
    await loaded;
  }

  // Presses a key and releases it holdMs later.
  async key({ key, code, keyCode, text }, holdMs = 0) {
    const common = { key, code, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode };
    await this.send('Input.dispatchKeyEvent', { type: 'keyDown', text, unmodifiedText: text, ...common });
    if (holdMs) await sleep(holdMs);
    await this.send('Input.dispatchKeyEvent', { type: 'keyUp', ...common });
  }

  async mouseMove(x, y) {
    await this.send('Input.dispatchMouseEvent', { type: 'mouseMoved', x, y, button: 'none' });
  }

  // Makes the page a phone's: a viewport of width x height CSS pixels
  // (portrait when it is taller than wide), a touch screen with five touch
  // points, and the page's viewport meta tag in force.
  async emulatePhone(width, height) {
    const portrait = height >= width;
    await this.send('Emulation.setDeviceMetricsOverride', {
      width, height, deviceScaleFactor: 1, mobile: true,
      screenOrientation: { type: portrait ? 'portraitPrimary' : 'landscapePrimary', angle: portrait ? 0 : 90 },
    });
    await this.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
  }

  // Puts fingers (each [x, y], viewport CSS pixels) on the screen together,
  // and lifts them all holdMs later; moveTo, when given, is where the first
  // finger slides to before it lifts.
  async touch(fingers, holdMs = 80, moveTo = null) {
    const points = fingers.map(([x, y], id) => ({ x, y, id, radiusX: 1, radiusY: 1, force: 1 }));
    await this.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: points });
    if (moveTo) {
      const steps = 5;
      for (let i = 1; i <= steps; i++) {
        await sleep(holdMs / (steps + 1));
        const x = fingers[0][0] + (moveTo[0] - fingers[0][0]) * i / steps;
        const y = fingers[0][1] + (moveTo[1] - fingers[0][1]) * i / steps;
        await this.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [{ ...points[0], x, y }, ...points.slice(1)] });
      }
      await sleep(holdMs / (steps + 1));
    } else if (holdMs) {
      await sleep(holdMs);
    }
    await this.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  }

  // Moves the pointer to x,y, presses the left button and releases it
  // holdMs later.
  async click(x, y, holdMs = 0) {
    await this.mouseMove(x, y);
    await this.send('Input.dispatchMouseEvent', { type: 'mousePressed', x, y, button: 'left', buttons: 1, clickCount: 1 });
    if (holdMs) await sleep(holdMs);
    await this.send('Input.dispatchMouseEvent', { type: 'mouseReleased', x, y, button: 'left', buttons: 0, clickCount: 1 });
  }
}

// Starts headless Chromium with a fresh profile. Resolves to
// { newPage(), close() }; close() ends the browser's whole process group
// and removes the profile, and may be called more than once.
export async function launchChromium({ executable = findChromium(), width = 1024, height = 768,
                                       startTimeoutMs = 30000 } = {}) {
  if (!executable) throw new Error('no Chromium found (set CHROMIUM to its path)');
  if (typeof WebSocket === 'undefined')
    throw new Error('this Node has no WebSocket; run it with --experimental-websocket (Node 20) or use Node 22+');
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'pelto5-chromium-'));
  const args = [
    '--headless=new', '--no-sandbox', '--disable-gpu', '--no-first-run',
    '--no-default-browser-check', '--disable-extensions', '--mute-audio',
    '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
    '--disable-backgrounding-occluded-windows', '--autoplay-policy=no-user-gesture-required',
    '--force-device-scale-factor=1', `--window-size=${width},${height}`,
    '--remote-debugging-port=0', `--user-data-dir=${profile}`, 'about:blank',
  ];
  const child = spawn(executable, args, { detached: true, stdio: ['ignore', 'ignore', 'pipe'] });
  let stderr = '';
  child.stderr.on('data', data => { stderr = (stderr + data).slice(-4000); });
  let exited = false;
  const exitedPromise = new Promise(done => child.on('exit', () => { exited = true; done(); }));
  child.on('error', () => { exited = true; });

  let connection = null, closed = false;
  const close = async () => {
    if (closed) return;
    closed = true;
    connection?.close();
    if (!exited) {
      try { process.kill(-child.pid, 'SIGTERM'); } catch { /* gone */ }
      await Promise.race([exitedPromise, sleep(3000)]);
      if (!exited) {
        try { process.kill(-child.pid, 'SIGKILL'); } catch { /* gone */ }
        await Promise.race([exitedPromise, sleep(2000)]);
      }
    }
    fs.rmSync(profile, { recursive: true, force: true });
  };

  try {
    const portFile = path.join(profile, 'DevToolsActivePort');
    const deadline = Date.now() + startTimeoutMs;
    let lines = null;
    while (!lines) {
      if (exited) throw new Error(`Chromium exited at start:\n${stderr}`);
      if (Date.now() > deadline) throw new Error(`Chromium did not start within ${startTimeoutMs} ms:\n${stderr}`);
      try {
        const text = fs.readFileSync(portFile, 'utf8').split('\n');
        if (text.length >= 2 && text[1]) lines = text;
      } catch { /* not yet */ }
      if (!lines) await sleep(100);
    }
    connection = await Connection.open(`ws://127.0.0.1:${lines[0].trim()}${lines[1].trim()}`);
  } catch (err) {
    await close();
    throw err;
  }

  const newPage = async () => {
    const { targetId } = await connection.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await connection.send('Target.attachToTarget', { targetId, flatten: true });
    const page = new Page(connection, sessionId);
    await page.send('Page.enable');
    await page.send('Runtime.enable');
    await page.send('Emulation.setFocusEmulationEnabled', { enabled: true });
    await page.send('Page.bringToFront');
    return page;
  };
  return { newPage, close, stderr: () => stderr };
}
