// Keeps the game's files, so that after one visit it starts with no network. Each build has a
// cache of its own, named for a hash of its files (tools/web/build.sh writes the name in); the
// files come from the server while there is one, so a new build is what the next visit plays,
// and from the cache of the last build this worker kept when there is none, all of one build.
"use strict";
const CACHE = "lorvex-@BUILD@";
const FILES = ["./", "index.html", "lorvex.js", "lorvex.wasm", "lorvex.png", "lorvex-192.png", "lorvex-512.png",
               "lorvex.webmanifest"];

// Asked of the server itself, never of the browser's cache, which may still hold an older
// build's file and mix the two. By address: a page's own request cannot be given other options.
function fromServer(file) {
  return fetch(file, {cache: "no-cache"});
}

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(CACHE)
    .then((cache) => Promise.all(FILES.map((file) => fromServer(file).then((response) => {
      if (!response.ok) throw new Error(`${file}: ${response.status}`);
      return cache.put(file, response);
    }))))
    .then(() => self.skipWaiting()));
});

// The new build's files kept, the old build's go.
self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith("lorvex-") && n !== CACHE).map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(fromServer(event.request.url).catch((error) =>
    caches.open(CACHE).then((cache) => cache.match(event.request, {ignoreSearch: true})).then((kept) => kept || Promise.reject(error))));
});
