#!/usr/bin/env node
// The web edition against its floor, and its size.
//
//   web.mjs size SITE [--max BYTES]
//     Everything the first visit loads (every file the service worker keeps),
//     counted as gzip -9 of each file: exact, so make test guards it.
//   web.mjs report SITE FLOOR NATIVE_ENGINE_LOOP WASM_ENGINE_LOOP [RUNS]
//     First contentful paint, and the frame in which ＳＴＡＲＴ first shows,
//     against the floor's (interleaved first visits in the same headless
//     browser, served the same way), in Chromium and in Firefox; a click on
//     ＳＴＡＲＴ the moment it is painted while the engine is still loading; a
//     bar step by key until its value label and patch Ａ show it; one whole
//     measurement in the engine as WebAssembly against the native build; and
//     Lighthouse's four scores, as one table. Exits 1 when a target is
//     missed, or when the floor does not stand under the page's policy.
import { createHash } from "node:crypto";
import { execFileSync } from "node:child_process";
import { readFile } from "node:fs/promises";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { launch, launchChromium, launchFirefox, pause, serve } from "../tests/web/driver.mjs";

const [mode, site, ...rest] = process.argv.slice(2);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

async function keptFiles() {
  const worker = await readFile(join(site, "sw.js"), "utf8");
  return ["sw.js", ...Object.keys(JSON.parse(worker.match(/const files = (\{[^}]*\});/)[1]))];
}

async function size() {
  const max = rest[0] === "--max" ? Number(rest[1]) : Infinity;
  let total = 0;
  for (const file of await keptFiles()) {
    const raw = (await readFile(join(site, file))).length;
    const gzip = execFileSync("gzip", ["-9", "-n", "-c", join(site, file)]).length;
    total += gzip;
    console.log(`transfer ${file} ${raw} ${gzip}`);
  }
  console.log(`transfer-total ${total} ${max === Infinity ? "" : max}`);
  if (total > max) {
    console.error(`the first visit loads ${total} bytes after gzip, more than ${max}`);
    process.exit(1);
  }
}

// Chromium with nothing attached to its tab but one DevTools session: no
// page object of a driver's, which listens to every script context a page
// creates and so slows a page with script more than one without.
async function bareChromium() {
  const browser = await launchChromium({ args: ["about:blank"] });
  const tab = await browser.waitForTarget((target) => target.type() === "page");
  const session = await tab.createCDPSession();
  await session.send("Page.enable");
  const go = async (url) => {
    const loaded = new Promise((resolve) => session.once("Page.loadEventFired", resolve));
    await session.send("Page.navigate", { url });
    await loaded;
  };
  const evaluate = async (expression) =>
    (await session.send("Runtime.evaluate", { expression, awaitPromise: true, returnByValue: true })).result.value;
  return { go, evaluate, timesInPage: chromiumTimes, close: () => browser.close() };
}

// A first visit, as a user's first in a browser already running: an address
// of the loopback never visited before, so a new origin with nothing cached
// and no service worker, in a renderer process of its own. Then a blank page
// and a pause, so that one visit's leftover work does not slow the next.
// Both pages are served with ＳＴＡＲＴ marked for Chromium's element timing,
// which tells when its caption is first on the screen.
let visits = 0;
const markStart = (path, body) =>
  path.endsWith("/") ? Buffer.from(body.toString().replace('id="StartButton"', 'id="StartButton" elementtiming="start"')) : body;
async function firstVisit(browser, folder) {
  ++visits;
  const server = await serve(folder, { host: `127.1.${Math.floor(visits / 250)}.${(visits % 250) + 1}`, rewrite: markStart });
  await browser.go(server.url);
  const times = await browser.evaluate(browser.timesInPage);
  await browser.go("about:blank");
  server.close();
  await pause(150);
  return times;
}

// The first contentful paint, as the page's own timing tells it.
const firstPaintInPage = `new Promise((resolve) => new PerformanceObserver((list, observer) => {
  const entry = list.getEntriesByName("first-contentful-paint")[0];
  if (entry) { observer.disconnect(); resolve(entry.startTime); }
}).observe({ type: "paint", buffered: true }))`;

