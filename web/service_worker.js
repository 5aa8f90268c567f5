// The site's service worker: after one visit both programs open and run
// without a network. The files of one release are kept together in a
// cache of their own, taken whole when the worker installs; the font's
// slices join it as they are drawn. A new release's worker fills a new
// cache and, once it takes over, drops the old one, so that a page never
// mixes the files of two releases. The build writes the release's name
// and files in below.
'use strict';
var release = '@SITE_RELEASE@';
var siteFiles = [@SITE_FILES@];
var cachePrefix = 'varnel-pindle-';
var cacheName = cachePrefix + release;

self.addEventListener('install', function (event) {
  event.waitUntil(caches.open(cacheName).then(function (cache) { return cache.addAll(siteFiles); }));
});

self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) { return name.indexOf(cachePrefix) === 0 && name !== cacheName; })
      .map(function (name) { return caches.delete(name); }));
  }).then(function () { return self.clients.claim(); }));
});

// The page asks a new release's worker, waiting behind the old one, to
// take over when the user chooses to reload.
self.addEventListener('message', function (event) {
  if (event.data === 'take over') self.skipWaiting();
});

// The page's address with any query is the one page; everything else is
// the file asked for, from the cache, or fetched and kept.
self.addEventListener('fetch', function (event) {
  var request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(cacheName).then(function (cache) {
    return cache.match(request, { ignoreSearch: request.mode === 'navigate' }).then(function (kept) {
      if (kept) return kept;
      return fetch(request).then(function (response) {
        if (response.ok) cache.put(request, response.clone());
        return response;
      });
    });
  }));
});
