// The browsers the web tests run in, behind one small driver layer, so that
// a test is written once and runs in each engine:
//   chromium  Debian's Chromium through playwright-core,
//   firefox   Debian's Firefox ESR through puppeteer-core over WebDriver BiDi,
//   webkit    WebKitGTK's MiniBrowser through WebKitWebDriver (W3C WebDriver),
//             on an Xvfb of its own, since MiniBrowser needs a display.
// The engine is named by TINTORA_ENGINE (chromium where unset). An engine
// says what it cannot be asked for (can), and a test skips that part; a
// page's problems (console errors and warnings, uncaught exceptions) are
// null where the driver cannot read the console.
import { spawn } from "node:child_process";
import { writeFile } from "node:fs/promises";
import { createServer } from "node:net";
import puppeteer from "puppeteer-core";
import { launch as launchChromium } from "./browser.mjs";

export const engine = process.env.TINTORA_ENGINE ?? "chromium";

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// A finger taps at a finger's pace: taps a few milliseconds apart, as
// drivers make them, a browser's gesture recognizer may merge or drop.
const fingerPaceMs = 150;

// What every page offers, on top of what its engine supplies: actions on
// elements by selector, from their place on the screen, as a user aims.
class Page {
  // The element's box in the viewport, scrolled into view first.
  async box(selector) {
    const box = await this.evaluate((selector) => {
      const element = document.querySelector(selector);
      if (!element) return null;
      element.scrollIntoView({ block: "nearest", inline: "nearest" });
      const { x, y, width, height } = element.getBoundingClientRect();
      return { x, y, width, height };
    }, selector);
    if (!box) throw new Error(`no element ${selector}`);
    return box;
  }

  async click(selector) {
    const { x, y, width, height } = await this.box(selector);
    await this.clickAt(x + width / 2, y + height / 2);
  }

  async tap(selector) {
    const { x, y, width, height } = await this.box(selector);
    await this.tapAt(x + width / 2, y + height / 2);
  }

  async drag(x, y, toX, toY = y) {
    await this.mouseDown(x, y);
    for (let step = 1; step <= 5; ++step) await this.mouseMove(x + ((toX - x) * step) / 5, y + ((toY - y) * step) / 5);
    await this.mouseUp(toX, toY);
  }

  async waitFor(fn, arg, timeoutMs = 10000) {
    const until = Date.now() + timeoutMs;
    for (;;) {
      if (await this.evaluate(fn, arg)) return;
      if (Date.now() > until) throw new Error(`timed out waiting for ${fn}`);
      await pause(50);
    }
  }

  // Ready once the engine has loaded: the window works.
  ready() {
    return this.waitFor(() => document.documentElement.dataset.engine === "ready", undefined, 20000);
  }
}

// A page that playwright or puppeteer drives: both give a page with the same
// mouse, touchscreen, console and navigation, in which the two engines' pages
// below differ only where their drivers do.
class DrivenPage extends Page {
  constructor(page, warning) {
    super();
    this.page = page;
    this.problems = [];
    page.on("console", (message) => {
      if (message.type() === "error" || message.type() === warning) this.problems.push(message.text());
    });
    page.on("pageerror", (error) => this.problems.push(String(error)));
  }

  goto(url) {
    return this.page.goto(url);
  }
  evaluate(fn, arg) {
    return this.page.evaluate(fn, arg);
  }
  clickAt(x, y) {
    return this.page.mouse.click(x, y);
  }
  async mouseDown(x, y) {
    await this.page.mouse.move(x, y);
    await this.page.mouse.down();
  }
  mouseMove(x, y) {
    return this.page.mouse.move(x, y);
  }
  async mouseUp(x, y) {
    await this.page.mouse.move(x, y);
    await this.page.mouse.up();
  }
  async tapAt(x, y) {
    await pause(fingerPaceMs);
    await this.page.touchscreen.tap(x, y);
  }
  // A finger drags at a finger's pace and rests where it aimed before it
  // lifts: let go while still moving, Chromium takes it for a fling and
  // swallows the next tap as the one that stops it.
  async touchDrag(x, y, toX) {
    const finger = await this.touchStart(x, y);
    for (let step = 1; step <= 5; ++step) {
      await pause(16);
      await finger.move(x + ((toX - x) * step) / 5, y);
    }
    await pause(fingerPaceMs);
    await finger.end();
  }
  async reload() {
    await this.page.reload();
    await this.ready();
  }
  screenshot(path) {
    return this.page.screenshot({ path });
  }
}

