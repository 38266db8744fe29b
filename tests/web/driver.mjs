// The browsers the web tests run in, behind one small driver layer, so that
// a test is written once and runs in each engine:
//   chromium  Debian's Chromium, through puppeteer-core over CDP,
//   firefox   Debian's Firefox ESR, through puppeteer-core over WebDriver BiDi,
//   webkit    WebKitGTK's MiniBrowser, through WebKitWebDriver (W3C
//             WebDriver, by selenium-webdriver), on the X display the test
//             is run on (xvfb-run), since MiniBrowser needs one;
//   wpe       WPE WebKit's cog, through WPEWebDriver, on a headless weston
//             of its own: WebKit with a finger, as on phones.
// The engine is named by TINTORA_ENGINE (chromium where unset). An engine
// says what it can be asked for (can), and a test skips what it cannot; a
// page's problems (console errors and warnings, uncaught exceptions) are
// null where the driver cannot read the console. The site the tests run
// against is served here too, as a static host serves it.
import { spawn } from "node:child_process";
import { existsSync } from "node:fs";
import { mkdtemp, readFile, rm, writeFile } from "node:fs/promises";
import { tmpdir } from "node:os";
import { createServer } from "node:http";
import { extname, join, normalize } from "node:path";
import { gzipSync } from "node:zlib";
import { after } from "node:test";
import puppeteer from "puppeteer-core";
import { By, Capabilities, Key, Origin, WebDriver } from "selenium-webdriver";
import { Executor, HttpClient } from "selenium-webdriver/http/index.js";
import input from "selenium-webdriver/lib/input.js";
import portprober from "selenium-webdriver/net/portprober.js";
import remote from "selenium-webdriver/remote/index.js";

export const engine = process.env.TINTORA_ENGINE ?? "chromium";
// The built site, named by the test that runs the script.
export const site = process.env.TINTORA_SITE;

export const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const types = {
  ".html": "text/html; charset=utf-8",
  ".css": "text/css; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".wasm": "application/wasm",
  ".woff2": "font/woff2",
  ".json": "application/json",
  ".webmanifest": "application/manifest+json",
  ".png": "image/png",
};

// Serves the site as a static host does, compressed where the browser takes
// it, on a free port. rewrite(path, body) may give a file a new body on the
// way; held names files answered only after so many milliseconds, missing
// files answered 404, as a host that lost them would.
export async function serve(folder, { host = "127.0.0.1", rewrite = (path, body) => body, held = {}, missing = [] } = {}) {
  // Compressed once per content, as a host serves files compressed ahead.
  const compressed = new Map();
  const gzip = (body) => {
    const key = body.toString("base64");
    if (!compressed.has(key)) compressed.set(key, gzipSync(body, { level: 9 }));
    return compressed.get(key);
  };
  let unplugged = false;
  const server = createServer(async (request, response) => {
    // Unplugged, the host is gone: the connection drops with no answer.
    if (unplugged) {
      request.socket.destroy();
      return;
    }
    const path = normalize(decodeURIComponent(new URL(request.url, "http://x").pathname));
    const file = join(folder, path.endsWith("/") ? `${path}index.html` : path);
    const name = path.slice(1);
    if (held[name]) await pause(held[name]);
    try {
      if (missing.includes(name)) throw new Error("missing");
      const body = rewrite(path, await readFile(file));
      const headers = { "Content-Type": types[extname(file)] ?? "application/octet-stream" };
      const compress = ![".woff2", ".png"].includes(extname(file)) && /\bgzip\b/.test(request.headers["accept-encoding"] ?? "");
      if (compress) headers["Content-Encoding"] = "gzip";
      response.writeHead(200, headers);
      response.end(compress ? gzip(body) : body);
    } catch {
      response.writeHead(404);
      response.end();
    }
  });
  await new Promise((resolve) => server.listen(0, host, resolve));
  return {
    url: `http://${host}:${server.address().port}/`,
    close: () => server.close(),
    // Takes the host off the network, or puts it back.
    unplug: (off = true) => {
      unplugged = off;
      if (off) server.closeIdleConnections();
    },
  };
}

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

  // A click where the pointer is a mouse, a tap where it is a finger: a
  // finger taps at a finger's pace.
  async pointAt(x, y, finger = false) {
    if (!finger) return this.act(["move", x, y], ["down"], ["up"]);
    await pause(fingerPaceMs);
    await this.tapAt(x, y);
  }

  // A click or a tap at the middle of the element.
  async click(selector, finger = false) {
    const { x, y, width, height } = await this.box(selector);
    await this.pointAt(x + width / 2, y + height / 2, finger);
  }

  tap(selector) {
    return this.click(selector, true);
  }

  // The mouse held down, or a finger on the screen, and moved across.
  async hold(x, y) {
    await this.act(["move", x, y], ["down"]);
    return { move: (toX, toY) => this.act(["move", toX, toY]), end: () => this.act(["up"]) };
  }

  // A finger drags at a finger's pace and rests where it aimed before it
  // lifts: let go while still moving, Chromium takes it for a fling and
  // swallows the next tap as the one that stops it.
  async drag(x, y, toX, finger = false) {
    const hand = await (finger ? this.touchStart(x, y) : this.hold(x, y));
    for (let step = 1; step <= 5; ++step) {
      if (finger) await pause(16);
      await hand.move(x + ((toX - x) * step) / 5, y);
    }
    if (finger) await pause(fingerPaceMs);
    await hand.end();
  }

  // Waits until fn(arg) in the page is true; a page that is navigating
  // meanwhile answers nothing, and is asked again.
  async waitFor(fn, arg, timeoutMs = 10000) {
    const until = Date.now() + timeoutMs;
    while (!(await this.evaluate(fn, arg).catch(() => false))) {
      if (Date.now() > until) throw new Error(`timed out waiting for ${fn}`);
      await pause(50);
    }
  }

  // Ready once the engine has loaded: the window works.
  ready() {
    return this.waitFor(() => document.documentElement.dataset.engine === "ready", undefined, 20000);
  }

  async reload() {
    await this.reloadPage();
    await this.ready();
  }
}

