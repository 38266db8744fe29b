// What the browser tests share about the window: its tables, as the build
// wrote them; the window as a user reads it off the page; the grading and
// the score, written out again apart from the engine's, so that a fault in
// its bands cannot hide; and what must hold after every event.
import { readFile } from "node:fs/promises";

export const tables = JSON.parse(await readFile(process.env.TINTORA_TABLES, "utf8"));
export const { channels, roles } = tables;
export const byId = (id) => `[id="${id}"]`;
// The buttons of a whole measurement, in the order a user presses them:
// ＳＴＡＲＴ, each channel's 確定 and then the next channel's button, and PUSH.
export const presses = [roles.start, ...channels.flatMap((channel, i) => [channel.confirm, channels[i + 1]?.button ?? roles.push])];

// ◎ up to 5, ○ up to 10, △ above: the array of the mark an error earns.
export const markFor = (error) => tables.marks[error <= 5 ? 0 : error <= 10 ? 1 : 2];
export const scoreFor = (errors) => String(100 - errors);
export const heardScore = (errors) => `点数 ${scoreFor(errors).replace("-", "マイナス")}`;

// Everything a user can read off the window, in one look: which controls
// show, what each label says, where each bar stands, the patches' colours,
// the focus and the last sentence told. Null once the window is gone.
export function read(page) {
  return page.evaluate(() => {
    const window1 = document.getElementById("Form1");
    if (!window1) return null;
    const state = { shown: {}, text: {}, value: {}, colour: {}, box: {} };
    const frame = window1.getBoundingClientRect();
    for (const element of window1.querySelectorAll("[data-index]")) {
      const id = element.id;
      state.shown[id] = !element.hidden;
      const text = element.querySelector(".text");
      if (text) state.text[id] = text.textContent;
      if (element.hasAttribute("aria-valuenow")) state.value[id] = Number(element.getAttribute("aria-valuenow"));
      if (element.classList.contains("shape")) state.colour[id] = getComputedStyle(element).backgroundColor.match(/\d+/g).map(Number);
      const box = element.getBoundingClientRect();
      // A label the handlers moved has its new top as --top.
      state.box[id] = { moved: element.style.getPropertyValue("--top"), at: [box.left - frame.left, box.top - frame.top, box.width, box.height] };
    }
    const focused = document.activeElement;
    state.focused = focused?.id ?? "";
    state.focusVisible = Boolean(focused?.matches(":focus-visible"));
    state.heard = document.getElementById("Announcer").textContent;
    return state;
  });
}

// What must hold after every event, whatever came before; empty where all does.
export function problems(state) {
  const found = [];
  const started = !state.shown[roles.start];
  const running = channels.filter((channel) => state.shown[channel.bar]);
  if (running.length > 1) found.push(`two bars shown: ${running.map((channel) => channel.bar)}`);
  let errors = 0;
  for (const channel of channels) {
    const value = state.value[channel.bar];
    if (state.text[channel.value] !== String(value)) found.push(`${channel.value} reads ${state.text[channel.value]}, its bar ${value}`);
    if (started && state.colour[roles.testPatch][channel.index] !== value) found.push(`patch Ａ's ${channel.name} is not ${value}`);
    if (running.length === 1 && running[0] !== channel && value !== state.colour[roles.targetPatch][channel.index])
      found.push(`hidden bar ${channel.bar} left the target`);
    const marks = tables.marks.filter((mark) => state.shown[`${mark}(${channel.index})`]);
    if (!state.shown[channel.error]) {
      if (marks.length) found.push(`${channel.name} shows a mark but no error`);
      continue;
    }
    const error = Number(state.text[channel.error]);
    errors += error;
    if (marks.join() !== markFor(error)) found.push(`${channel.name}: marks ${marks} for the error ${error}`);
  }
  if (state.shown[roles.score] && state.text[roles.score] !== scoreFor(errors)) found.push(`score ${state.text[roles.score]} for errors ${errors}`);
  if (state.focused && state.shown[state.focused] === false) found.push(`the focus stays on hidden ${state.focused}`);
  return found;
}
