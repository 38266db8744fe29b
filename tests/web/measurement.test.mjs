// One whole measurement as a user makes it: by keyboard alone, then by
// pointer (a mouse at desktop size, a finger on phones and tablets). Each
// checks the result rows, the marks, the score and what the page says. At
// desktop size every control stands where the design puts it; under a
// finger every target is a finger's size where taps land, and taps alone,
// a few pixels off their aim, reach every value exactly.
import { test } from "node:test";
import assert from "node:assert/strict";
import { engine, pause, suite } from "./driver.mjs";
import { byId, channels, heardScore, markFor, problems, read, roles, scoreFor, tables } from "./window.mjs";

const { server, browser } = await suite();

const designed = Object.fromEntries(tables.controls.map((control) => [control.name, control.place]));
const value = async (page, channel) => (await read(page)).value[channel.bar];
// A tap's click follows its touch at the engine's own pace, later on a busy
// machine: the window once it shows what the tap was for, or as it stands a
// second on.
async function readOnceIt(page, did) {
  for (const until = Date.now() + 1000; ; await pause(20)) {
    const state = await read(page);
    if (did(state) || Date.now() > until) return state;
  }
}
const next = (channel) => channels[channel.index + 1];

// The row a confirmation wrote, against the target it was made for; the error.
function checkRow(state, channel, chosen, correct) {
  assert.equal(state.text[channel.confirmed], String(chosen));
  assert.equal(state.text[channel.correct], String(correct));
  const error = Math.abs(chosen - correct);
  assert.equal(state.text[channel.error], String(error));
  for (const mark of tables.marks) assert.equal(state.shown[`${mark}(${channel.index})`], mark === markFor(error), `${mark} of ${channel.bar}`);
  assert.match(state.heard, new RegExp(`確定値 ${chosen} 正解 ${correct} 誤差 ${error} 判定`));
  assert.deepEqual(problems(state), []);
  return error;
}

function checkScore(state, errors) {
  assert.equal(state.text[roles.score], scoreFor(errors));
  assert.equal(state.heard, heardScore(errors));
}

// The value each stage aims at: off the target by a few steps, in turn
// inside each band, and kept inside 0..255.
const aimFor = (correct, offset) => (correct + offset <= 255 ? correct + offset : correct - offset);
const offsets = [3, 8, 20];
const targetOf = (state, channel) => state.colour[roles.targetPatch][channel.index];

test(`${engine}: a whole measurement by keyboard alone`, async () => {
  const page = await browser.open(server.url);
  assert.equal((await read(page)).focused, roles.end, "at opening the focus is on ＥＮＤ");
  await page.press("Tab");
  assert.equal((await read(page)).focused, roles.start);
  await page.press("Space");
  let errors = 0;
  for (const channel of channels) {
    const stage = await read(page);
    // ＳＴＡＲＴ, G and B each give the focus to the stage's bar.
    assert.equal(stage.focused, channel.bar);
    assert.match(stage.heard, new RegExp(`^${channel.word}の段階です`));
    const correct = targetOf(stage, channel);
    const aim = aimFor(correct, offsets[channel.index]);
    await page.press("Home");
    for (let i = 0; i < Math.floor(aim / 10); ++i) await page.press("PageDown");
    for (let i = 0; i < aim % 10; ++i) await page.press("ArrowRight");
    await page.press("ArrowLeft");
    await page.press("ArrowDown");
    assert.equal(await value(page, channel), aim);
    // Done as the sentence says: so many Tabs from the bar reach 確定.
    const presses = Number(stage.heard.match(/Tab を(\d+)回/)?.[1]);
    for (let i = 0; i < presses; ++i) await page.press("Tab");
    assert.equal((await read(page)).focused, channel.confirm, `${presses} Tabs, as told: ${stage.heard}`);
    await page.press("Enter");
    const graded = await read(page);
    errors += checkRow(graded, channel, aim, correct);
    assert.equal(graded.focused, next(channel)?.button ?? roles.push, "the focus goes to the next step, never to ＥＮＤ");
    await page.press("Space");
  }
  checkScore(await read(page), errors);
  await page.press("Shift+Tab");
  assert.equal((await read(page)).focused, roles.remeasure);
  await page.press("Space");
  const again = await read(page);
  assert.equal(again.focused, "red");
  assert.equal(again.shown.Label7, false, "re-measure clears the results");
  assert.deepEqual(page.problems ?? [], []);
  await page.close();
});

