#!/usr/bin/env node
// The web edition against its floor, and its size.
//
//   web.mjs size SITE [--max BYTES]
//     Everything the first visit loads (every file the service worker keeps),
//     counted as gzip -9 of each file: exact, so make test guards it.
//   web.mjs report SITE FLOOR NATIVE_ENGINE_LOOP WASM_ENGINE_LOOP [RUNS]
//     First contentful paint against the floor's (interleaved runs in the
//     same headless Chromium, served the same way), a click on ＳＴＡＲＴ the
//     moment it is painted while the engine is still loading, a bar step by
//     key until its value label and patch Ａ show it, one whole measurement
//     in the engine as WebAssembly against the native build, and
//     Lighthouse's four scores, as one table.
import { execFileSync } from "node:child_process";
import { readFile } from "node:fs/promises";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { launch, serve } from "../tests/web/browser.mjs";

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

async function firstPaint(browser, url) {
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.goto(url);
  const fcp = await page.evaluate(
    () =>
      new Promise((resolve) =>
        new PerformanceObserver((list, observer) => {
          const entry = list.getEntriesByName("first-contentful-paint")[0];
          if (entry) {
            observer.disconnect();
            resolve(entry.startTime);
          }
        }).observe({ type: "paint", buffered: true })),
  );
  await context.close();
  return fcp;
}

// A click the moment ＳＴＡＲＴ shows, with the engine held back a second.
async function earlyClick(browser, url) {
  const context = await browser.newContext();
  await context.route("**/engine.wasm", async (route) => {
    await new Promise((resolve) => setTimeout(resolve, 1000));
    await route.continue();
  });
  const page = await context.newPage();
  await page.goto(url, { waitUntil: "commit" });
  await page.click("#StartButton");
  const loading = await page.evaluate(() => document.documentElement.dataset.engine !== "ready");
  await page.waitForSelector('[id="red"]:not([hidden])', { timeout: 10000 });
  await context.close();
  return loading;
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

async function report() {
  const [floorDir, nativeLoop, wasmLoop, runs = "15"] = rest;
  const ours = await serve(site);
  const floor = await serve(floorDir);
  const browser = await launch();
  const fcp = { ours: [], floor: [] };
  await firstPaint(browser, ours.url);
  await firstPaint(browser, floor.url);
  for (let i = 0; i < Number(runs); ++i) {
    fcp.ours.push(await firstPaint(browser, ours.url));
    fcp.floor.push(await firstPaint(browser, floor.url));
  }
  const [ourFcp, floorFcp] = [median(fcp.ours), median(fcp.floor)];
  const early = await earlyClick(browser, ours.url);
  const [shown, frame] = await barStep(browser, ours.url);
  const version = browser.version();
  await browser.close();
  ours.close();
  floor.close();
  const loop = (command) => Number(execFileSync(command[0], command.slice(1), { encoding: "utf8" }).split(" ")[1]);
  const native = loop([nativeLoop]);
  const wasm = loop([process.execPath, wasmLoop]);
  const here = dirname(fileURLToPath(import.meta.url));
  const scores = execFileSync(process.execPath, [join(here, "../tests/web/lighthouse.mjs"), site], { encoding: "utf8" })
    .trim().split("\n").map((line) => line.split(" "));
  console.log(`Chromium ${version}, headless; ${runs} interleaved first visits each, fresh profile every time\n`);
  console.log("| figure | web edition | against | ratio | target |");
  console.log("|---|---|---|---|---|");
  const ratio = ourFcp / floorFcp;
  console.log(`| first contentful paint | ${ourFcp.toFixed(0)} ms | floor ${floorFcp.toFixed(0)} ms | ${ratio.toFixed(3)} | ≤ 1.10 × floor${ratio <= 1.1 ? "" : " **missed**"} |`);
  console.log(`| click on ＳＴＡＲＴ the moment it shows, engine held back 1 s | ${early ? "handled" : "engine was ready"} | | | never lost |`);
  console.log(`| bar step by key, until value label and patch Ａ show it | ${shown.toFixed(2)} ms (next frame ${frame.toFixed(1)} ms) | | | |`);
  console.log(`| one whole measurement, engine | ${(wasm / 1000).toFixed(2)} µs as WebAssembly | ${(native / 1000).toFixed(2)} µs native | ${(wasm / native).toFixed(2)} | |`);
  for (const [name, score] of scores)
    console.log(`| ${name.replace("lighthouse-", "Lighthouse ")} | ${score} | | | 100 |`);
}

await (mode === "size" ? size() : report());
