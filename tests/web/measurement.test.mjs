// One whole measurement as a user makes it: by keyboard alone, then by
// pointer (a mouse at desktop size, a finger at phone size). Each checks the
// result rows, the marks and the score from what the page shows and says.
import { test, after } from "node:test";
import assert from "node:assert/strict";
import { launch, open, serve, site } from "./browser.mjs";

const server = await serve(site);
const browser = await launch();
after(async () => {
  await browser.close();
  server.close();
});

const channels = [
  { bar: "red", button: "RedBottun", confirm: "Command1", confirmed: "Label17", correct: "Label4", error: "Label7", index: 0 },
  { bar: "green", button: "GreenBottun", confirm: "Command2", confirmed: "Label18", correct: "Label5", error: "Label8", index: 1 },
  { bar: "blue", button: "BlueBottun", confirm: "Command3", confirmed: "Label19", correct: "Label6", error: "Label9", index: 2 },
];
const byId = (id) => `[id="${id}"]`;

// The target's channel, as patch Ｂ shows it.
async function target(page, index) {
  const colour = await page.$eval(byId("Shape1"), (shape) => getComputedStyle(shape).backgroundColor);
  return Number(colour.match(/\d+/g)[index]);
}

const text = (page, id) => page.$eval(`${byId(id)} .text`, (element) => element.textContent);
const shown = (page, id) => page.$eval(byId(id), (element) => !element.hidden);
const focused = (page) => page.evaluate(() => document.activeElement?.id ?? "");
const heard = (page) => page.$eval("#Announcer", (element) => element.textContent);

// The marks' rule, written out again so that a fault in the engine's bands cannot hide.
const markFor = (error) => (error <= 5 ? "Label13" : error <= 10 ? "Label14" : "Label15");

async function checkRow(page, channel, chosen) {
  const correct = await target(page, channel.index);
  assert.equal(await text(page, channel.confirmed), String(chosen));
  assert.equal(await text(page, channel.correct), String(correct));
  const error = Math.abs(chosen - correct);
  assert.equal(await text(page, channel.error), String(error));
  for (const mark of ["Label13", "Label14", "Label15"]) {
    assert.equal(await shown(page, `${mark}(${channel.index})`), mark === markFor(error), `${mark} of ${channel.bar}`);
  }
  return error;
}

// The value each stage aims at: off the target by a few steps, in turn
// inside each band, and kept inside 0..255.
const aimFor = (correct, offset) => (correct + offset <= 255 ? correct + offset : correct - offset);
const offsets = [3, 8, 20];

test("a whole measurement by keyboard alone", async () => {
  const { page, context, problems } = await open(browser, server.url);
  assert.equal(await focused(page), "EndButton", "at opening the focus is on ＥＮＤ");
  await page.keyboard.press("Tab");
  assert.equal(await focused(page), "StartButton");
  await page.keyboard.press("Space");
  let errors = 0;
  for (const channel of channels) {
    // ＳＴＡＲＴ, G and B each give the focus to the stage's bar.
    assert.equal(await focused(page), channel.bar);
    const told = await heard(page);
    assert.match(told, new RegExp(`^${["赤", "緑", "青"][channel.index]}の段階です`));
    const aim = aimFor(await target(page, channel.index), offsets[channel.index]);
    await page.keyboard.press("Home");
    for (let i = 0; i < Math.floor(aim / 10); ++i) await page.keyboard.press("PageDown");
    for (let i = 0; i < aim % 10; ++i) await page.keyboard.press("ArrowRight");
    await page.keyboard.press("ArrowLeft");
    await page.keyboard.press("ArrowDown");
    assert.equal(await text(page, `label${channel.bar}`), String(aim));
    assert.equal(await page.$eval(byId(channel.bar), (bar) => bar.getAttribute("aria-valuenow")), String(aim));
    // Done as the sentence says: so many Tabs from the bar reach 確定.
    const presses = Number(told.match(/Tab を(\d+)回/)?.[1]);
    for (let i = 0; i < presses; ++i) await page.keyboard.press("Tab");
    assert.equal(await focused(page), channel.confirm, `${presses} Tabs, as told: ${told}`);
    await page.keyboard.press("Enter");
    errors += await checkRow(page, channel, aim);
    assert.match(await heard(page), new RegExp(`確定値 ${aim} 正解`));
    const next = channel.index < 2 ? channels[channel.index + 1].button : "Command6";
    assert.equal(await focused(page), next, "the focus goes to the next step, never to ＥＮＤ");
    await page.keyboard.press("Space");
  }
  assert.equal(await text(page, "Label20"), String(100 - errors));
  assert.equal(await heard(page), `点数 ${String(100 - errors).replace("-", "マイナス")}`);
  await page.keyboard.press("Shift+Tab");
  assert.equal(await focused(page), "SaisokuteiButton");
  await page.keyboard.press("Space");
  assert.equal(await focused(page), "red");
  assert.equal(await shown(page, "Label7"), false, "re-measure clears the results");
  assert.deepEqual(problems, []);
  await context.close();
});

