// What assistive technology meets on the page, phase by phase: the roles
// and names each engine's own accessibility computes; in Chromium also
// axe-core's audit (with WCAG 2.2's target size, and under a finger at the
// sizes of phones and tablets) and its whole accessibility tree.
import { test } from "node:test";
import assert from "node:assert/strict";
import { readFile } from "node:fs/promises";
import { createRequire } from "node:module";
import { engine, suite } from "./driver.mjs";
import { byId, presses, roles } from "./window.mjs";

const { server, browser } = await suite();
const axe = await readFile(createRequire(import.meta.url).resolve("axe-core/axe.min.js"), "utf8");
const onlyChromium = !browser.can.chromium && "what only Chromium's automation tells";

// Each step of a measurement, and what the engine must then find by role
// and name ("" where nothing may be found: a hidden control is absent).
const found = [
  [null, [["button", "ＳＴＡＲＴ", "StartButton"], ["button", "ＥＮＤ", "EndButton"], ["heading", "Tintora", "Label3"], ["slider", "赤", ""]]],
  ["StartButton", [["slider", "赤", "red"], ["image", "Ａ", "Shape2"], ["image", "Ｂ", "Shape1"], ["button", "R", "RedBottun"], ["button", "ＳＴＡＲＴ", ""]]],
  ["Command1", [["button", "G", "GreenBottun"], ["slider", "赤", ""]]],
  ["GreenBottun", [["slider", "緑", "green"], ["button", "確定", "Command2"]]],
];

test(`${engine}: the roles and names its own accessibility gives the window`, async () => {
  const page = await browser.open(server.url);
  for (const [step, wanted] of found) {
    if (step) await page.click(byId(step));
    for (const [role, name, id] of wanted) assert.equal(await page.byRole(role, name), id, `${role} ${name} after ${step ?? "opening"}`);
  }
  const live = await page.evaluate(() => {
    const region = document.getElementById("Announcer");
    return [region.getAttribute("aria-live"), region.textContent];
  });
  assert.deepEqual(live, ["polite", live[1]]);
  assert.match(live[1], /^緑の段階です。.*Tab を3回押して/);
  await page.close();
});

// axe's rules, with WCAG 2.2's target size (off by default) switched on.
async function violations(page) {
  if (!(await page.evaluate(() => "axe" in window))) await page.page.addScriptTag({ content: axe });
  const result = await page.evaluate(() => window.axe.run(document, { rules: { "target-size": { enabled: true } } }));
  return result.violations.flatMap((rule) => rule.nodes.map((node) => `${rule.id} ${node.target.join(" ")}`));
}

// The two captions designed below WCAG's contrast: the title, and B on blue.
const designedLowContrast = /^color-contrast #(Label3|BlueBottun)\b/;

for (const [setting, options] of [
  ["contrast: no-preference", { contrast: "no-preference" }],
  ["contrast: more", { contrast: "more" }],
  ...[[320, 568], [360, 640], [390, 844], [640, 320], [640, 360], [768, 1024], [1024, 768]].map(([width, height]) => [
    `touch at ${width} × ${height}`, { viewport: { width, height }, touch: true },
  ]),
]) {
  test(`axe finds nothing in any phase (${setting})`, { skip: onlyChromium }, async () => {
    // axe is put into the page as a script of its own, which the page's policy would refuse.
    const page = await browser.open(server.url, { ...options, bypassCSP: true });
    // Each phase of a measurement, left by the button that leads on.
    for (const next of [...presses, null]) {
      const found = await violations(page);
      const allowed = (each) => options.contrast !== "more" && designedLowContrast.test(each);
      assert.deepEqual(found.filter((each) => !allowed(each)), [], `the phase ${next ?? "with the score"} leads on from`);
      if (next) await page.click(byId(next));
    }
    assert.deepEqual(page.problems, []);
    await page.close();
  });
}

async function tree(page) {
  const cdp = await page.cdp();
  const { nodes } = await cdp.send("Accessibility.getFullAXTree");
  await cdp.detach();
  return nodes
    .filter((node) => !node.ignored)
    .map((node) => ({
      role: node.role?.value,
      name: node.name?.value ?? "",
      description: node.description?.value ?? "",
      value: node.value === undefined ? undefined : String(node.value.value),
    }));
}

const has = (nodes, wanted) =>
  nodes.some((node) => Object.entries(wanted).every(([key, value]) => node[key] === value));

test("the accessibility tree reads as the desktop's AT-SPI does", { skip: onlyChromium }, async () => {
  const page = await browser.open(server.url);
  let nodes = await tree(page);
  assert.ok(has(nodes, { role: "button", name: "ＳＴＡＲＴ" }));
  assert.ok(has(nodes, { role: "button", name: "ＥＮＤ", description: "終了" }), "described by its tooltip");
  assert.ok(has(nodes, { role: "StaticText", name: "STARTボタンを押すと開始します。" }), "read without its arrow");
  assert.ok(!nodes.some((node) => node.role === "slider"), "hidden bars are absent");

  await page.click(byId(roles.start));
  nodes = await tree(page);
  assert.ok(!nodes.some((node) => node.name === "ＳＴＡＲＴ"), "a hidden button is absent");
  assert.ok(has(nodes, { role: "slider", name: "赤", value: "150" }));
  assert.ok(has(nodes, { role: "button", name: "R", description: "G､Bが同じ" }));
  assert.ok(has(nodes, { role: "StaticText", name: "赤の値 150" }));
  assert.ok(has(nodes, { role: "image", name: "Ｂ", description: "目標の色" }));
  assert.ok(!nodes.some((node) => /[↓→\u3000]| {2}/.test(node.name)), "no arrows or runs of spaces are read");
  // Patch Ｂ's colour, the answer, is in no node: not as numbers, not as a colour.
  const answer = await page.evaluate(() => document.querySelector('[id="Label4"] .text').textContent);
  assert.ok(!nodes.some((node) => /rgb|#[0-9a-f]{6}/i.test(`${node.name} ${node.description} ${node.value ?? ""}`)));
  assert.ok(!nodes.some((node) => node.name.includes(`正解 ${answer}`)), "the hidden correct value is not read");

  await page.click(byId("Command1"));
  nodes = await tree(page);
  assert.ok(has(nodes, { role: "StaticText", name: `赤の正解 ${answer}` }), "a result is read with its role");
  const heard = await page.evaluate(() => [document.getElementById("Announcer").getAttribute("aria-live"), document.getElementById("Announcer").textContent]);
  assert.deepEqual(heard[0], "polite");
  assert.match(heard[1], new RegExp(`^赤 確定値 150 正解 ${answer} 誤差 \\d+ 判定 [◎○△]$`));
  await page.close();
});

test("under forced colours every part of a bar stays visible", { skip: onlyChromium }, async () => {
  const page = await browser.open(server.url, { forcedColors: "active" });
  await page.click(byId(roles.start));
  const colours = await page.evaluate(() =>
    [".track", ".thumb", ".arrow.less", ".arrow.less::after"].map((part) => {
      const bar = document.getElementById("red");
      const [selector, pseudo] = part.split("::");
      const style = getComputedStyle(bar.querySelector(selector), pseudo ? `::${pseudo}` : null);
      return [style.backgroundColor, style.borderTopColor];
    }));
  const [track, thumb, arrow, triangle] = colours;
  assert.notEqual(thumb[0], track[0], "the thumb stands out from the track");
  assert.notEqual(arrow[1], arrow[0], "the arrow has a frame");
  assert.notEqual(triangle[0], arrow[0], "the arrow's triangle shows");
  await page.close();
});
