// ＥＮＤ ends the program in every phase; a page whose engine cannot run
// says so in one line instead of showing a window that cannot work; and a
// machine with no Japanese font still reads the captions.
import { test, after } from "node:test";
import assert from "node:assert/strict";
import { mkdtemp, rm, writeFile } from "node:fs/promises";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { clickStartEarly, launch as launchChromium, open, serve, site } from "./browser.mjs";
import { engine, launch } from "./driver.mjs";

const server = await serve(site);
const browser = await launch();
after(async () => {
  await browser.close();
  server.close();
});
const onlyChromium = engine !== "chromium" && "what only playwright can arrange";

test(`${engine}: ＥＮＤ takes the window off in every phase, and a reload starts afresh`, async () => {
  const page = await browser.open(server.url);
  // A tab with history before it, which a page may not close.
  await page.evaluate(() => history.pushState(null, "", location.href));
  for (const steps of [[], ["StartButton"], ["StartButton", "Command1", "GreenBottun"]]) {
    for (const id of steps) await page.click(`[id="${id}"]`);
    await page.click("#EndButton");
    assert.equal(await page.evaluate(() => document.getElementById("Form1")), null, `after ${steps.join(", ") || "opening"}`);
    await page.reload();
    assert.ok(await page.evaluate(() => !document.getElementById("StartButton").hidden), "the opening state again");
  }
  assert.deepEqual(page.problems ?? [], []);
  await page.close();
});

test("ＥＮＤ closes a tab the page may close", { skip: onlyChromium }, async () => {
  const { page, context, problems } = await open(browser.browser, server.url);
  const [tab] = await Promise.all([page.waitForEvent("popup"), page.evaluate((url) => window.open(url), server.url)]);
  await tab.waitForFunction(() => document.documentElement.dataset.engine === "ready");
  const closed = tab.waitForEvent("close");
  // The tab may be gone before the click has returned: that is what is asked.
  await tab.click("#EndButton").catch((error) => assert.match(String(error), /closed/));
  await closed;
  assert.deepEqual(problems, []);
  await context.close();
});

for (const [why, spoil] of [
  ["no WebAssembly", (context) => context.addInitScript(() => delete globalThis.WebAssembly)],
  ["the engine fails to load", (context) => context.route("**/engine.wasm", (route) => route.abort())],
]) {
  test(`${why}: one line says so`, { skip: onlyChromium }, async () => {
    const context = await browser.browser.newContext();
    await spoil(context);
    const page = await context.newPage();
    await page.goto(server.url);
    await page.waitForSelector("#cannot-run", { state: "visible" });
    assert.equal(await page.$("#Form1"), null);
    assert.match(await page.textContent("#cannot-run"), /WebAssembly/);
    await context.close();
  });
}

test("with no Japanese font installed the captions take the font shipped with the page", { skip: onlyChromium }, async () => {
  const folder = await mkdtemp(join(tmpdir(), "tintora-fonts-"));
  const config = join(folder, "fonts.conf");
  await writeFile(config, `<?xml version="1.0"?><!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir><cachedir>${folder}</cachedir></fontconfig>`);
  const bare = await launchChromium({ FONTCONFIG_FILE: config });
  try {
    const { page } = await open(bare, server.url);
    await page.click("#StartButton");
    const faces = await page.evaluate(async () => {
      await document.fonts.ready;
      return [...document.fonts].filter((face) => face.status === "loaded").map((face) => face.family);
    });
    assert.ok(faces.includes("Tintora PGothic"), `loaded: ${faces}`);
    // What Chromium drew each shown caption with: the shipped subset alone,
    // so none of the captions' characters fell back to another font.
    const cdp = await page.context().newCDPSession(page);
    await cdp.send("DOM.enable");
    await cdp.send("CSS.enable");
    const { root } = await cdp.send("DOM.getDocument");
    const { nodeIds } = await cdp.send("DOM.querySelectorAll", {
      nodeId: root.nodeId, selector: "#Form1 :not([hidden]) > .text, #Form1 .button:not([hidden])",
    });
    assert.ok(nodeIds.length >= 5);
    for (const nodeId of nodeIds) {
      const { fonts } = await cdp.send("CSS.getPlatformFontsForNode", { nodeId });
      assert.deepEqual(fonts.filter((font) => !font.isCustomFont), [], `node ${nodeId}: ${JSON.stringify(fonts)}`);
    }
  } finally {
    await bare.close();
    await rm(folder, { recursive: true });
  }
});

test("a click on ＳＴＡＲＴ the moment it shows waits for an engine still loading", { skip: onlyChromium }, async () => {
  const { loading, startHidden } = await clickStartEarly(browser.browser, server.url, 1500);
  assert.ok(loading, "the engine was still loading when ＳＴＡＲＴ was clicked");
  assert.ok(startHidden);
});