// Chromium, as the web tests drove it before: playwright-core, with Chromium's
// DevTools protocol for what only Chromium tells (its accessibility tree)
// and for a finger that drags.
class ChromiumPage extends DrivenPage {
  constructor(context, page) {
    super(page, "warning");
    this.context = context;
  }

  waitFor(fn, arg, timeoutMs = 10000) {
    return this.page.waitForFunction(fn, arg, { timeout: timeoutMs });
  }
  press(key) {
    return this.page.keyboard.press(key);
  }
  async touchStart(x, y) {
    const cdp = (this.cdp ??= await this.context.newCDPSession(this.page));
    const touch = (type, at) => cdp.send("Input.dispatchTouchEvent", { type, touchPoints: at ? [at] : [] });
    await touch("touchStart", { x, y });
    return { move: (toX, toY = y) => touch("touchMove", { x: toX, y: toY }), end: () => touch("touchEnd") };
  }
  // The id of the element Chromium's accessibility tree gives this role and
  // name, or "" where it gives none.
  async byRole(role, name) {
    const cdp = await this.context.newCDPSession(this.page);
    try {
      const { root } = await cdp.send("DOM.getDocument", { depth: 0 });
      const { nodes } = await cdp.send("Accessibility.queryAXTree", { nodeId: root.nodeId, accessibleName: name, role });
      const found = nodes.find((node) => !node.ignored && node.backendDOMNodeId);
      if (!found) return "";
      const { object } = await cdp.send("DOM.resolveNode", { backendNodeId: found.backendDOMNodeId });
      const { result } = await cdp.send("Runtime.callFunctionOn", {
        objectId: object.objectId, functionDeclaration: "function () { return this.id; }", returnByValue: true,
      });
      return result.value;
    } finally {
      await cdp.detach();
    }
  }
  close() {
    return this.context.close();
  }
}

// Firefox over WebDriver BiDi. Its pointer is told to be coarse, and touch
// events are on, by preferences given at launch.
class FirefoxPage extends DrivenPage {
  constructor(page) {
    super(page, "warn");
  }

  waitFor(fn, arg, timeoutMs = 10000) {
    return this.page.waitForFunction(fn, { timeout: timeoutMs, polling: 50 }, arg);
  }
  async press(key) {
    // puppeteer names the space bar by its character.
    const keys = key.split("+").map((each) => (each === "Space" ? " " : each));
    for (const each of keys.slice(0, -1)) await this.page.keyboard.down(each);
    await this.page.keyboard.press(keys.at(-1));
    for (const each of keys.slice(0, -1).reverse()) await this.page.keyboard.up(each);
  }
  touchStart(x, y) {
    return this.page.touchscreen.touchStart(x, y);
  }
  // Found through Firefox's own accessibility tree (BiDi's accessibility locator).
  async byRole(role, name) {
    const element = await this.page.$(`::-p-aria([name=${JSON.stringify(name)}][role="${role}"])`);
    return element ? element.evaluate((each) => each.id) : "";
  }
  close() {
    return this.page.close();
  }
}

// W3C WebDriver, as WebKitWebDriver speaks it.
const keyCodes = {
  Tab: "\uE004", Shift: "\uE008", Enter: "\uE007", Space: "\uE00D", PageUp: "\uE00E", PageDown: "\uE00F",
  End: "\uE010", Home: "\uE011", ArrowLeft: "\uE012", ArrowUp: "\uE013", ArrowRight: "\uE014", ArrowDown: "\uE015",
};

class WebKitPage extends Page {
  constructor(session) {
    super();
    this.session = session;
    this.problems = null;
  }