// The hint's words end above its arrows, in every arrangement.
async function checkHintWords(page) {
  const [words, arrow] = await page.evaluate(() => {
    const hint = document.querySelector('[id="Label21"]:not([hidden])');
    if (!hint) return [null, null];
    const text = hint.querySelector(".text").firstChild;
    let bottom = 0;
    for (let i = 0; i < text.length; ++i) {
      if (/[\s\u3000]/.test(text.data[i])) continue;
      const range = document.createRange();
      range.setStart(text, i);
      range.setEnd(text, i + 1);
      // A character's first box: WebKit stretches the last one of a line over the break.
      bottom = Math.max(bottom, range.getClientRects()[0].bottom);
    }
    return [bottom, hint.querySelector(".pointer").getBoundingClientRect().top];
  });
  if (words !== null) assert.ok(words <= arrow + 1, `the hint's words reach ${words}, its arrows start at ${arrow}`);
}

// Every shown control where the design puts it, relative to the window, to
// 1 CSS px.
async function checkDesignedPlaces(page) {
  const state = await read(page);
  const shown = Object.keys(state.box).filter((id) => state.shown[id]);
  assert.ok(shown.length >= 6);
  for (const id of shown) {
    const place = [...designed[id]];
    if (state.box[id].moved) place[1] = Number(state.box[id].moved);
    const off = state.box[id].at.map((each, i) => Math.abs(each - place[i]));
    assert.ok(Math.max(...off) <= 1, `${id} stands at ${state.box[id].at.map(Math.round)}, designed ${place}`);
  }
}

// Where taps land, over a grid two pixels apart: for every shown button,
// and each part of a shown bar (the end arrows, the thumb, the track each
// side of it), the longest runs of landing points across and down through
// its middle, and the box they span.
function targetsWhereTapsLand() {
  const parts = [];
  for (const button of document.querySelectorAll("#Form1 .button:not([hidden])"))
    parts.push({ control: button.id, name: button.id, box: button.getBoundingClientRect(), lands: (hit) => button.contains(hit) });
  for (const bar of document.querySelectorAll("#Form1 .bar:not([hidden])")) {
    const [less, more, track, thumb] = [".arrow.less", ".arrow.more", ".track", ".thumb"].map((part) => bar.querySelector(part));
    const trackBox = track.getBoundingClientRect();
    const thumbBox = thumb.getBoundingClientRect();
    const side = (from, to) => new DOMRect(from, trackBox.top, to - from, trackBox.height);
    for (const [name, box, lands] of [
      ["less", less.getBoundingClientRect(), (hit) => less.contains(hit)],
      ["more", more.getBoundingClientRect(), (hit) => more.contains(hit)],
      ["thumb", thumbBox, (hit) => thumb.contains(hit)],
      ["track less", side(trackBox.left, thumbBox.left), (hit, x) => hit === track && x < thumbBox.left],
      ["track more", side(thumbBox.right, trackBox.right), (hit, x) => hit === track && x > thumbBox.right],
    ])
      parts.push({ control: bar.id, name: `${bar.id} ${name}`, box, lands });
  }
  const step = 2;
  return parts.map(({ control, name, box, lands }) => {
    const hits = (x, y) => lands(document.elementFromPoint(x, y), x);
    const run = (along) => {
      let best = 0;
      let length = 0;
      for (let t = -24; t <= (along ? box.width : box.height) + 24; t += step) {
        const x = along ? box.left + t : box.left + box.width / 2;
        const y = along ? box.top + box.height / 2 : box.top + t;
        length = hits(x, y) ? length + step : 0;
        best = Math.max(best, length);
      }
      return best;
    };
    return { control, name, width: run(true), height: run(false), box: [box.left, box.top, box.right, box.bottom] };
  });
}

// Under a finger, in every phase: the whole window on the screen with no
// scrolling, every target a finger's size where taps land and 8 px from the
// next; the smallest target and the page's height, for the note.
async function checkTargets(page, size, seen) {
  const fits = await page.evaluate(() => [document.documentElement.scrollWidth, document.documentElement.scrollHeight]);
  assert.ok(fits[0] <= size.width && fits[1] <= size.height, `the page is ${fits} on a screen of ${size.width} × ${size.height}`);
  seen.heights.add(fits[1]);
  const targets = await page.evaluate(targetsWhereTapsLand);
  for (const each of targets) {
    // The track beside a thumb near an end is as narrow as the value makes it.
    if (each.name.includes("track") && each.box[2] - each.box[0] < 48) continue;
    seen.smallest = Math.min(seen.smallest, each.width, each.height);
    assert.ok(each.width >= 48 && each.height >= 48, `${each.name}: taps land on ${each.width} × ${each.height}`);
  }
  for (const a of targets) {
    for (const b of targets) {
      if (a.control >= b.control) continue;
      const gap = Math.max(b.box[0] - a.box[2], a.box[0] - b.box[2], b.box[1] - a.box[3], a.box[1] - b.box[3]);
      assert.ok(gap >= 8, `${a.name} and ${b.name} are ${gap} apart`);
    }
  }
}

