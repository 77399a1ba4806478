// A small static file server for the web folder: GET and HEAD only, files
// under the root only, and the content types a browser insists on (notably
// application/wasm, which WebAssembly.instantiateStreaming requires).
//
// As a program: node serve.mjs [DIR] [PORT]  (PORT 0 picks a free one)
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.htm': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.jpg': 'image/jpeg',
  '.jpeg': 'image/jpeg',
  '.gif': 'image/gif',
  '.bmp': 'image/bmp',
  '.ico': 'image/x-icon',
  '.svg': 'image/svg+xml',
  '.wav': 'audio/wav',
  '.ogg': 'audio/ogg',
  '.mp3': 'audio/mpeg',
  '.mid': 'audio/midi',
  '.ttf': 'font/ttf',
  '.otf': 'font/otf',
  '.txt': 'text/plain; charset=utf-8',
};

export function contentType(file) {
  return TYPES[path.extname(file).toLowerCase()] ?? 'application/octet-stream';
}

// Resolves a request path to a file under root, or null when it would leave
// the root or names nothing that can be served.
function resolve(root, urlPath) {
  let decoded;
  try {
    decoded = decodeURIComponent(urlPath.split('?')[0].split('#')[0]);
  } catch {
    return null;
  }
  if (decoded.includes('\0')) return null;
  let file = path.resolve(root, '.' + path.posix.normalize('/' + decoded));
  if (file !== root && !file.startsWith(root + path.sep)) return null;
  try {
    if (fs.statSync(file).isDirectory()) file = path.join(file, 'index.html');
    return fs.statSync(file).isFile() ? file : null;
  } catch {
    return null;
  }
}

// Starts serving dir on 127.0.0.1:port (0 = a free port). Resolves to
// { server, port, url, requests, close() }; requests lists the paths asked
// for so far.
export function serveStatic(dir, port = 0, host = '127.0.0.1') {
  const root = fs.realpathSync(path.resolve(dir));
  const requests = [];  // the paths asked for, in order
  const server = http.createServer((req, res) => {
    requests.push(req.url ?? '/');
    if (req.method !== 'GET' && req.method !== 'HEAD') {
      res.writeHead(405, { Allow: 'GET, HEAD' }).end();
      return;
    }
    const file = resolve(root, req.url ?? '/');
    if (!file) {
      res.writeHead(404, { 'Content-Type': 'text/plain; charset=utf-8' }).end('not found\n');
      return;
    }
    const size = fs.statSync(file).size;
    res.writeHead(200, {
      'Content-Type': contentType(file),
      'Content-Length': size,
      'Cache-Control': 'no-cache',
    });
    if (req.method === 'HEAD') {
      res.end();
      return;
    }
    const stream = fs.createReadStream(file);
    stream.on('error', () => res.destroy());
    stream.pipe(res);
  });
  return new Promise((resolvePromise, reject) => {
    server.once('error', reject);
    server.listen(port, host, () => {
      const actual = server.address().port;
      resolvePromise({
        server,
        port: actual,
        url: `http://${host}:${actual}/`,
        requests,
        close: () => new Promise(done => {
          server.closeAllConnections?.();
          server.close(() => done());
        }),
      });
    });
  });
}

if (process.argv[1] && fs.realpathSync(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const dir = process.argv[2] ?? 'build-web/site';
  const port = Number(process.argv[3] ?? 8080);
  if (!fs.existsSync(path.join(dir, 'index.html'))) {
    console.error(`serve: ${dir} has no index.html`);
    process.exit(1);
  }
  if (!Number.isInteger(port) || port < 0 || port > 65535) {
    console.error(`serve: bad port ${process.argv[3]}`);
    process.exit(2);
  }
  serveStatic(dir, port).then(({ url }) => {
    console.log(`Serving ${path.resolve(dir)} at ${url} (Ctrl+C stops)`);
  }, err => {
    console.error(`serve: ${err.message}`);
    process.exit(1);
  });
}