  call(method, path, body) {
    return this.session.call(method, path, body);
  }
  async goto(url) {
    await this.call("POST", "/url", { url });
  }
  evaluate(fn, arg) {
    return this.call("POST", "/execute/sync", { script: `return (${fn}).apply(null, arguments);`, args: [arg ?? null] });
  }
  actions(type, list, parameters) {
    return this.call("POST", "/actions", {
      actions: [{ type, id: type === "key" ? "keyboard" : "mouse", ...(parameters ? { parameters } : {}), actions: list }],
    });
  }
  async press(key) {
    const codes = key.split("+").map((each) => keyCodes[each] ?? each);
    await this.actions("key", [
      ...codes.map((value) => ({ type: "keyDown", value })),
      ...codes.reverse().map((value) => ({ type: "keyUp", value })),
    ]);
  }
  pointerActions(list) {
    return this.actions("pointer", list, { pointerType: "mouse" });
  }
  at(x, y) {
    return { type: "pointerMove", x: Math.round(x), y: Math.round(y), origin: "viewport", duration: 0 };
  }
  clickAt(x, y) {
    return this.pointerActions([this.at(x, y), { type: "pointerDown", button: 0 }, { type: "pointerUp", button: 0 }]);
  }
  mouseDown(x, y) {
    return this.pointerActions([this.at(x, y), { type: "pointerDown", button: 0 }]);
  }
  mouseMove(x, y) {
    return this.pointerActions([this.at(x, y)]);
  }
  mouseUp(x, y) {
    return this.pointerActions([this.at(x, y), { type: "pointerUp", button: 0 }]);
  }
  // WebKit's own accessibility: the computed role and label of each element
  // in the window that is not hidden.
  async byRole(role, name) {
    const found = await this.call("POST", "/elements", { using: "css selector", value: "#Form1 [id]:not([hidden]), #Form1 [id]:not([hidden]) *" });
    for (const element of found) {
      const id = Object.values(element)[0];
      if ((await this.call("GET", `/element/${id}/computedrole`)) !== role) continue;
      if ((await this.call("GET", `/element/${id}/computedlabel`)) !== name) continue;
      return this.call("GET", `/element/${id}/attribute/id`);
    }
    return "";
  }
  async reload() {
    await this.call("POST", "/refresh");
    await this.ready();
  }
  async screenshot(path) {
    await writeFile(path, Buffer.from(await this.call("GET", "/screenshot"), "base64"));
  }
  close() {
    return this.session.close();
  }
}

async function freePort() {
  const server = createServer();
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  const { port } = server.address();
  await new Promise((resolve) => server.close(resolve));
  return port;
}

// An X server of its own, on a display it picks and says once it answers.
async function startXvfb() {
  const xvfb = spawn("Xvfb", ["-displayfd", "3", "-screen", "0", "1600x1200x24", "-nolisten", "tcp", "-noreset"], {
    stdio: ["ignore", "ignore", "ignore", "pipe"],
  });
  const number = await new Promise((resolve, reject) => {
    xvfb.stdio[3].once("data", (data) => resolve(String(data).trim()));
    xvfb.once("exit", () => reject(new Error("Xvfb did not start")));
  });
  return { display: `:${number}`, stop: () => xvfb.kill() };
}