// A finger lands a few pixels off what it aims at, never twice alike; a
// mouse lands where it aims.
const fingerErrors = [[5, -4], [-6, 3], [4, 6], [-3, -7], [7, 2], [-5, -5], [2, 7], [-7, -2]];

// The pointer's ways: at desktop size a mouse, which also drags the thumb,
// with every control in its designed place; under a finger at the sizes of
// the phones and tablets people hold, by taps alone (at one size the thumb
// is dragged first), every target measured where taps land.
const ways = [
  { name: "by mouse at desktop size, every control in its designed place", viewport: { width: 1280, height: 800 }, drag: true },
  ...[[320, 568], [360, 640, true], [390, 844], [568, 320], [640, 320], [640, 360], [768, 1024], [1024, 768]].map(([width, height, drag]) => ({
    name: `by taps at ${width} × ${height}${drag ? ", the thumb dragged" : " alone"}, every target a finger's size where taps land`,
    viewport: { width, height }, touch: true, drag, scale: drag ? 2 : 1,
  })),
];

for (const way of ways) {
  const skip = (way.touch && !browser.can.touch && `${engine} cannot be told its pointer is coarse`)
    || (!way.touch && browser.can.mouse === false && `${engine}'s pointer is a finger`);
  test(`${engine}: a whole measurement ${way.name}`, { skip }, async (t) => {
    const page = await browser.open(server.url, way);
    const seen = { smallest: Infinity, taps: 0, missed: 0, heights: new Set(), marks: [] };
    const eachPhase = async () => {
      await (way.touch ? checkTargets(page, way.viewport, seen) : checkDesignedPlaces(page));
      await checkHintWords(page);
    };
    // Aims at a point and lands off it (or on it); counts the tap missed
    // where it did not do what it was for.
    const tapNear = async (x, y, did) => {
      const [dx, dy] = way.touch ? fingerErrors[seen.taps++ % fingerErrors.length] : [0, 0];
      await page.pointAt(x + dx, y + dy, way.touch);
      if (!did(await readOnceIt(page, did))) ++seen.missed;
    };
    const tapOn = async (selector, did) => {
      const box = await page.box(selector);
      await tapNear(box.x + box.width / 2, box.y + box.height / 2, did);
    };
    const shows = (id) => (state) => state.shown[id];
    await eachPhase();
    await tapOn(byId(roles.start), shows("red"));
    let errors = 0;
    for (const channel of channels) {
      await eachPhase();
      const stage = await read(page);
      // The button that opened the stage gave its bar the focus, with no
      // keyboard mark after a pointer's press.
      assert.deepEqual([stage.focused, stage.focusVisible], [channel.bar, false]);
      const correct = targetOf(stage, channel);
      const aim = aimFor(correct, offsets[channel.index]);
      const bar = byId(channel.bar);
      // Each ↓ of the hint stands over an end arrow of the bar: a tap
      // straight below it, on the bar, steps the value by one.
      for (const [mark, arrow, by] of [["first", "less", -1], ["last", "more", 1]]) {
        const [pointer, end, onBar] = [await page.box(`${byId(roles.hint)} .pointer.${mark}`), await page.box(`${bar} .arrow.${arrow}`), await page.box(bar)];
        const x = pointer.x + pointer.width / 2;
        assert.ok(x > end.x && x < end.x + end.width, `the ${mark} ↓ at ${x} stands over the ${arrow} arrow, ${end.x} to ${end.x + end.width}`);
        const before = await value(page, channel);
        await page.pointAt(x, onBar.y + onBar.height / 2, way.touch);
        const after = await readOnceIt(page, (state) => state.value[channel.bar] === before + by);
        assert.equal(after.value[channel.bar], before + by, `a tap below the ${mark} ↓`);
        seen.marks.push(`${channel.name} ${mark} ↓ at ${Math.round(x)} over ${Math.round(end.x)}–${Math.round(end.x + end.width)}: ${by > 0 ? "+" : ""}${by}`);
      }
      if (way.drag) {
        const [thumb, track] = [await page.box(`${bar} .thumb`), await page.box(`${bar} .track`)];
        const x = track.x + thumb.width / 2 + (aim / 255) * (track.width - thumb.width);
        await page.drag(thumb.x + thumb.width / 2, thumb.y + thumb.height / 2, x, way.touch);
      }
      for (let now = await value(page, channel); now !== aim && seen.missed === 0; now = await value(page, channel)) {
        const more = aim > now;
        const moved = (by) => (state) => state.value[channel.bar] === Math.max(0, Math.min(255, now + (more ? by : -by)));
        // The track moves by ten towards the tap where it is wide enough to aim at.
        const [thumb, track] = [await page.box(`${bar} .thumb`), await page.box(`${bar} .track`)];
        const room = more ? track.x + track.width - (thumb.x + thumb.width) : thumb.x - track.x;
        if (Math.abs(aim - now) >= 10 && room >= 48) {
          const x = more ? (thumb.x + thumb.width + track.x + track.width) / 2 : (track.x + thumb.x) / 2;
          await tapNear(x, track.y + track.height / 2, moved(10));
        } else {
          await tapOn(`${bar} .arrow.${more ? "more" : "less"}`, moved(1));
        }
      }
      assert.equal(seen.missed, 0, `a tap missed on the way to ${aim}`);
      await tapOn(byId(channel.confirm), shows(channel.confirmed));
      errors += checkRow(await read(page), channel, aim, correct);
      await eachPhase();
      await tapOn(byId(next(channel)?.button ?? roles.push), shows(next(channel)?.bar ?? roles.score));
    }
    checkScore(await read(page), errors);
    await eachPhase();
    await tapOn(byId(roles.remeasure), shows("red"));
    assert.equal(seen.missed, 0);
    const size = `${way.viewport.width} × ${way.viewport.height}`;
    if (way.touch) t.diagnostic(`${size}: smallest target ${seen.smallest} px; page ${[...seen.heights]} px tall; ${seen.taps} taps off their aim, ${seen.missed} missed`);
    t.diagnostic(`${size}: ${seen.marks.slice(0, 2).join("; ")}`);
    assert.deepEqual(page.problems ?? [], []);
    await page.close();
  });
}

