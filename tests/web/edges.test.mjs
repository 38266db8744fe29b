// ＥＮＤ ends the program in every phase; a click on ＳＴＡＲＴ the moment it
// shows is never lost; a page whose engine cannot run says so in one line
// instead of showing a window that cannot work; and a machine with no
// Japanese font still reads the captions.
import { test } from "node:test";
import assert from "node:assert/strict";
import { mkdtemp, rm, writeFile } from "node:fs/promises";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { engine, launchChromium, serve, site, suite } from "./driver.mjs";
import { byId, read, roles } from "./window.mjs";

const { server, browser } = await suite();
const onlyChromium = !browser.can.chromium && "what only Chromium's automation arranges";

test(`${engine}: ＥＮＤ takes the window off in every phase, and a reload starts afresh`, async () => {
  const page = await browser.open(server.url);
  // A tab with history before it, which a page may not close.
  await page.evaluate(() => history.pushState(null, "", location.href));
  for (const steps of [[], [roles.start], [roles.start, "Command1", "GreenBottun"]]) {
    for (const id of steps) await page.click(byId(id));
    await page.click(byId(roles.end));
    assert.equal(await read(page), null, `after ${steps.join(", ") || "opening"}`);
    await page.reload();
    assert.ok((await read(page)).shown[roles.start], "the opening state again");
  }
  assert.deepEqual(page.problems ?? [], []);
  await page.close();
});

// The engine held back by the host: a click on ＳＴＡＲＴ as soon as it shows
// is kept until the engine is in, then handled.
test(`${engine}: a click on ＳＴＡＲＴ the moment it shows waits for an engine still loading`, async () => {
  const slow = await serve(site, { held: { "engine.wasm": 1500 } });
  const page = await browser.open(slow.url, { ready: false });
  await page.waitFor(() => document.documentElement.hasAttribute("data-bound"));
  await page.click(byId(roles.start));
  assert.ok(await page.evaluate(() => document.documentElement.dataset.engine !== "ready"), "the engine was still loading");
  await page.waitFor(() => !document.getElementById("red").hidden);
  assert.equal((await read(page)).shown[roles.start], false);
  await page.close();
  slow.close();
});

test("ＥＮＤ closes a tab the page may close", { skip: onlyChromium }, async () => {
  const page = await browser.open(server.url);
  const opened = browser.browser.waitForTarget((target) => target.opener() === page.page.target());
  await page.evaluate((url) => window.open(url), server.url);
  const tab = await (await opened).page();
  await tab.waitForFunction(() => document.documentElement.dataset.engine === "ready");
  const closed = new Promise((resolve) => tab.once("close", resolve));
  // The tab may be gone before the click has returned: that is what is asked.
  await tab.click("#EndButton").catch((error) => assert.match(String(error), /closed|detached|Target/i));
  await closed;
  assert.deepEqual(page.problems, []);
  await page.close();
});

for (const [why, options] of [
  ["no WebAssembly", { beforeLoad: () => delete globalThis.WebAssembly }],
  ["the engine fails to load", { missing: ["engine.wasm"] }],
]) {
  const skip = options.beforeLoad && !browser.can.beforeLoad && `${engine}'s driver cannot run a script before the page's`;
  test(`${engine}: ${why}: one line says so`, { skip }, async () => {
    const host = await serve(site, options);
    const page = await browser.open(host.url, { ...options, ready: false });
    await page.waitFor(() => document.getElementById("cannot-run")?.hidden === false);
    assert.equal(await read(page), null);
    assert.match(await page.evaluate(() => document.getElementById("cannot-run").textContent), /WebAssembly/);
    await page.close();
    host.close();
  });
}

test("with no Japanese font installed the captions take the font shipped with the page", { skip: onlyChromium }, async () => {
  const folder = await mkdtemp(join(tmpdir(), "tintora-fonts-"));
  const config = join(folder, "fonts.conf");
  await writeFile(config, `<?xml version="1.0"?><!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir><cachedir>${folder}</cachedir></fontconfig>`);
  const bare = await launchChromium({ env: { FONTCONFIG_FILE: config } });
  try {
    const tab = await bare.newPage();
    await tab.goto(server.url);
    await tab.waitForFunction(() => document.documentElement.dataset.engine === "ready");
    await tab.click("#StartButton");
    const faces = await tab.evaluate(async () => {
      await document.fonts.ready;
      return [...document.fonts].filter((face) => face.status === "loaded").map((face) => face.family);
    });
    assert.ok(faces.includes("Tintora PGothic"), `loaded: ${faces}`);
    // What Chromium drew each shown caption with: the shipped subset alone,
    // so none of the captions' characters fell back to another font.
    const cdp = await tab.createCDPSession();
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
