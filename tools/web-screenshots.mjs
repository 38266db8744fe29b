#!/usr/bin/env node
// Takes screenshots of the web edition in Debian's Chromium: the red stage at
// desktop size with the red bar focused by keyboard, so that its mark shows;
// then the arrangement for fingers, by taps: on a phone held upright (360 ×
// 640, dark colour scheme) in the red stage and at the score, on a phone on
// its side (640 × 360) in the green stage, and on a tablet (1024 × 768) in
// the blue stage.
// Usage: tools/web-screenshots.mjs [site folder] [output folder]
// Needs the web tests' npm packages (tools/install-npm).
import { launch, serve } from "../tests/web/driver.mjs";

const site = process.argv[2] ?? "build/web/site";
const out = process.argv[3] ?? "docs/screenshots";
const server = await serve(site);
const browser = await launch("chromium");
const measurement = ["StartButton", "Command1", "GreenBottun", "Command2", "BlueBottun", "Command3", "Command6"];
const upTo = (id) => measurement.slice(0, measurement.indexOf(id) + 1);
const phone = { viewport: { width: 360, height: 640 }, touch: true, scale: 2, colorScheme: "dark" };
for (const [name, options, taps] of [
  ["web-red-stage", { viewport: { width: 800, height: 640 } }, null],
  ["web-red-stage-phone", phone, upTo("StartButton")],
  ["web-score-phone", phone, measurement],
  ["web-green-stage-phone-on-its-side", { viewport: { width: 640, height: 360 }, touch: true, scale: 2 }, upTo("GreenBottun")],
  ["web-blue-stage-tablet", { viewport: { width: 1024, height: 768 }, touch: true }, upTo("BlueBottun")],
]) {
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
  await page.screenshot(`${out}/${name}.png`);
  console.log(`${out}/${name}.png`);
  await page.close();
}
await browser.close();
server.close();