// A phone turned on its side in the middle of a stage: the window takes the
// arrangement on its side, on the screen whole with every target a finger's
// size, and the stage goes on where it was. A driver that cannot turn the
// phone says so, and only this is skipped.
const cannotTurn = (!browser.can.touch && `${engine} cannot be told its pointer is coarse`)
  || (!browser.can.turn && `${engine}'s driver cannot turn the phone (no command for it)`);
test(`${engine}: a phone turned on its side keeps its stage and shows the whole window`, { skip: cannotTurn }, async () => {
  const page = await browser.open(server.url, { viewport: { width: 360, height: 640 }, touch: true });
  await page.tap(byId(roles.start));
  await readOnceIt(page, (state) => state.shown.red);
  await page.tap(`${byId("red")} .arrow.more`);
  const before = await readOnceIt(page, (state) => state.value.red === 151);
  await page.turn({ width: 640, height: 360 });
  const after = await read(page);
  const stage = ["red", "labelred", "Command1", "RedBottun"];
  assert.deepEqual(stage.map((id) => [after.shown[id], after.text[id]]), stage.map((id) => [before.shown[id], before.text[id]]));
  assert.equal(after.value.red, 151);
  assert.ok(after.box.red.at[0] > after.box.Shape1.at[0] + after.box.Shape1.at[2], "the bar stands right of the patches, on its side");
  await checkTargets(page, { width: 640, height: 360 }, { smallest: Infinity, heights: new Set() });
  await page.close();
});

// A notch and a home indicator, as Chromium can be told of them: nothing of
// the window lies under them, upright or on its side. The insets are deeper
// than a phone's, so that a window merely centred would reach under them.
test(`${engine}: the window keeps clear of a notch and a home indicator`, { skip: !browser.can.chromium && "only Chromium can be told of insets" }, async () => {
  for (const [viewport, insets] of [
    [{ width: 390, height: 844 }, { top: 120, bottom: 100, left: 0, right: 0 }],
    [{ width: 844, height: 390 }, { top: 0, bottom: 21, left: 150, right: 150 }],
  ]) {
    const page = await browser.open(server.url, { viewport, touch: true });
    await (await page.cdp()).send("Emulation.setSafeAreaInsetsOverride", { insets });
    const box = await page.evaluate(() => {
      const { top, left, right } = document.getElementById("Form1").getBoundingClientRect();
      return { top, left, right, bottom: document.getElementById("EndButton").getBoundingClientRect().bottom };
    });
    assert.ok(box.top >= insets.top && box.left >= insets.left && box.right <= viewport.width - insets.right, JSON.stringify(box));
    // Upright, the whole window stands above the home indicator.
    if (viewport.height > viewport.width) assert.ok(box.bottom <= viewport.height - insets.bottom, JSON.stringify(box));
    await page.close();
  }
});
