// A user who presses whatever is shown, in any order, with the mouse, a
// finger or the keyboard, for a bounded time; after every event the page
// must still tell the truth about the measurement.
import { test } from "node:test";
import assert from "node:assert/strict";
import { engine, suite } from "./driver.mjs";
import { byId, problems, read, roles } from "./window.mjs";

const { server, browser } = await suite();

const seconds = Number(process.env.TINTORA_RANDOM_SECONDS ?? 20);
const seed = Number(process.env.TINTORA_SEED ?? Date.now() % 100000);

// A small seeded generator, so that a failing run can be replayed.
function random(state) {
  return () => {
    state = (state * 1103515245 + 12345) % 2147483648;
    return state / 2147483648;
  };
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
  let state = await read(page);
  while (Date.now() < until) {
    // ＥＮＤ would end the program; that is the end test's.
    const targets = Object.keys(state.shown).filter((id) => state.shown[id] && id !== roles.end && /Bottun|Button|Command|^(red|green|blue)$/.test(id));
    const id = pick(targets);
    const how = next();
    let did;
    if (how < 0.35) {
      const key = pick(keys);
      if (state.focused === roles.end && (key === "Space" || key === "Enter")) continue;
      await page.press(key);
      did = key;
    } else if (!["red", "green", "blue"].includes(id)) {
      await page.click(byId(id), touch && how >= 0.7);
      did = `press ${id}`;
    } else {
      const part = pick([".arrow.less", ".arrow.more", ".track", ".thumb"]);
      const box = await page.box(`${byId(id)} ${part}`);
      const x = box.x + next() * box.width;
      const y = box.y + box.height / 2;
      if (part === ".thumb") await page.drag(x, y, x + (next() - 0.5) * 200);
      else await page.pointAt(x, y);
      did = `${id} ${part}`;
    }
    ++events;
    state = await read(page);
    assert.deepEqual(problems(state), [], `after ${did} (event ${events}, seed ${seed})`);
  }
  assert.ok(events > 50, `only ${events} events`);
  assert.deepEqual(page.problems ?? [], []);
  await page.close();
});
