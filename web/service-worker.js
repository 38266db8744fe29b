// Keeps the site's files, one whole version at a time, so that the page
// opens and works with no network after the first visit. The build writes
// the version and every file's SHA-256 into the two constants below.
const version = "@VERSION@";
const files = { "@FILES@": "" };

const hex = (buffer) => [...new Uint8Array(buffer)].map((byte) => byte.toString(16).padStart(2, "0")).join("");

// A version is kept only whole and only as built: each file is fetched past
// the HTTP cache and checked against its hash, so that a host caught half
// way through an update cannot leave a mix of old and new files. A version
// refused leaves nothing behind: the files it had kept go with it.
async function keep() {
  const cache = await caches.open(version);
  try {
    await Promise.all(
      Object.entries(files).map(async ([path, hash]) => {
        const response = await fetch(path, { cache: "no-cache" });
        if (!response.ok) throw new Error(`${path}: ${response.status}`);
        const digest = hex(await crypto.subtle.digest("SHA-256", await response.clone().arrayBuffer()));
        if (digest !== hash) throw new Error(`${path} is not of version ${version}`);
        await cache.put(path, response);
      }),
    );
  } catch (error) {
    await caches.delete(version);
    throw error;
  }
}

self.addEventListener("install", (event) => event.waitUntil(keep()));

self.addEventListener("activate", (event) =>
  event.waitUntil(
    caches.keys().then((names) => Promise.all(names.filter((name) => name !== version).map((name) => caches.delete(name)))),
  ),
);

// The page asks a waiting version to take over while nobody has used the
// window yet; it then reloads, whole, in the new version.
self.addEventListener("message", (event) => {
  if (event.data === "take over") self.skipWaiting();
});

self.addEventListener("fetch", (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== "GET" || url.origin !== location.origin) return;
  const scope = new URL(self.registration.scope);
  let path = url.pathname.slice(scope.pathname.length);
  if (path === "") path = "index.html";
  if (!(path in files)) return;
  event.respondWith(
    caches.open(version).then((cache) => cache.match(path)).then((kept) => kept ?? fetch(event.request)),
  );
});
