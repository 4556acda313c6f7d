// Keeps the story's site for reading offline: every file of it goes into one cache when the page
// is first read to the end of its loading, and later visits are served from there, network or not.
// The site's build (or `tessaro publish`) writes its own version below, so that a new one makes
// the browser install this worker again, into a new cache, and drop the old copy.
"use strict";
const VERSION = "unversioned";
// One site's copies: others on the same server keep theirs.
const SITE = "tessaro " + self.registration.scope + " ";
const CACHE = SITE + VERSION;
const PAGE = ["./", "index.html", "tessaro.css", "tessaro-page.js", "tessaro.js", "tessaro.wasm",
              "js-synthesizer.min.js", "js-synthesizer.worklet.min.js", "libfluidsynth.js", "manifest.json",
              "app.webmanifest", "icon.svg", "icon-192.png", "icon-512.png"];

self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    const manifest = await (await fetch("manifest.json", { cache: "no-cache" })).json();
    const story = manifest.files.map((f) => "story/" + f.path.split("/").map(encodeURIComponent).join("/"));
    const extra = [manifest.font.path].concat(manifest.soundFont ? [manifest.soundFont.path] : []);
    const cache = await caches.open(CACHE);
    await cache.addAll(PAGE.concat(extra, story).map((url) => new Request(url, { cache: "no-cache" })));
    await self.skipWaiting();
  })());
});

self.addEventListener("activate", (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) if (name.startsWith(SITE) && name !== CACHE) await caches.delete(name);
    await self.clients.claim();
  })());
});

// The cached copy first (the page's address with or without "?autostart" is the same page), the
// network for anything not in it.
self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    return (await cache.match(event.request, { ignoreSearch: true })) || fetch(event.request);
  })());
});
