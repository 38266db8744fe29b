// The web edition's binding: the page's elements mirror the engine's control
// model, and the user's clicks, keys, drags and touches go to the engine,
// which runs the handlers. Everything the page shows at opening was written
// from the window's tables at build time; the engine says what changes.
//
// The page's first script (tintora.js) loads this once the window's first
// paint is on the screen, and hands over the clicks it kept meanwhile. It
// listens on the document, finds elements when events come, and loads the
// engine behind it.

const window1 = () => document.getElementById("Form1");

// Events that come before the engine has loaded wait here, in order.
let engine = null;
const waiting = [];

// Arrows and the track repeat while held, as on the desktop: a first step at
// once, more after a pause, then steadily.
const firstRepeatMs = 500;
const repeatMs = 50;

function indexOf(element) {
  return element ? Number(element.dataset.index ?? -1) : -1;
}

function focusedIndex() {
  const focused = document.activeElement;
  return focused && window1()?.contains(focused) ? indexOf(focused.closest("[data-index]")) : -1;
}

// One change a line, fields separated by tabs (see the engine). A control
// that takes the focus is marked as the keyboard's only where a key led there.
function apply(changes, byKey) {
  for (const line of changes.split("\n")) {
    if (!line) continue;
    const [what, name, value, detail] = line.split("\t");
    const element = document.getElementById(name);
    switch (what) {
      case "V":
        element.hidden = value !== "1";
        break;
      case "C":
        element.querySelector(".text").textContent = value;
        element.querySelector(".sr").textContent = detail;
        break;
      case "T":
        // In designed pixels: the arrangement in use places it.
        element.style.setProperty("--top", value);
        break;
      case "N":
        // The value, and where the engine puts the thumb for it.
        element.setAttribute("aria-valuenow", value);
        element.style.setProperty("--f", detail);
        break;
      case "B":
        element.style.background = value;
        break;
      case "F":
        element.focus({ focusVisible: byKey });
        break;
      case "A":
        // A new text node each time, so that the same sentence twice in a
        // row (R pressed twice) is told twice.
        document.getElementById("Announcer").replaceChildren(document.createTextNode(name));
        break;
      case "E":
        console.error(`tintora: ${name}`);
        end();
        return;
    }
  }
}

// Runs an engine call now, or once the engine has loaded.
function raise(call, byKey = false) {
  if (!window1()) return;
  const run = () => apply(engine.UTF8ToString(call()), byKey);
  if (engine) run();
  else waiting.push(run);
}

function click(button, byKey) {
  const index = indexOf(button);
  raise(() => engine._tintora_click(index, focusedIndex()), byKey);
}

function move(bar, barMove) {
  const index = indexOf(bar);
  raise(() => engine._tintora_move(index, barMove, focusedIndex()));
}

function drop(bar, share) {
  const index = indexOf(bar);
  raise(() => engine._tintora_drop(index, share, focusedIndex()));
}

// Ends the program: the tab closes where the browser lets a page close
// itself; otherwise the window is taken off the page, as a closed window
// is, and nothing is left running. A reload starts afresh.
function end() {
  stopRepeat();
  window1()?.remove();
  waiting.length = 0;
  engine = null;
  // Browsers let a page close only a tab a script opened, a tab with no
  // history before it, or an installed application's window; asked
  // elsewhere, they refuse with a complaint on the console.
  const closable = window.opener || history.length === 1 || matchMedia("(display-mode: standalone)").matches;
  if (closable) window.close();
}

let repeatTimer = 0;
let heldPart = null;

function stopRepeat() {
  clearTimeout(repeatTimer);
  repeatTimer = 0;
  heldPart?.classList.remove("held");
  heldPart = null;
}

// Steps now, then again while the pointer is held, as long as wanted() says so.
function holdAndRepeat(part, step, wanted) {
  heldPart = part;
  part.classList.add("held");
  step();
  const again = (delay) => {
    repeatTimer = setTimeout(() => {
      if (!heldPart || !wanted()) return;
      step();
      again(repeatMs);
    }, delay);
  };
  again(firstRepeatMs);
}

function thumbCentre(bar) {
  const thumb = bar.querySelector(".thumb").getBoundingClientRect();
  return thumb.left + thumb.width / 2;
}

function pressBar(bar, event) {
  if (event.button !== 0) return;
  const part = event.target.closest(".arrow, .thumb, .track");
  if (!part) return;
  bar.setPointerCapture(event.pointerId);
  if (part.classList.contains("arrow")) {
    const barMove = Number(part.dataset.move);
    holdAndRepeat(part, () => move(bar, barMove), () => true);
  } else if (part.classList.contains("track")) {
    // Towards the pointer, until the thumb is under it.
    const x = event.clientX;
    const less = x < thumbCentre(bar);
    const towards = Number(less ? part.dataset.less : part.dataset.more);
    const short = () => {
      const thumb = bar.querySelector(".thumb").getBoundingClientRect();
      return less ? x < thumb.left : x > thumb.right;
    };
    holdAndRepeat(part, () => move(bar, towards), short);
  } else {
    dragThumb(bar, event);
  }
}

