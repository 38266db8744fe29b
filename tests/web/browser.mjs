// What the web tests share: the built site served on a free port of the
// loopback, and Debian's Chromium, headless, driven by playwright-core.
import { createServer } from "node:http";
import { readFile } from "node:fs/promises";
import { extname, join, normalize } from "node:path";
import { gzipSync } from "node:zlib";
import { chromium } from "playwright-core";

const types = {
  ".html": "text/html; charset=utf-8",
  ".css": "text/css; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".wasm": "application/wasm",
  ".woff2": "font/woff2",
  ".json": "application/json",
  ".webmanifest": "application/manifest+json",
  ".png": "image/png",
};

// Serves the site as a static host does, compressed where the browser takes
// it; port 0 lets the system pick a free one. A benchmark may have each
// file's body rewritten on the way (rewrite(path, body) gives the new body).
export async function serve(site, host = "127.0.0.1", rewrite = (path, body) => body) {
  // Compressed once per content, as a host serves files compressed ahead.
  const compressed = new Map();
  const gzip = (body) => {
    const key = body.toString("base64");
    if (!compressed.has(key)) compressed.set(key, gzipSync(body, { level: 9 }));
    return compressed.get(key);
  };
  let unplugged = false;
  const server = createServer(async (request, response) => {
    // Unplugged, the host is gone: the connection drops with no answer.
    if (unplugged) {
      request.socket.destroy();
      return;
    }
    const path = normalize(decodeURIComponent(new URL(request.url, "http://x").pathname));
    const file = join(site, path.endsWith("/") ? `${path}index.html` : path);
    try {
      const body = rewrite(path, await readFile(file));
      const headers = { "Content-Type": types[extname(file)] ?? "application/octet-stream" };
      const compress = extname(file) !== ".woff2" && extname(file) !== ".png"
        && /\bgzip\b/.test(request.headers["accept-encoding"] ?? "");
      if (compress) headers["Content-Encoding"] = "gzip";
      response.writeHead(200, headers);
      response.end(compress ? gzip(body) : body);
    } catch {
      response.writeHead(404);
      response.end();
    }
  });
  await new Promise((resolve) => server.listen(0, host, resolve));
  return {
    url: `http://${host}:${server.address().port}/`,
    close: () => server.close(),
    // Takes the host off the network, or puts it back.
    unplug: (off = true) => {
      unplugged = off;
      if (off) server.closeIdleConnections();
    },
  };
}

// Debian's Chromium, and the flags every launch of it here shares.
export const flags = ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update",
  "--disable-sync", "--no-first-run"];
export const executablePath = process.env.CHROMIUM ?? "/usr/bin/chromium";

// A browser with a profile of its own on disk, as a user's is: not
// incognito, so that it may offer to install the page.
export function launchWithProfile(folder) {
  return chromium.launchPersistentContext(folder, { executablePath, args: flags });
}

// Extra environment for the browser (a font configuration of its own) may be given.
export async function launch(env = {}) {
  return chromium.launch({
    env: { ...process.env, ...env },
    executablePath,
    args: flags,
  });
}

// A click on ＳＴＡＲＴ the moment it shows, with the engine held back for
// holdMs. Says whether the engine was still loading when the click was
// made; resolves once the click has been handled (the red bar shows).
export async function clickStartEarly(browser, url, holdMs) {
  const context = await browser.newContext();
  await context.route("**/engine.wasm", async (route) => {
    await new Promise((resolve) => setTimeout(resolve, holdMs));
    await route.continue();
  });
  const page = await context.newPage();
  await page.goto(url, { waitUntil: "commit" });
  await page.click("#StartButton");
  const loading = await page.evaluate(() => document.documentElement.dataset.engine !== "ready");
  await page.waitForSelector('[id="red"]:not([hidden])');
  const startHidden = await page.isHidden("#StartButton");
  await context.close();
  return { loading, startHidden };
}

// A page with the site open, where every console error or warning and
// every uncaught exception is kept, for the test to check there were none.
export async function open(browser, url, contextOptions = {}) {
  const context = await browser.newContext(contextOptions);
  const page = await context.newPage();
  const problems = [];
  page.on("console", (message) => {
    if (message.type() === "error" || message.type() === "warning") problems.push(message.text());
  });
  page.on("pageerror", (error) => problems.push(String(error)));
  await page.goto(url);
  await page.waitForFunction(() => document.documentElement.dataset.engine === "ready");
  return { context, page, problems };
}

// The built site, named by the test that runs the script.
export const site = process.env.TINTORA_SITE;
