// The page's service worker: keeps every file the game needs in a cache
// named after the published files' content, so the game plays with the
// network gone and a republished game replaces the old files.
//
// scripts/build-web puts two lines in front of this file:
//   pelto5Version: a digest of every published file (the cache's name)
//   pelto5Files:   the files to keep from the start (everything but the
//                  faces), as paths relative to this script
// The faces are large and a game draws with few of them: the ones the page
// fetches are kept as they pass, and the page asks for the rest once the
// game is running (message "keep", with the paths).
//
// Storage is a comfort here, never a condition: a cache that is full,
// refused or missing leaves every request to the network.
/* global pelto5Version, pelto5Files */
'use strict';

const cacheName = 'pelto5-' + pelto5Version;
const ownPrefix = 'pelto5-';
const base = new URL('./', self.location.href).href;

// The cache's key for an address of this folder: its path with each part
// escaped as the page escapes it, without query or fragment, the folder
// itself standing for its index.html. Null for an address outside it.
function keyOf(address) {
  const url = new URL(address, base);
  const plain = url.origin + url.pathname;
  if (!plain.startsWith(base)) return null;
  const parts = plain.slice(base.length).split('/').map((part) => {
    try {
      return encodeURIComponent(decodeURIComponent(part));
    } catch (err) {
      return part;
    }
  });
  const path = parts.join('/');
  return base + (path === '' ? 'index.html' : path);
}

// Puts the response to url into cache when the cache takes it; true when
// it is stored (or already was).
async function keep(cache, url) {
  try {
    if (await cache.match(url)) return true;
    const response = await fetch(url, { cache: 'no-cache' });
    if (!response.ok) return false;
    await cache.put(url, response);
    return true;
  } catch (err) {
    return false;
  }
}

async function openCache() {
  try {
    return await caches.open(cacheName);
  } catch (err) {
    return null;
  }
}

// How far the cache is: { version, kept, total } of the start files.
let startFiles = { kept: 0, total: pelto5Files.length };

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const cache = await openCache();
    if (cache) {
      const results = await Promise.all(pelto5Files.map((file) => keep(cache, keyOf(file))));
      startFiles = { kept: results.filter(Boolean).length, total: pelto5Files.length };
    }
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    try {
      for (const name of await caches.keys()) {
        if (name.startsWith(ownPrefix) && name !== cacheName) await caches.delete(name);
      }
    } catch (err) {
      // An old cache that cannot be removed is only space.
    }
    await self.clients.claim();
  })());
});

// The page's requests: from the cache when it has them, else from the
// network (and kept for next time).
async function respond(request, key) {
  const cache = await openCache();
  if (cache) {
    try {
      const hit = await cache.match(key);
      if (hit) return hit;
    } catch (err) {
      // fall through to the network
    }
  }
  const response = await fetch(request);
  if (cache && response.ok && response.type === 'basic') {
    const copy = response.clone();
    cache.put(key, copy).catch(() => {});
  }
  return response;
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  const key = request.method === 'GET' ? keyOf(request.url) : null;
  if (!key || request.headers.get('range')) return;  // partial answers are not kept
  event.respondWith(respond(request, key));
});

// "status": answers { version, kept, total } (the start files);
// "keep" with files: caches them (faces the game may draw with later),
// then answers the same with how many of those are kept too.
self.addEventListener('message', (event) => {
  const data = event.data || {};
  const reply = (extra) => {
    if (event.ports && event.ports[0]) {
      event.ports[0].postMessage(Object.assign({ version: pelto5Version }, startFiles, extra));
    }
  };
  if (data.type === 'status') {
    event.waitUntil((async () => {
      // A worker that was stopped and started again recounts its cache.
      const cache = await openCache();
      if (cache) {
        let kept = 0;
        for (const file of pelto5Files) {
          try {
            if (await cache.match(keyOf(file))) kept++;
          } catch (err) {
            // not kept
          }
        }
        startFiles = { kept, total: pelto5Files.length };
      }
      reply({});
    })());
  } else if (data.type === 'keep' && Array.isArray(data.files)) {
    event.waitUntil((async () => {
      const cache = await openCache();
      let kept = 0;
      if (cache) {
        for (const file of data.files) {
          const key = typeof file === 'string' ? keyOf(file) : null;
          if (key && (await keep(cache, key))) kept++;
        }
      }
      reply({ extraKept: kept, extraTotal: data.files.length });
    })());
  }
});