// Chromium's first contentful paint and the moment ＳＴＡＲＴ's caption is first
// painted, both as presented on the screen.
const chromiumTimes = `Promise.all([
  ${firstPaintInPage},
  new Promise((resolve) => new PerformanceObserver((list, observer) => {
    const entry = list.getEntries().find((each) => each.identifier === "start");
    if (entry) { observer.disconnect(); resolve(entry.renderTime); }
  }).observe({ type: "element", buffered: true })),
])`;

// Firefox has no element timing: a script put into both pages before their
// own notes the frame that follows the page's marking itself bound, which
// is the first in which ＳＴＡＲＴ can show (or the first paint, if later).
function notesBoundFrame() {
  // It runs before the document has an element: it watches the document.
  new MutationObserver((changes, observer) => {
    if (!document.documentElement?.hasAttribute("data-bound")) return;
    observer.disconnect();
    requestAnimationFrame((frame) => (window.boundFrame = frame));
  }).observe(document, { attributes: true, subtree: true, attributeFilter: ["data-bound"] });
}
const firefoxTimes = `new Promise((resolve) => {
  const fcp = ${firstPaintInPage};
  const bound = () => window.boundFrame === undefined ? setTimeout(bound, 10) : fcp.then((paint) => resolve([paint, Math.max(paint, window.boundFrame)]));
  bound();
})`;

async function bareFirefox() {
  const browser = await launchFirefox();
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(notesBoundFrame);
  return {
    version: (await browser.version()).replace("firefox/", ""),
    go: (url) => page.goto(url, { waitUntil: "load" }),
    evaluate: (expression) => page.evaluate(expression),
    timesInPage: firefoxTimes,
    close: () => browser.close(),
  };
}

// Interleaved first visits to the page and the floor; each figure of a
// visit against the floor's next to it, so that the machine's slow drift
// between rounds cancels out.
async function againstFloor(browser, floorDir, runs) {
  await firstVisit(browser, site);
  await firstVisit(browser, floorDir);
  const ours = [];
  const floor = [];
  for (let i = 0; i < runs; ++i) {
    ours.push(await firstVisit(browser, site));
    floor.push(await firstVisit(browser, floorDir));
  }
  return [0, 1].map((which) => ({
    ours: median(ours.map((times) => times[which])),
    floor: median(floor.map((times) => times[which])),
    ratio: median(ours.map((times, i) => times[which] / floor[i][which])),
    later: median(ours.map((times, i) => times[which] - floor[i][which])),
  }));
}

// From the key event until the value label and patch Ａ show the new value:
// the handler's time, and the time to the next frame, read in the page.
async function barStep(browser, url) {
  const page = await browser.open(url);
  await page.click("#StartButton");
  await page.evaluate(() => {
    document.getElementById("red").focus();
    const label = document.querySelector('[id="labelred"] .text');
    let pressed = null;
    window.steps = [];
    addEventListener("keydown", (event) => (pressed = event.timeStamp), true);
    new MutationObserver(() => {
      if (pressed === null) return;
      const start = pressed;
      pressed = null;
      const shown = performance.now() - start;
      requestAnimationFrame(() => setTimeout(() => window.steps.push([shown, performance.now() - start])));
    }).observe(label, { childList: true, characterData: true, subtree: true });
  });
  for (let i = 0; i < 60; ++i) {
    await page.press(i % 2 ? "ArrowLeft" : "ArrowRight");
    await page.waitFor((count) => window.steps.length > count, i);
  }
  const steps = await page.evaluate(() => window.steps);
  await page.close();
  return [median(steps.map((step) => step[0])), median(steps.map((step) => step[1]))];
}

// A click on ＳＴＡＲＴ the moment it shows, with the engine held back by the
// host for a second: whether the engine was still loading when the click
// was made, and the click was then handled.
async function clickStartEarly(browser) {
  const slow = await serve(site, { held: { "engine.wasm": 1000 } });
  const page = await browser.open(slow.url, { ready: false });
  await page.waitFor(() => document.documentElement.hasAttribute("data-bound"));
  await page.click("#StartButton");
  const loading = await page.evaluate(() => document.documentElement.dataset.engine !== "ready");
  await page.waitFor(() => !document.getElementById("red").hidden);
  await page.close();
  slow.close();
  return loading;
}