// The thumb follows the pointer, as a share of its travel along the track;
// the value changes once, where it is let go, as the engine reads the share.
function dragThumb(bar, event) {
  const track = bar.querySelector(".track").getBoundingClientRect();
  const thumb = bar.querySelector(".thumb").getBoundingClientRect();
  const grip = event.clientX - thumb.left;
  const shareAt = (x) => Math.min(1, Math.max(0, (x - grip - track.left) / (track.width - thumb.width)));
  const before = bar.style.getPropertyValue("--f");
  const follow = (moved) => bar.style.setProperty("--f", shareAt(moved.clientX));
  const release = (up) => {
    bar.removeEventListener("pointermove", follow);
    bar.removeEventListener("pointerup", release);
    bar.removeEventListener("pointercancel", release);
    bar.style.setProperty("--f", before);
    if (up.type === "pointerup") drop(bar, shareAt(up.clientX));
  };
  bar.addEventListener("pointermove", follow);
  bar.addEventListener("pointerup", release);
  bar.addEventListener("pointercancel", release);
}

function barKey(bar, event) {
  if (event.altKey || event.ctrlKey || event.metaKey) return;
  if (!engine) return;
  engine.stringToUTF8(event.key, engine._tintora_key_buffer(), 32);
  const barMove = engine._tintora_key_move();
  if (barMove < 0) return;
  event.preventDefault();
  move(bar, barMove);
}

const control = (event, kind) => event.target.closest?.(`#Form1 .${kind}:not([hidden])`);

// A click that Space or Enter made counts no pointer's presses.
function clicked(event) {
  const button = control(event, "button");
  if (button?.id === "EndButton") end();
  else if (button) click(button, event.detail === 0);
}

// Every control's events, taken on the document.
function bind() {
  document.addEventListener("click", clicked);
  document.addEventListener("keydown", (event) => {
    const bar = control(event, "bar");
    if (bar) barKey(bar, event);
    // Enter held down clicks once, as Space does.
    else if (control(event, "button") && event.key === "Enter" && event.repeat) event.preventDefault();
  });
  document.addEventListener("pointerdown", (event) => {
    const bar = control(event, "bar");
    if (bar) pressBar(bar, event);
  });
  for (const kind of ["pointerup", "pointercancel", "lostpointercapture"]) document.addEventListener(kind, stopRepeat);
}

// Runs then() once the document has got as far as state, now if it has:
// "interactive", the whole window parsed (the script may run before that),
// or "complete", every file the page asked for loaded.
const reachedBy = { interactive: "DOMContentLoaded", complete: "load" };
function whenDocument(state, then) {
  const order = ["loading", "interactive", "complete"];
  if (order.indexOf(document.readyState) >= order.indexOf(state)) then();
  else addEventListener(reachedBy[state], then, { once: true });
}

function cannotRun(error) {
  if (error) console.error(error);
  whenDocument("interactive", () => {
    window1()?.remove();
    document.getElementById("cannot-run").hidden = false;
  });
}

// Keeps the site for use with no network. A new version found at start
// takes over at once while nobody has used the window yet, by a reload that
// brings it whole; otherwise it waits for the next start.
let used = false;
function keepForOffline() {
  if (!("serviceWorker" in navigator)) return;
  for (const kind of ["pointerdown", "keydown"]) document.addEventListener(kind, () => (used = true), { capture: true });
  const hadController = Boolean(navigator.serviceWorker.controller);
  navigator.serviceWorker.addEventListener("controllerchange", () => {
    if (hadController && !used) location.reload();
  });
  navigator.serviceWorker
    .register("sw.js", { updateViaCache: "none" })
    .then((registration) => {
      const takeOver = () => {
        if (registration.waiting && hadController && !used) registration.waiting.postMessage("take over");
      };
      takeOver();
      registration.addEventListener("updatefound", () => {
        registration.installing?.addEventListener("statechange", takeOver);
      });
      // Asked at every start, not only when the browser thinks of it.
      return hadController ? registration.update() : undefined;
    })
    // With no network the check for a new version fails; the kept one serves.
    .catch(() => {});
}

// The places and looks of the controls that show after the opening,
// loaded once the opening's first paint is on the screen.
function loadControlsStyle() {
  return new Promise((resolve, reject) => {
    const link = document.createElement("link");
    link.rel = "stylesheet";
    link.href = "controls.css";
    link.addEventListener("load", resolve);
    link.addEventListener("error", () => reject(new Error("controls.css did not load")));
    document.head.append(link);
  });
}

// No control shows before its style has come.
function loadEngine() {
  Promise.all([import("./engine.js").then((module) => module.default()), loadControlsStyle()])
    .then(([loaded]) => {
      if (!window1()) return;
      engine = loaded;
      for (const run of waiting.splice(0)) run();
      document.documentElement.dataset.engine = "ready";
    })
    .catch(cannotRun);
}

// Takes over from the page's first script: the clicks it kept (on ＳＴＡＲＴ
// or ＥＮＤ, the moment they showed) are handled in order, as if they came
// now; then the engine loads, and a click meanwhile waits for it. The worker
// starts a process of its own, once the page has loaded as well.
export function start(kept, keeping) {
  document.removeEventListener("click", keeping);
  bind();
  for (const event of kept.splice(0)) clicked(event);
  // The buttons could not take the focus while hidden: at opening it goes
  // to the first shown stop of the focus order, which the page marks, unless
  // the user has put it somewhere already.
  whenDocument("interactive", () => {
    if (document.activeElement === document.body) document.querySelector("#Form1 [autofocus]")?.focus();
  });
  if (typeof WebAssembly !== "object") {
    cannotRun();
    return;
  }
  loadEngine();
  whenDocument("complete", () => setTimeout(keepForOffline));
}