// Moves a bar to a value with the pointer: the thumb dragged near it, then
// the end arrows one step at a time.
async function pointTo(page, bar, aim, press) {
  const thumb = await page.locator(`${byId(bar)} .thumb`).boundingBox();
  const track = await page.locator(`${byId(bar)} .track`).boundingBox();
  const x = track.x + thumb.width / 2 + (aim / 255) * (track.width - thumb.width);
  await press.drag(thumb.x + thumb.width / 2, thumb.y + thumb.height / 2, x);
  for (let value = Number(await text(page, `label${bar}`)); value !== aim; ) {
    await press.tap(`${byId(bar)} .arrow.${value < aim ? "more" : "less"}`);
    value = Number(await text(page, `label${bar}`));
  }
}

async function measureByPointer(page, press) {
  await press.tap(byId("StartButton"));
  let errors = 0;
  for (const channel of channels) {
    // The button that opened the stage gave its bar the focus, with no
    // keyboard mark after a pointer's press.
    const mark = await page.evaluate(() => [document.activeElement.id, document.activeElement.matches(":focus-visible")]);
    assert.deepEqual(mark, [channel.bar, false]);
    // The track steps by ten towards the press.
    const before = Number(await text(page, `label${channel.bar}`));
    const track = await page.locator(`${byId(channel.bar)} .track`).boundingBox();
    await press.tapAt(track.x + track.width - 2, track.y + track.height / 2);
    assert.equal(Number(await text(page, `label${channel.bar}`)), Math.min(255, before + 10));
    const aim = aimFor(await target(page, channel.index), offsets[channel.index]);
    await pointTo(page, channel.bar, aim, press);
    await press.tap(byId(channel.confirm));
    errors += await checkRow(page, channel, aim);
    await press.tap(byId(channel.index < 2 ? channels[channel.index + 1].button : "Command6"));
  }
  assert.equal(await text(page, "Label20"), String(100 - errors));
}

test("a whole measurement by mouse at desktop size", async () => {
  const { page, context, problems } = await open(browser, server.url, { viewport: { width: 1280, height: 800 } });
  const mouse = {
    tap: (selector) => page.click(selector),
    tapAt: async (x, y) => page.mouse.click(x, y),
    drag: async (x, y, to) => {
      await page.mouse.move(x, y);
      await page.mouse.down();
      await page.mouse.move(to, y, { steps: 5 });
      await page.mouse.up();
    },
  };
  await measureByPointer(page, mouse);
  assert.deepEqual(problems, []);
  await context.close();
});

test("a whole measurement by touch on a phone held upright", async () => {
  const { page, context, problems } = await open(browser, server.url, {
    viewport: { width: 360, height: 640 }, hasTouch: true, isMobile: true, deviceScaleFactor: 2,
  });
  const box = await page.locator("#Form1").boundingBox();
  assert.ok(box.x >= 0 && box.y >= 0 && box.x + box.width <= 360 && box.y + box.height <= 640, "the window fits");
  assert.equal(await page.evaluate(() => document.documentElement.scrollWidth), 360, "no horizontal scrolling");
  const cdp = await context.newCDPSession(page);
  const touch = (type, x, y) => cdp.send("Input.dispatchTouchEvent", { type, touchPoints: type === "touchEnd" ? [] : [{ x, y }] });
  // A finger taps at a finger's pace: taps a few milliseconds apart, as
  // playwright makes them, Chromium's gesture recognizer may merge or drop.
  const pace = () => page.waitForTimeout(150);
  const finger = {
    tap: async (selector) => {
      await pace();
      await page.tap(selector);
    },
    tapAt: async (x, y) => {
      await pace();
      await page.touchscreen.tap(x, y);
    },
    drag: async (x, y, to) => {
      await touch("touchStart", x, y);
      for (let step = 1; step <= 5; ++step) await touch("touchMove", x + ((to - x) * step) / 5, y);
      await touch("touchEnd");
    },
  };
  await measureByPointer(page, finger);
  assert.deepEqual(problems, []);
  await context.close();
});