// A page that puppeteer drives, in Chromium or in Firefox: its console
// errors and warnings and its uncaught exceptions are kept as its problems.
class PuppeteerPage extends Page {
  constructor(page, close) {
    super();
    this.page = page;
    this.close = close;
    this.problems = [];
    page.on("console", (message) => {
      if (["error", "warn", "warning"].includes(message.type())) this.problems.push(message.text());
    });
    page.on("pageerror", (error) => this.problems.push(String(error)));
  }

  goto(url) {
    return this.page.goto(url);
  }
  evaluate(fn, arg) {
    return this.page.evaluate(fn, arg);
  }
  async press(key) {
    // puppeteer names the space bar by its character.
    const keys = key.split("+").map((each) => (each === "Space" ? " " : each));
    for (const each of keys.slice(0, -1)) await this.page.keyboard.down(each);
    await this.page.keyboard.press(keys.at(-1));
    for (const each of keys.slice(0, -1).reverse()) await this.page.keyboard.up(each);
  }
  async act(...steps) {
    for (const [what, x, y] of steps) await (what === "move" ? this.page.mouse.move(x, y) : this.page.mouse[what]());
  }
  tapAt(x, y) {
    return this.page.touchscreen.tap(x, y);
  }
  touchStart(x, y) {
    return this.page.touchscreen.touchStart(x, y);
  }
  // The id of the element the engine's own accessibility tree gives this
  // role and name, or "" where it gives none.
  async byRole(role, name) {
    const element = await this.page.$(`::-p-aria([name=${JSON.stringify(name)}][role="${role}"])`);
    return element ? element.evaluate((each) => each.id) : "";
  }
  reloadPage() {
    return this.page.reload();
  }
  screenshot(path) {
    return this.page.screenshot({ path });
  }
  // Chromium's DevTools protocol, for what only Chromium tells.
  cdp() {
    return this.page.createCDPSession();
  }
  // Turns the phone: a new viewport, the screen's orientation with it.
  turn(viewport) {
    const { deviceScaleFactor, hasTouch, isMobile } = this.page.viewport() ?? {};
    return this.page.setViewport({ ...viewport, deviceScaleFactor, hasTouch, isMobile, isLandscape: viewport.width > viewport.height });
  }
}

// Goes to the site, and waits for the engine unless told not to.
async function arrive(page, url, ready) {
  await page.goto(url);
  if (ready) await page.ready();
  return page;
}

// Debian's Chromium, and the flags every launch of it here shares: no
// sandbox (the tests run as root), and nothing that calls the network.
export const chromiumFlags = ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update",
  "--disable-sync", "--no-first-run"];
export const chromiumPath = process.env.CHROMIUM ?? "/usr/bin/chromium";

// A Chromium of its own: env for the browser's environment (a font
// configuration), profile for a profile on disk, as a user's is, so that
// it may offer to install the page; args for more flags.
export function launchChromium({ env = {}, profile, args = [] } = {}) {
  return puppeteer.launch({
    executablePath: chromiumPath,
    headless: true,
    args: [...chromiumFlags, ...args],
    env: { ...process.env, ...env },
    userDataDir: profile,
    defaultViewport: null,
  });
}

// Debian's Firefox ESR, headless, with preferences of its own.
export function launchFirefox(extraPrefsFirefox = {}) {
  return puppeteer.launch({
    browser: "firefox",
    executablePath: process.env.FIREFOX ?? "/usr/bin/firefox-esr",
    headless: true,
    extraPrefsFirefox,
  });
}

