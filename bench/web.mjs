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
//     Lighthouse's four scores, as one table.
import { execFileSync, spawn } from "node:child_process";
import { mkdtemp, readFile, rm } from "node:fs/promises";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { clickStartEarly, executablePath, flags, launch, serve } from "../tests/web/browser.mjs";
import { launchFirefoxESR } from "../tests/web/driver.mjs";

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

// Chromium with nothing attached to its pages but one DevTools session over
// a pipe: a driver such as playwright's listens to every script context a
// page creates and so slows a page with script more than one without.
async function bareChromium() {
  const profile = await mkdtemp(join(tmpdir(), "tintora-fcp-"));
  const chromium = spawn(executablePath,
    ["--headless", ...flags, "--remote-debugging-pipe", `--user-data-dir=${profile}`, "about:blank"],
    { stdio: ["ignore", "ignore", "ignore", "pipe", "pipe"] });
  const [toBrowser, fromBrowser] = [chromium.stdio[3], chromium.stdio[4]];
  let last = 0;
  const answers = new Map();
  const listeners = new Set();
  let pending = Buffer.alloc(0);
  fromBrowser.on("data", (data) => {
    pending = Buffer.concat([pending, data]);
    for (let end; (end = pending.indexOf(0)) >= 0; pending = pending.subarray(end + 1)) {
      const message = JSON.parse(pending.subarray(0, end).toString());
      if (answers.has(message.id)) answers.get(message.id)(message);
      else for (const listener of listeners) listener(message);
    }
  });
  const send = (method, params = {}, sessionId = undefined) =>
    new Promise((resolve, reject) => {
      const id = ++last;
      answers.set(id, (answer) => {
        answers.delete(id);
        if (answer.error) reject(new Error(`${method}: ${answer.error.message}`));
        else resolve(answer.result);
      });
      toBrowser.write(`${JSON.stringify({ id, method, params, sessionId })}\0`);
    });
  const once = (method, sessionId) =>
    new Promise((resolve) => {
      const listener = (message) => {
        if (message.method !== method || message.sessionId !== sessionId) return;
        listeners.delete(listener);
        resolve(message.params);
      };
      listeners.add(listener);
    });
  const { targetInfos } = await send("Target.getTargets");
  const tab = targetInfos.find((target) => target.type === "page");
  const { sessionId } = await send("Target.attachToTarget", { targetId: tab.targetId, flatten: true });
  await send("Page.enable", {}, sessionId);
  const go = async (url) => {
    const loaded = once("Page.loadEventFired", sessionId);
    await send("Page.navigate", { url }, sessionId);
    await loaded;
  };
  const evaluate = async (expression) =>
    (await send("Runtime.evaluate", { expression, awaitPromise: true, returnByValue: true }, sessionId)).result.value;
  const close = async () => {
    const exited = new Promise((resolve) => chromium.once("exit", resolve));
    await send("Browser.close").catch(() => chromium.kill());
    await exited;
    await rm(profile, { recursive: true, force: true });
  };
  return { go, evaluate, timesInPage: chromiumTimes, close };
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
  const server = await serve(folder, `127.1.${Math.floor(visits / 250)}.${(visits % 250) + 1}`, markStart);
  await browser.go(server.url);
  const times = await browser.evaluate(browser.timesInPage);
  await browser.go("about:blank");
  server.close();
  await new Promise((resolve) => setTimeout(resolve, 150));
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
  const browser = await launchFirefoxESR();
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
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.goto(url);
  await page.waitForFunction(() => document.documentElement.dataset.engine === "ready");
  await page.click("#StartButton");
  await page.focus('[id="red"]');
  await page.evaluate(() => {
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
    await page.keyboard.press(i % 2 ? "ArrowLeft" : "ArrowRight");
    await page.waitForFunction((count) => window.steps.length > count, i);
  }
  const steps = await page.evaluate(() => window.steps);
  const times = { shown: steps.map((step) => step[0]), frame: steps.map((step) => step[1]) };
  await context.close();
  return [median(times.shown), median(times.frame)];
}

function floorRows(engine, [fcp, start]) {
  const missed = (met) => (met ? "" : " **missed**");
  return [
    `| first contentful paint, ${engine} | ${fcp.ours.toFixed(0)} ms | floor ${fcp.floor.toFixed(0)} ms | ${fcp.ratio.toFixed(3)} | ≤ 1.10 × floor${missed(fcp.ratio <= 1.1)} |`,
    `| frame in which ＳＴＡＲＴ first shows, ${engine} | ${start.ours.toFixed(0)} ms | floor ${start.floor.toFixed(0)} ms | ${start.ratio.toFixed(3)} (${start.later.toFixed(1)} ms later) | ≤ 1.10 × floor or within 16.7 ms${missed(start.ratio <= 1.1 || start.later <= 16.7)} |`,
  ];
}

async function report() {
  const [floorDir, nativeLoop, wasmLoop, runs = "15"] = rest;
  const bare = await bareChromium();
  const chromium = await againstFloor(bare, floorDir, Number(runs));
  await bare.close();
  const firefox = await bareFirefox();
  const gecko = await againstFloor(firefox, floorDir, Number(runs));
  await firefox.close();
  const ours = await serve(site);
  const browser = await launch();
  const early = (await clickStartEarly(browser, ours.url, 1000)).loading;
  const [shown, frame] = await barStep(browser, ours.url);
  const version = browser.version();
  await browser.close();
  ours.close();
  const loop = (command) => Number(execFileSync(command[0], command.slice(1), { encoding: "utf8" }).split(" ")[1]);
  const native = loop([nativeLoop]);
  const wasm = loop([process.execPath, wasmLoop]);
  const here = dirname(fileURLToPath(import.meta.url));
  const scores = execFileSync(process.execPath, [join(here, "../tests/web/lighthouse.mjs"), site], { encoding: "utf8" })
    .trim().split("\n").map((line) => line.split(" "));
  console.log(`Chromium ${version} and Firefox ${firefox.version}, headless; ${runs} interleaved first visits each, a new origin every time\n`);
  console.log("| figure | web edition | against | ratio | target |");
  console.log("|---|---|---|---|---|");
  for (const row of [...floorRows("Chromium", chromium), ...floorRows("Firefox", gecko)]) console.log(row);
  console.log(`| click on ＳＴＡＲＴ the moment it shows, engine held back 1 s | ${early ? "handled" : "engine was ready"} | | | never lost |`);
  console.log(`| bar step by key, until value label and patch Ａ show it | ${shown.toFixed(2)} ms (next frame ${frame.toFixed(1)} ms) | | | |`);
  console.log(`| one whole measurement, engine | ${(wasm / 1000).toFixed(2)} µs as WebAssembly | ${(native / 1000).toFixed(2)} µs native | ${(wasm / native).toFixed(2)} | |`);
  for (const [name, score] of scores)
    console.log(`| ${name.replace("lighthouse-", "Lighthouse ")} | ${score} | | | 100 |`);
}

await (mode === "size" ? size() : report());
