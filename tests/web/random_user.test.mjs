// A user who presses whatever is shown, in any order, with the mouse, a
// finger or the keyboard, for a bounded time; after every event the page
// must still tell the truth about the measurement.
import { test, after } from "node:test";
import assert from "node:assert/strict";
import { serve, site } from "./browser.mjs";
import { engine, launch } from "./driver.mjs";

const server = await serve(site);
const browser = await launch();
after(async () => {
  await browser.close();
  server.close();
});

const seconds = Number(process.env.TINTORA_RANDOM_SECONDS ?? 20);
const seed = Number(process.env.TINTORA_SEED ?? Date.now() % 100000);

// A small seeded generator, so that a failing run can be replayed.
function random(state) {
  return () => {
    state = (state * 1103515245 + 12345) % 2147483648;
    return state / 2147483648;
  };
}

// What must hold after every event, read from the page as a user sees it.
function invariants() {
  const rgb = (id) => getComputedStyle(document.getElementById(id)).backgroundColor.match(/\d+/g).map(Number);
  const shown = (id) => !document.getElementById(id).hidden;
  const caption = (id) => document.querySelector(`[id="${id}"] .text`).textContent;
  const bars = ["red", "green", "blue"];
  const problems = [];
  const started = !shown("StartButton");
  const test = rgb("Shape2");
  const target = rgb("Shape1");
  const visibleBars = bars.filter(shown);
  if (visibleBars.length > 1) problems.push(`two bars shown: ${visibleBars}`);
  bars.forEach((bar, index) => {
    const value = document.getElementById(bar).getAttribute("aria-valuenow");
    if (caption(`label${bar}`) !== value) problems.push(`label${bar} reads ${caption(`label${bar}`)}, bar ${value}`);
    if (started && test[index] !== Number(value)) problems.push(`patch Ａ's ${bar} is ${test[index]}, bar ${value}`);
    if (visibleBars.length === 1 && visibleBars[0] !== bar && Number(value) !== target[index])
      problems.push(`hidden bar ${bar} left the target`);
    const marks = ["Label13", "Label14", "Label15"].filter((mark) => shown(`${mark}(${index})`));
    if (marks.length > 1) problems.push(`two marks in row ${bar}`);
  });
  const focused = document.activeElement;
  if (focused?.closest("[hidden]")) problems.push(`the focus stays on hidden ${focused.id}`);
  if (shown("Label20")) {
    const errors = ["Label7", "Label8", "Label9"].reduce((sum, id) => sum + Number(caption(id)), 0);
    if (caption("Label20") !== String(100 - errors)) problems.push(`score ${caption("Label20")} for errors ${errors}`);
  }
  return problems;
}

test(`${engine}: a random user for ${seconds} s (seed ${seed})`, async () => {
  const next = random(seed);
  const pick = (list) => list[Math.floor(next() * list.length)];
  // A finger as well as a mouse, where the engine can be told of one.
  const touch = browser.can.touch;
  const page = await browser.open(server.url, { touch });
  const keys = ["ArrowLeft", "ArrowRight", "ArrowUp", "ArrowDown", "PageUp", "PageDown", "Home", "End", "Tab", "Shift+Tab", "Space", "Enter"];
  const until = Date.now() + seconds * 1000;
  let events = 0;
  while (Date.now() < until) {
    const targets = await page.evaluate(() =>
      [...document.querySelectorAll("#Form1 .button:not([hidden]), #Form1 .bar:not([hidden])")]
        .map((element) => element.id)
        .filter((id) => id !== "EndButton"));
    const id = pick(targets);
    const selector = `[id="${id}"]`;
    const how = next();
    let did;
    if (how < 0.35) {
      const key = pick(keys);
      // Space or Enter on ＥＮＤ would end the program; that is the end test's.
      const onEnd = await page.evaluate(() => document.activeElement?.id === "EndButton");
      if (onEnd && (key === "Space" || key === "Enter")) continue;
      await page.press(key);
      did = key;
    } else if (id.endsWith("Bottun") || id.startsWith("Command") || id.endsWith("Button")) {
      await (how < 0.7 || !touch ? page.click(selector) : page.tap(selector));
      did = `press ${id}`;
    } else {
      const part = pick([".arrow.less", ".arrow.more", ".track", ".thumb"]);
      const box = await page.box(`${selector} ${part}`);
      const x = box.x + next() * box.width;
      const y = box.y + box.height / 2;
      if (part === ".thumb") await page.drag(x, y, x + (next() - 0.5) * 200);
      else await page.clickAt(x, y);
      did = `${id} ${part}`;
    }
    ++events;
    assert.deepEqual(await page.evaluate(invariants), [], `after ${did} (event ${events}, seed ${seed})`);
  }
  assert.ok(events > 50, `only ${events} events`);
  assert.deepEqual(page.problems ?? [], []);
  await page.close();
});