// Opens a page of a puppeteer browser on the site. Options: viewport,
// touch (a coarse pointer and touch input), scale; in Chromium also
// colorScheme, contrast and forcedColors as emulated media, bypassCSP, and
// context: "default" for the browser's own profile rather than a fresh one.
// beforeLoad runs in the page before any of its scripts, prepare(page) on
// puppeteer's page before it goes to the site; ready: false opens it
// without waiting for the engine.
export async function openIn(browser, url, options = {}) {
  const { viewport = { width: 1280, height: 800 }, touch = false, scale = 1, context, beforeLoad, prepare, ready = true } = options;
  const owner = context === "default" ? browser.defaultBrowserContext() : await browser.createBrowserContext();
  const tab = await owner.newPage();
  await tab.setViewport({ ...viewport, deviceScaleFactor: scale, hasTouch: touch, isMobile: touch });
  const media = [["prefers-color-scheme", options.colorScheme], ["prefers-contrast", options.contrast], ["forced-colors", options.forcedColors]];
  const features = media.filter(([, value]) => value).map(([name, value]) => ({ name, value }));
  // Asked of Chromium itself: puppeteer knows only some of these features.
  // The session that asked keeps them in force while it stays open.
  const emulation = features.length ? await tab.createCDPSession() : null;
  await emulation?.send("Emulation.setEmulatedMedia", { features });
  if (options.bypassCSP) await tab.setBypassCSP(true);
  if (beforeLoad) await tab.evaluateOnNewDocument(beforeLoad);
  await prepare?.(tab);
  const page = new PuppeteerPage(tab, () => (context === "default" ? tab.close() : owner.close()));
  page.emulation = emulation;
  return arrive(page, url, ready);
}

async function chromium() {
  const browser = await launchChromium();
  return {
    name: "chromium",
    can: { touch: true, turn: true, beforeLoad: true, chromium: true },
    version: () => browser.version(),
    browser,
    open: (url, options = {}) => openIn(browser, url, options),
    close: () => browser.close(),
  };
}

// Firefox over WebDriver BiDi. Its pointer is told to be coarse, and touch
// events are on, by preferences, so a browser with a finger is a second one.
async function firefox() {
  const launched = new Map();
  const touchPrefs = { "ui.primaryPointerCapabilities": 1, "ui.allPointerCapabilities": 1, "dom.w3c_touch_events.enabled": 1 };
  const browserFor = (touch) => {
    if (!launched.has(touch)) launched.set(touch, launchFirefox(touch ? touchPrefs : {}));
    return launched.get(touch);
  };
  const version = (await (await browserFor(false)).version()).replace("firefox/", "");
  return {
    name: "firefox",
    can: { touch: true, turn: true, beforeLoad: true },
    version: () => version,
    open: async (url, options = {}) => openIn(await browserFor(Boolean(options.touch)), url, options),
    async close() {
      for (const browser of launched.values()) await (await browser).close();
    },
  };
}

// A page that a W3C WebDriver server shows, as WebKit's drivers do, driven
// through selenium-webdriver: a mouse, or a finger where the browser has one.
const key = (name) => Key[name.replace(/([a-z])([A-Z])/g, "$1_$2").toUpperCase()];

class WebDriverPage extends Page {
  constructor(driver, pointerType) {
    super();
    this.driver = driver;
    this.pointer = new input.Pointer(pointerType, pointerType);
    this.problems = null;
    this.close = () => driver.quit();
  }

  goto(url) {
    return this.driver.get(url);
  }
  evaluate(fn, arg) {
    return this.driver.executeScript(`return (${fn}).apply(null, arguments);`, arg ?? null);
  }
  async press(keys) {
    const codes = keys.split("+").map(key);
    const actions = this.driver.actions({ async: true });
    for (const code of codes) actions.keyDown(code);
    for (const code of codes.reverse()) actions.keyUp(code);
    await actions.perform();
  }
  // The pointer's steps, one after the other: ["move", x, y], ["down"], ["up"].
  act(...steps) {
    const moves = steps.map(([what, x, y]) =>
      what === "move" ? this.pointer.move({ x: Math.round(x), y: Math.round(y), origin: Origin.VIEWPORT }) : this.pointer[what === "down" ? "press" : "release"]());
    return this.driver.actions({ async: true }).insert(this.pointer, ...moves).perform();
  }
  // A tap of the touch pointer, a click of the mouse.
  tapAt(x, y) {
    return this.pointAt(x, y);
  }
  touchStart(x, y) {
    return this.hold(x, y);
  }
  // The engine's own accessibility: the computed role and label of each
  // element in the window that is not hidden.
  async byRole(role, name) {
    for (const element of await this.driver.findElements(By.css("#Form1 [id]:not([hidden]), #Form1 [id]:not([hidden]) *"))) {
      if ((await element.getAriaRole()) === role && (await element.getAccessibleName()) === name) return element.getAttribute("id");
    }
    return "";
  }
  reloadPage() {
    return this.driver.navigate().refresh();
  }
  async screenshot(path) {
    await writeFile(path, Buffer.from(await this.driver.takeScreenshot(), "base64"));
  }
}

