#!/usr/bin/env node
// Takes screenshots of the web edition: in Chromium, the red stage at
// desktop size with the red bar focused by keyboard, so that its mark
// shows; then the arrangement for fingers, by taps: on a phone held upright
// (360 × 640, dark colour scheme) in the red stage, its hint over the bar,
// and at the score; on a phone on its side (640 × 320) in the red stage and
// at the score; on a tablet (1024 × 768) in the blue stage and (768 × 1024)
// held upright in the red stage. With an engine named (wpe), the pictures
// for fingers in that engine, named after it.
// Usage: tools/web-screenshots.mjs [site folder] [output folder] [engine]
// Needs the web tests' npm packages (tools/install-npm).
import { launch, serve } from "../tests/web/driver.mjs";

const site = process.argv[2] ?? "build/web/site";
const out = process.argv[3] ?? "docs/screenshots";
const engine = process.argv[4] ?? "chromium";
const server = await serve(site);
const browser = await launch(engine);
const measurement = ["StartButton", "Command1", "GreenBottun", "Command2", "BlueBottun", "Command3", "Command6"];
const upTo = (id) => measurement.slice(0, measurement.indexOf(id) + 1);
const finger = (width, height, more = {}) => ({ viewport: { width, height }, touch: true, scale: 2, ...more });
const suffix = engine === "chromium" ? "" : `-${engine}`;
for (const [name, options, taps] of [
  ["web-red-stage", { viewport: { width: 800, height: 640 } }, null],
  ["web-red-stage-phone", finger(360, 640, { colorScheme: "dark" }), upTo("StartButton")],
  ["web-score-phone", finger(360, 640, { colorScheme: "dark" }), measurement],
  ["web-red-stage-phone-on-its-side", finger(640, 320), upTo("StartButton")],
  ["web-score-phone-on-its-side", finger(640, 320), measurement],
  ["web-blue-stage-tablet", finger(1024, 768, { scale: 1 }), upTo("BlueBottun")],
  ["web-red-stage-tablet-upright", finger(768, 1024, { scale: 1 }), upTo("StartButton")],
]) {
  if (!taps && engine !== "chromium") continue;
  const page = await browser.open(server.url, options);
  if (taps) {
    for (const id of taps) await page.tap(`[id="${id}"]`);
    // A touch outside the window lifts the last button out of its pressed look.
    await page.evaluate(() => scrollTo(0, 0));
    await page.tapAt(1, 1);
  } else {
    await page.press("Tab");
    await page.press("Space");
    await page.press("PageDown");
  }
  await page.screenshot(`${out}/${name}${suffix}.png`);
  console.log(`${out}/${name}${suffix}.png`);
  await page.close();
}
await browser.close();
server.close();
