#!/usr/bin/env node
// Takes screenshots of the web edition in Debian's Chromium: the red stage at
// desktop size and on a phone held upright (360 x 640, touch, dark colour
// scheme), with the red bar focused by keyboard so that its mark shows.
// Usage: tools/web-screenshots.mjs [site folder] [output folder]
// Needs the web tests' npm packages (tools/install-npm).
import { launch, open, serve } from "../tests/web/browser.mjs";

const site = process.argv[2] ?? "build/web/site";
const out = process.argv[3] ?? "docs/screenshots";
const server = await serve(site);
const browser = await launch();
for (const [name, options] of [
  ["web-red-stage", { viewport: { width: 800, height: 640 } }],
  ["web-red-stage-phone", {
    viewport: { width: 360, height: 640 }, deviceScaleFactor: 2, hasTouch: true, isMobile: true, colorScheme: "dark",
  }],
]) {
  const { page, context } = await open(browser, server.url, options);
  await page.keyboard.press("Tab");
  await page.keyboard.press("Space");
  await page.keyboard.press("PageDown");
  await page.screenshot({ path: `${out}/${name}.png` });
  console.log(`${out}/${name}.png`);
  await context.close();
}
await browser.close();
server.close();