// A WebDriver server of its own on a free port of the loopback, started
// with the environment given; page(capabilities, pointer) opens a session
// of it as a page, the browser's version kept in version.
async function startDriver(command, environment = {}) {
  const port = await portprober.findFreePort();
  const service = new remote.DriverService(command, { loopback: true, port, args: [`--port=${port}`], env: { ...process.env, ...environment } });
  const url = await service.start();
  const driver = {
    version: "",
    async page(capabilities, pointerType) {
      const session = await WebDriver.createSession(new Executor(new HttpClient(url)), new Capabilities(capabilities));
      driver.version = (await session.getCapabilities()).get("browserVersion");
      return new WebDriverPage(session, pointerType);
    },
    stop: () => service.kill(),
  };
  return driver;
}


// WebKitGTK's MiniBrowser, on the X display the test runs on.
async function webkit() {
  const driver = await startDriver("WebKitWebDriver");
  const binary = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser";
  return {
    name: "webkit",
    // WebKitGTK takes its pointer from the display's devices: Xvfb has a mouse.
    can: { touch: false },
    version: () => driver.version,
    async open(url, { viewport = { width: 1280, height: 800 }, ready = true } = {}) {
      const page = await driver.page({ "webkitgtk:browserOptions": { binary, args: ["--automation"] } }, "mouse");
      // The window is the viewport and the browser's own frame: make the
      // viewport the size asked.
      let rect = { width: viewport.width, height: viewport.height };
      for (let tries = 0; tries < 3; ++tries) {
        await page.driver.manage().window().setRect(rect);
        const [width, height] = await page.evaluate(() => [innerWidth, innerHeight]);
        if (width === viewport.width && height === viewport.height) break;
        rect = { width: rect.width + viewport.width - width, height: rect.height + viewport.height - height };
      }
      return arrive(page, url, ready);
    },
    close: () => driver.stop(),
  };
}

// WPE WebKit's cog on a headless weston of its own, on a socket of its own
// in a runtime folder of its own: WebKit as on phones, its pointer coarse
// and its input touch. The view takes its size from the driver's
// environment, so each size is a driver of its own.
async function wpe() {
  const runtime = await mkdtemp(join(tmpdir(), "tintora-wpe-"));
  const wayland = { XDG_RUNTIME_DIR: runtime, WAYLAND_DISPLAY: "wayland-tintora" };
  const weston = spawn("weston", ["--backend=headless-backend.so", "--use-pixman", `--socket=${wayland.WAYLAND_DISPLAY}`,
    "--width=2048", "--height=2048", "--idle-time=0"], { env: { ...process.env, ...wayland }, stdio: "ignore" });
  for (let tries = 0; !existsSync(join(runtime, wayland.WAYLAND_DISPLAY)); ++tries) {
    if (tries > 100) throw new Error("weston did not start");
    await pause(50);
  }
  const drivers = new Map();
  const driverFor = ({ width, height }) => {
    const size = `${width}x${height}`;
    if (!drivers.has(size))
      drivers.set(size, startDriver("WPEWebDriver", { ...wayland, COG_PLATFORM_WL_VIEW_WIDTH: width, COG_PLATFORM_WL_VIEW_HEIGHT: height }));
    return drivers.get(size);
  };
  let last;
  return {
    name: "wpe",
    can: { touch: true, mouse: false },
    version: () => last?.version ?? "",
    async open(url, { viewport = { width: 1280, height: 800 }, ready = true } = {}) {
      last = await driverFor(viewport);
      return arrive(await last.page({ "wpe:browserOptions": { binary: "cog", args: ["--automation", "--platform=wl"] } }, "touch"), url, ready);
    },
    async close() {
      for (const driver of drivers.values()) (await driver).stop();
      weston.kill();
      await rm(runtime, { recursive: true, force: true });
    },
  };
}

// The engine named, launched: open(url, options) gives a page on the site,
// its engine loaded; can says what the engine can be asked for.
export function launch(name = engine) {
  const engines = { chromium, firefox, webkit, wpe };
  if (!engines[name]) throw new Error(`no engine ${name}`);
  return engines[name]();
}

// A suite's engine, launched, and its site (the built one unless named),
// served; both ended once the suite is done.
export async function suite(folder = site) {
  const [server, browser] = [await serve(folder), await launch()];
  after(async () => {
    await browser.close();
    server.close();
  });
  return { server, browser };
}