async function launchWebKit() {
  const xvfb = await startXvfb();
  const port = await freePort();
  const driver = spawn("WebKitWebDriver", [`--port=${port}`], {
    env: { ...process.env, DISPLAY: xvfb.display },
    stdio: "ignore",
  });
  const base = `http://127.0.0.1:${port}`;
  const request = async (method, path, body) => {
    const response = await fetch(base + path, {
      method,
      headers: { "Content-Type": "application/json" },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const { value } = await response.json();
    if (value?.error) throw new Error(`${method} ${path}: ${value.error}: ${value.message}`);
    return value;
  };
  for (let tries = 0; ; ++tries) {
    try {
      await request("GET", "/status");
      break;
    } catch (error) {
      if (tries > 100) throw error;
      await pause(50);
    }
  }
  const binary = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser";
  let version = "";
  return {
    name: "webkit",
    // WebKitGTK takes its pointer from the display's devices: Xvfb has a mouse.
    can: { touch: false },
    version: () => version,
    async open(url, { viewport = { width: 1280, height: 800 } } = {}) {
      const created = await request("POST", "/session", {
        capabilities: { alwaysMatch: { "webkitgtk:browserOptions": { binary, args: ["--automation"] } } },
      });
      version = created.capabilities.browserVersion;
      const path = `/session/${created.sessionId}`;
      const session = {
        call: (method, tail, body) => request(method, path + tail, method === "POST" ? body ?? {} : undefined),
        close: () => request("DELETE", path),
      };
      const page = new WebKitPage(session);
      // The window is the viewport and the browser's own frame: make the
      // viewport the size asked.
      let rect = { width: viewport.width, height: viewport.height };
      for (let tries = 0; tries < 3; ++tries) {
        await session.call("POST", "/window/rect", rect);
        const [width, height] = await page.evaluate(() => [innerWidth, innerHeight]);
        if (width === viewport.width && height === viewport.height) break;
        rect = { width: rect.width + viewport.width - width, height: rect.height + viewport.height - height };
      }
      await page.goto(url);
      await page.ready();
      return page;
    },
    async close() {
      driver.kill();
      xvfb.stop();
    },
  };
}

// Debian's Firefox ESR, headless, as puppeteer-core drives it (the benchmark
// uses it bare).
export function launchFirefoxESR(extraPrefsFirefox = {}) {
  return puppeteer.launch({
    browser: "firefox",
    executablePath: process.env.FIREFOX ?? "/usr/bin/firefox-esr",
    headless: true,
    extraPrefsFirefox,
  });
}

async function launchFirefox() {
  const launched = new Map();
  // Preferences that make the pointer coarse and give the page touch events.
  const touchPrefs = { "ui.primaryPointerCapabilities": 1, "ui.allPointerCapabilities": 1, "dom.w3c_touch_events.enabled": 1 };
  const browserFor = (touch) => {
    if (!launched.has(touch)) launched.set(touch, launchFirefoxESR(touch ? touchPrefs : {}));
    return launched.get(touch);
  };
  const first = await browserFor(false);
  const version = (await first.version()).replace("firefox/", "");
  return {
    name: "firefox",
    can: { touch: true },
    version: () => version,
    async open(url, { viewport = { width: 1280, height: 800 }, touch = false, scale = 1 } = {}) {
      const browser = await browserFor(touch);
      const page = await browser.newPage();
      await page.setViewport({ ...viewport, deviceScaleFactor: scale, hasTouch: touch, isMobile: touch });
      const wrapped = new FirefoxPage(page);
      await page.goto(url);
      await wrapped.ready();
      return wrapped;
    },
    async close() {
      for (const browser of launched.values()) await (await browser).close();
    },
  };
}

async function launchChromiumEngine() {
  const browser = await launchChromium();
  return {
    name: "chromium",
    can: { touch: true },
    version: () => browser.version(),
    browser,
    async open(url, { viewport = { width: 1280, height: 800 }, touch = false, scale = 1, ...emulated } = {}) {
      const context = await browser.newContext({
        viewport, deviceScaleFactor: scale, hasTouch: touch, isMobile: touch, ...emulated,
      });
      const page = new ChromiumPage(context, await context.newPage());
      await page.goto(url);
      await page.ready();
      return page;
    },
    close: () => browser.close(),
  };
}

// The engine named, launched: open(url, options) gives a page on the site,
// its engine loaded; can says what the engine can be asked for. Options: viewport, touch (a coarse pointer and touch
// input), scale; in Chromium also what playwright emulates (colorScheme,
// contrast, forcedColors, bypassCSP).
export function launch(name = engine) {
  switch (name) {
    case "chromium":
      return launchChromiumEngine();
    case "firefox":
      return launchFirefox();
    case "webkit":
      return launchWebKit();
    default:
      throw new Error(`no engine ${name}`);
  }
}