// The floor stands under the page's policy: the same directives, its own
// style named by its own hash.
async function policyOf(folder) {
  const html = await readFile(join(folder, "index.html"), "utf8");
  const policy = html.match(/<meta http-equiv="Content-Security-Policy" content="([^"]*)">/)?.[1] ?? "";
  const style = html.match(/<style>([\s\S]*?)<\/style>/)?.[1] ?? "";
  const own = `'sha256-${createHash("sha256").update(style).digest("base64")}'`;
  return policy.includes(own) ? policy.replace(own, "OWN-STYLE") : `${policy} (its style's hash is not ${own})`;
}

let missedAny = false;
const missed = (met) => {
  missedAny ||= !met;
  return met ? "" : " **missed**";
};

function floorRows(engine, [fcp, start], targets) {
  if (!targets) return [
    `| first contentful paint, ${engine} | ${fcp.ours.toFixed(0)} ms | floor ${fcp.floor.toFixed(0)} ms | ${fcp.ratio.toFixed(3)} | |`,
    `| frame in which ＳＴＡＲＴ first shows, ${engine} | ${start.ours.toFixed(0)} ms | floor ${start.floor.toFixed(0)} ms | ${start.ratio.toFixed(3)} (${start.later.toFixed(1)} ms later) | |`,
  ];
  return [
    `| first contentful paint, ${engine} | ${fcp.ours.toFixed(0)} ms | floor ${fcp.floor.toFixed(0)} ms | ${fcp.ratio.toFixed(3)} | ≤ 1.10 × floor${missed(fcp.ratio <= 1.1)} |`,
    `| frame in which ＳＴＡＲＴ first shows, ${engine} | ${start.ours.toFixed(0)} ms | floor ${start.floor.toFixed(0)} ms | ${start.ratio.toFixed(3)} (${start.later.toFixed(1)} ms later) | ≤ 1.10 × floor or within 16.7 ms${missed(start.ratio <= 1.1 || start.later <= 16.7)} |`,
  ];
}

async function report() {
  const [floorDir, nativeLoop, wasmLoop, runs = "15"] = rest;
  const [pagePolicy, floorPolicy] = [await policyOf(site), await policyOf(floorDir)];
  if (pagePolicy !== floorPolicy) {
    console.error(`the floor's policy is not the page's:\n  page:  ${pagePolicy}\n  floor: ${floorPolicy}`);
    process.exit(1);
  }
  const bare = await bareChromium();
  const chromium = await againstFloor(bare, floorDir, Number(runs));
  await bare.close();
  const firefox = await bareFirefox();
  const gecko = await againstFloor(firefox, floorDir, Number(runs));
  await firefox.close();
  const ours = await serve(site);
  const browser = await launch("chromium");
  const early = await clickStartEarly(browser);
  const [shown, frame] = await barStep(browser, ours.url);
  const version = await browser.version();
  await browser.close();
  ours.close();
  const loop = (command) => Number(execFileSync(command[0], command.slice(1), { encoding: "utf8" }).split(" ")[1]);
  const native = loop([nativeLoop]);
  const wasm = loop([process.execPath, wasmLoop]);
  const here = dirname(fileURLToPath(import.meta.url));
  const scores = execFileSync(process.execPath, [join(here, "lighthouse.mjs"), site], { encoding: "utf8" })
    .trim().split("\n").map((line) => line.split(" "));
  console.log(`Chromium ${version} and Firefox ${firefox.version}, headless; ${runs} interleaved first visits each, a new origin every time\n`);
  console.log("| figure | web edition | against | ratio | target |");
  console.log("|---|---|---|---|---|");
  for (const row of [...floorRows("Chromium", chromium, true), ...floorRows("Firefox", gecko, false)]) console.log(row);
  console.log(`| click on ＳＴＡＲＴ the moment it shows, engine held back 1 s | ${early ? "handled" : "engine was ready"} | | | never lost${missed(early)} |`);
  console.log(`| bar step by key, until value label and patch Ａ show it | ${shown.toFixed(2)} ms (next frame ${frame.toFixed(1)} ms) | | | |`);
  console.log(`| one whole measurement with 60 bar moves, engine | ${(wasm / 1000).toFixed(2)} µs as WebAssembly | ${(native / 1000).toFixed(2)} µs native | ${(wasm / native).toFixed(2)} | |`);
  for (const [name, score] of scores)
    console.log(`| ${name.replace("lighthouse-", "Lighthouse ")} | ${score} | | | 100${missed(Number(score) === 100)} |`);
  if (missedAny) process.exit(1);
}

await (mode === "size" ? size() : report());
