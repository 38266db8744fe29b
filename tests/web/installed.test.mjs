// The page as a program people keep: installable, private, working with no
// network after the first visit, and taking a new version only whole.
import { test, after } from "node:test";
import assert from "node:assert/strict";
import { execFile } from "node:child_process";
import { appendFile, cp, mkdtemp, readFile, rm } from "node:fs/promises";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { promisify } from "node:util";
import { engine, launchChromium, openIn, serve, site, suite } from "./driver.mjs";
import { byId, presses } from "./window.mjs";

const copy = await mkdtemp(join(tmpdir(), "tintora-site-"));
await cp(site, copy, { recursive: true });
const { server, browser } = await suite(copy);
after(() => rm(copy, { recursive: true }));
const onlyChromium = !browser.can.chromium && "what only Chromium's automation tells";

const kept = (page) =>
  page.evaluate(async () => {
    const registration = await navigator.serviceWorker.ready;
    while (registration.active.state !== "activated") await new Promise((resolve) => setTimeout(resolve, 20));
    return caches.keys();
  });

async function measure(page) {
  for (const id of presses) await page.click(byId(id));
  return page.evaluate(() => document.querySelector('[id="Label20"] .text').textContent);
}

test(`${engine}: after the first visit the page opens and works with the host gone, its policy in force`, async () => {
  const host = await serve(site);
  const page = await browser.open(host.url);
  assert.equal((await kept(page)).length, 1, "one whole version kept");
  host.unplug();
  await page.reload();
  assert.match(await measure(page), /^-?\d+$/, "a whole measurement with the network off");
  assert.deepEqual(page.problems ?? [], []);
  // The policy stands: a script or a style written into the page is refused.
  for (const [tag, text, directive] of [
    ["script", "window.ran = true", "script-src-elem"],
    ["style", "body { display: none }", "style-src-elem"],
  ]) {
    const refused = await page.evaluate(
      ([tag, text]) =>
        new Promise((resolve) => {
          document.addEventListener("securitypolicyviolation", (event) => resolve(event.effectiveDirective), {
            once: true,
          });
          const element = document.createElement(tag);
          element.textContent = text;
          document.head.append(element);
        }),
      [tag, text],
    );
    assert.equal(refused, directive);
  }
  await page.close();
  host.close();
});

test("installable, asking nothing of other sites, storing nothing", { skip: onlyChromium }, async () => {
  const profile = await mkdtemp(join(tmpdir(), "tintora-profile-"));
  const own = await launchChromium({ profile });
  after(async () => {
    await own.close();
    await rm(profile, { recursive: true });
  });
  const origins = new Set();
  const watch = (tab) => tab.on("request", (request) => origins.add(new URL(request.url()).origin));
  const page = await openIn(own, server.url, { context: "default", prepare: watch });
  const cdp = await page.cdp();
  assert.deepEqual((await cdp.send("Page.getInstallabilityErrors")).installabilityErrors, []);
  assert.equal((await kept(page)).length, 1);
  // The maskable icon fills any shape: opaque to its edges, and outside the
  // safe zone (the circle of 40 % of its width round its middle) nothing
  // but its background, so that no shape cuts the motif.
  const maskable = await page.evaluate(async () => {
    const manifest = await (await fetch("manifest.webmanifest")).json();
    const icon = manifest.icons.find((each) => each.purpose === "maskable");
    const image = new Image();
    image.src = icon.src;
    await image.decode();
    const { width } = image;
    const context = new OffscreenCanvas(width, width).getContext("2d");
    context.drawImage(image, 0, 0);
    const { data } = context.getImageData(0, 0, width, width);
    const at = (x, y) => data.slice((y * width + x) * 4, (y * width + x) * 4 + 4).join();
    const background = at(0, 0);
    const counts = { outsideOff: 0, insideOff: 0 };
    for (let y = 0; y < width; y += 2) {
      for (let x = 0; x < width; x += 2) {
        const inside = (x - width / 2) ** 2 + (y - width / 2) ** 2 <= (0.4 * width) ** 2;
        if (at(x, y) !== background) ++counts[inside ? "insideOff" : "outsideOff"];
      }
    }
    return { sizes: icon.sizes, opaque: background.endsWith(",255"), ...counts };
  });
  assert.deepEqual({ ...maskable, insideOff: maskable.insideOff > 1000 }, { sizes: "512x512", opaque: true, outsideOff: 0, insideOff: true });
  await measure(page);
  assert.deepEqual([...origins], [new URL(server.url).origin]);
  assert.deepEqual((await cdp.send("Network.getAllCookies")).cookies, []);
  const stored = await page.evaluate(async () => [localStorage.length, sessionStorage.length, (await indexedDB.databases()).length]);
  assert.deepEqual(stored, [0, 0, 0]);
  assert.deepEqual(page.problems, []);
});

const rewriteWorker = () =>
  promisify(execFile)(process.execPath, [
    new URL("../../web/keep-files.mjs", import.meta.url).pathname,
    new URL("../../web/service-worker.js", import.meta.url).pathname,
    copy,
  ]);

test("a changed site is taken whole at the next start, and a half-changed one not at all", { skip: onlyChromium }, async () => {
  const own = await launchChromium();
  after(() => own.close());
  const start = () => openIn(own, server.url, { context: "default" });
  let page = await start();
  const [first] = await kept(page);
  await page.close();

  // Half an update: a new worker, but a file still of the old version.
  await appendFile(join(copy, "tintora.js"), "\n// next\n");
  await rewriteWorker();
  const old = await readFile(join(site, "tintora.js"));
  await cp(join(site, "tintora.js"), join(copy, "tintora.js"));
  page = await start();
  // Its install, under way or asked for, ends with the worker discarded.
  const refused = await page.evaluate(async () => {
    const registration = await navigator.serviceWorker.getRegistration();
    const worker = registration.installing ?? (await registration.update(), registration.installing);
    while (worker && worker.state !== "redundant") await new Promise((resolve) => setTimeout(resolve, 20));
    return worker?.state;
  });
  assert.equal(refused, "redundant");
  assert.deepEqual(await kept(page), [first], "the half-changed version is refused, none of it kept");
  assert.equal(await page.evaluate(() => fetch("tintora.js").then((r) => r.text())), old.toString());
  await page.close();

  // The whole update: the next start shows the new version, every file of it.
  await appendFile(join(copy, "tintora.js"), "\n// next\n");
  page = await start();
  await page.waitFor(() => performance.getEntriesByType("navigation")[0].type === "reload", undefined, 20000);
  await page.ready();
  const script = await page.evaluate(() => fetch("tintora.js").then((response) => response.text()));
  assert.ok(script.endsWith("// next\n"));
  const names = await page.evaluate(() => caches.keys());
  assert.equal(names.length, 1);
  assert.notEqual(names[0], first);
  await page.close();
});
