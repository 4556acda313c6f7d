// The browser's monkey: plays stories on the built page in headless Chromium (puppeteer-core)
// for a given time as a careless reader would, on a desktop's viewport and on an emulated phone
// (DPR 3, touch), from a printed seed: keys, held Ctrl, clicks of both buttons and the wheel on
// the desktop; taps and drags on the phone; reloads in the middle of the story, the tab hidden
// and shown, the network throttled while the page loads. The browser's own rules hold: nothing
// plays before the reader's first gesture, which starts the story.
//
// It fails on an error thrown in the page, a promise rejected with nobody to catch it, PageUp or
// Home at a running story that does not show the backlog (its frame, in the pixels), a canvas
// that stops changing while the reader keeps pressing at a running story (typing, the ▲ blinking,
// a page turned or a question answered all draw), a story that ends with an error on a story
// without one, and an error that does not name the file or line it is about. At the end it
// prints "monkey: actions NAME=COUNT ...", and fails a run of 60 s or more that never took one
// of its kinds of action.
//
//   node monkey.js --site BUILD_WEB --stories DIR --scratch DIR --seconds N [--seed S]
// DIR holds the stories: "sample", "loop" and "broken" (one that stops at a missing picture).
"use strict";
const fs = require("fs");
const path = require("path");
const puppeteer = require("puppeteer-core");
const { serve } = require("../../scripts/lib/serve-web.js");
const { makeSites } = require("./sites.js");

const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, "")] = process.argv[i + 1];
const seconds = Number(args.seconds || 60);
const seed = args.seed !== undefined ? Number(args.seed) >>> 0 : (Math.random() * 2 ** 32) >>> 0;
const FULL_RUN = 60;          // a run this long must have taken every kind of action
const STILL_LIMIT = 6000;     // ms a running story may show the same picture while pressed at (its pauses are under 1 s)
const PRESSES_TO_MOVE = 3;    // presses that must each have moved the story on by then
const IMAGE = 304;
// Places in the program's image (a 2-pixel border round the 300 x 300 picture area).
const PICTURE = [2, 2, 300, 195], BOX = [7, 202, 290, 70];
const ANSWERS = [[32, 227, 260, 15], [32, 242, 260, 15]];
// What an error must name: a story file, or a scenario line.
const NAMES_A_FILE = /[\w\u3000-\u9fff-]+\.(dat|bmp|mid|midi|wav|txt)\b|line \d+|Data\d\d/i;

// The seeded dice (mulberry32).
let dice = seed;
function rnd() {
  dice = (dice + 0x6d2b79f5) >>> 0;
  let t = dice;
  t = Math.imul(t ^ (t >>> 15), t | 1);
  t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
  return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
}
const pick = (list) => list[Math.floor(rnd() * list.length)];
const between = (a, b) => a + rnd() * (b - a);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

const PROFILES = {
  desktop: { width: 1024, height: 768, deviceScaleFactor: 1, isMobile: false, hasTouch: false },
  phone: { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
};

// --- the reader's actions: one row each. name, weight, on which viewports, what it does.
// A "press" is an action that moves a running story on (a page turned, a question answered, the
// backlog closed, the first gesture). A new reader's action is one row here. ---
class Reader {
  constructor(page, cdp, profile) { this.page = page; this.cdp = cdp; this.profile = profile; }
  async place() {
    return this.page.evaluate(() => {
      const b = document.getElementById("screen").getBoundingClientRect();
      return [b.left, b.top, b.width];
    });
  }
  async point(area) {
    const [left, top, width] = await this.place();
    const scale = width / IMAGE;
    return [left + (area[0] + rnd() * area[2]) * scale, top + (area[1] + rnd() * area[3]) * scale];
  }
  async key(name) { await this.page.keyboard.press(name); return `key ${name}`; }
  async chord(held, name) {
    await this.page.keyboard.down(held);
    await this.page.keyboard.press(name);
    await this.page.keyboard.up(held);
    return `key ${held}+${name}`;
  }
  async ctrlHeld() {
    const ms = Math.round(between(200, 2000));
    await this.page.keyboard.down("Control");
    await sleep(ms);
    await this.page.keyboard.up("Control");
    return `Ctrl held ${ms} ms`;
  }
  async click(button, area, what) {
    const [x, y] = await this.point(area);
    await this.page.mouse.click(x, y, { button });
    return `${button} click on the ${what} at ${x | 0},${y | 0}`;
  }
  async wheel(deltaY) {
    const [x, y] = await this.point(PICTURE);
    await this.page.mouse.move(x, y);
    await this.page.mouse.wheel({ deltaY });
    return `wheel ${deltaY < 0 ? "up" : "down"}`;
  }
  async mouseDrag() {
    const [x, y] = await this.point(PICTURE), [x2, y2] = await this.point(PICTURE);
    await this.page.mouse.move(x, y);
    await this.page.mouse.down();
    await this.page.mouse.move(x2, y2, { steps: 5 });
    await this.page.mouse.up();
    return `mouse drag ${x | 0},${y | 0} to ${x2 | 0},${y2 | 0}`;
  }
  async tap(area, what) {
    const [x, y] = await this.point(area);
    await this.page.touchscreen.tap(x, y);
    return `tap on the ${what} at ${x | 0},${y | 0}`;
  }
  async swipe(dx, dy, what) {
    const [x, y] = await this.point(PICTURE);
    const [, , width] = await this.place();
    const touch = await this.page.touchscreen.touchStart(x, y);
    for (let i = 1; i <= 6; i++) {
      await touch.move(x + (dx * width * i) / 12, y + (dy * width * i) / 12);
      await sleep(16);
    }
    await touch.end();
    return `swipe ${what}`;
  }
  async longPress() {
    const [x, y] = await this.point(PICTURE);
    const touch = await this.page.touchscreen.touchStart(x, y);
    await sleep(between(500, 1200));
    await touch.end();
    return "long press";
  }
  async hideAndShow(other) {
    const ms = Math.round(between(200, 2500));
    await other.bringToFront();
    await sleep(ms);
    const hidden = await this.page.evaluate(() => document.visibilityState);
    if (hidden === "hidden") figures.hidden++;
    await this.page.bringToFront();
    return `tab hidden ${ms} ms (${hidden})`;
  }
  async reload() {
    await this.page.reload({ waitUntil: "domcontentloaded" });
    return "reload";
  }
  // The reader's menu: its button, then one of its items; null (not taken) while the page shows
  // no menu button (before the story starts, after it ends).
  async menu(item) {
    const shown = await this.page.evaluate(() => { const b = document.getElementById("menu-button"); return !!b && !b.hidden; });
    if (!shown) return null;
    const press = (selector) => (this.profile === "phone" ? this.page.tap(selector) : this.page.click(selector));
    // The button opens a closed menu and closes an open one, as a reader sees it.
    const menuOpen = () => this.page.evaluate(() => !document.getElementById("menu").hidden);
    if (!(await menuOpen())) await press("#menu-button");
    await sleep(between(50, 400));
    if (!(await menuOpen())) return null;  // the story ended, or a box took the page meanwhile
    const selector = item === "speed" ? `#menu [data-speed="${Math.floor(rnd() * 4)}"]` : `#menu [data-do="${item}"]`;
    // A menu taller than a phone held sideways scrolls: the reader scrolls to the item first.
    await this.page.$eval(selector, (element) => element.scrollIntoView({ block: "nearest" }));
    await press(selector);
    return `menu: ${item}`;
  }
  async pause() {
    const ms = Math.round(between(200, 2000));
    await sleep(ms);
    return `nothing for ${ms} ms`;
  }
}

const BOTH = ["desktop", "phone"], DESKTOP = ["desktop"], PHONE = ["phone"];
let ACTIONS = [
  ["Space",               8, BOTH, (r) => r.key("Space"), true],
  ["Enter",               3, BOTH, (r) => r.key("Enter"), true],
  ["NumpadEnter",         2, BOTH, (r) => r.key("NumpadEnter"), true],
  ["ArrowUp",             2, BOTH, (r) => r.key("ArrowUp"), false],
  ["ArrowDown",           2, BOTH, (r) => r.key("ArrowDown"), false],
  ["PageUp",              3, BOTH, (r) => r.key("PageUp"), false],
  ["PageDown",            2, BOTH, (r) => r.key("PageDown"), false],
  ["Home",                2, BOTH, (r) => r.key("Home"), false],
  ["Escape",              2, BOTH, (r) => r.key("Escape"), false],
  ["M",                   1, BOTH, (r) => r.key("KeyM"), false],
  ["Ctrl+M",              0.5, BOTH, (r) => r.chord("Control", "KeyM"), false],
  ["F11",                 1, BOTH, (r) => r.key("F11"), false],
  ["Alt+Enter",           1, BOTH, (r) => r.chord("Alt", "Enter"), false],
  ["Ctrl-held",           2, BOTH, (r) => r.ctrlHeld(), false],
  ["volume-down",         0.5, BOTH, (r) => r.key("Minus"), false],
  ["volume-up",           0.5, BOTH, (r) => r.key("Equal"), false],
  ["text-slower",         0.5, BOTH, (r) => r.key("BracketLeft"), false],
  ["text-faster",         0.5, BOTH, (r) => r.key("BracketRight"), false],
  ["auto-mode",           0.5, BOTH, (r) => r.key("KeyA"), false],
  ["left-click-picture",  3, DESKTOP, (r) => r.click("left", PICTURE, "picture"), true],
  ["right-click-picture", 2, DESKTOP, (r) => r.click("right", PICTURE, "picture"), false],
  ["left-click-box",      2, DESKTOP, (r) => r.click("left", BOX, "box"), true],
  ["right-click-box",     1, DESKTOP, (r) => r.click("right", BOX, "box"), false],
  ["left-click-answer1",  1, DESKTOP, (r) => r.click("left", ANSWERS[0], "first answer"), true],
  ["left-click-answer2",  1, DESKTOP, (r) => r.click("left", ANSWERS[1], "second answer"), true],
  ["wheel-up",            2, DESKTOP, (r) => r.wheel(-100), false],
  ["wheel-down",          2, DESKTOP, (r) => r.wheel(100), false],
  ["mouse-drag",          1, DESKTOP, (r) => r.mouseDrag(), false],
  ["tap-picture",         6, PHONE, (r) => r.tap(PICTURE, "picture"), true],
  ["tap-box",             4, PHONE, (r) => r.tap(BOX, "box"), true],
  ["tap-answer1",         1, PHONE, (r) => r.tap(ANSWERS[0], "first answer"), true],
  ["tap-answer2",         1, PHONE, (r) => r.tap(ANSWERS[1], "second answer"), true],
  ["swipe-down",          1, PHONE, (r) => r.swipe(0, 1, "down"), false],
  ["swipe-up",            1, PHONE, (r) => r.swipe(0, -1, "up"), false],
  ["swipe-sideways",      1, PHONE, (r) => r.swipe(pick([-1, 1]), 0, "sideways"), false],
  ["long-press",          1, PHONE, (r) => r.longPress(), false],
  ["tab-hidden",          1, BOTH, (r, other) => r.hideAndShow(other), false],
  ["reload",              0.5, BOTH, (r) => r.reload(), false],
  ["pause",               2, BOTH, (r) => r.pause(), false],
  // Taken only on a page that has the reader's menu (the last field: what its index.html holds).
  ["menu-fullscreen",     0.5, BOTH, (r) => r.menu("fullscreen"), false, "menu-button"],
  ["menu-mute",           0.5, BOTH, (r) => r.menu("mute"), false, "menu-button"],
  ["menu-backlog",        0.5, BOTH, (r) => r.menu("backlog"), false, "menu-button"],
  ["menu-skip",           0.5, BOTH, (r) => r.menu("skip"), false, "menu-button"],
  ["menu-speed",          0.5, BOTH, (r) => r.menu("speed"), false, "menu-button"],
  ["menu-auto",           0.5, BOTH, (r) => r.menu("auto"), false, "menu-button"],
  ["menu-quieter",        0.3, BOTH, (r) => r.menu("quieter"), false, "menu-button"],
  ["menu-louder",         0.3, BOTH, (r) => r.menu("louder"), false, "menu-button"],
];
// How a page is opened: on which viewport, and whether over a throttled network.
const START_KINDS = ["desktop", "phone", "throttled"];

let counts = {};
const figures = { pages: 0, started: 0, endings: 0, errorBoxes: 0, hidden: 0, backlogs: 0 };

function choose(profile, late) {
  const rows = ACTIONS.filter((a) => a[2].includes(profile));
  // Late in a run, a kind not taken yet is favoured, so that a minute takes every kind.
  const weights = rows.map((a) => a[1] * (late && counts[a[0]] === 0 ? 15 : 1));
  let x = rnd() * weights.reduce((s, w) => s + w, 0);
  for (let i = 0; i < rows.length; i++) if ((x -= weights[i]) < 0) return rows[i];
  return rows[rows.length - 1];
}

// What the page shows and is doing; "look" is a digest of the canvas's pixels as painted, and
// "backlog" whether they show the backlog's panel (its light grey frame 5 pixels inside the
// picture area, whole).
const state = (page) => page.evaluate(async () => {
  const p = window.TessaroPage;
  const ended = document.getElementById("ended");
  let look = 0, backlog = false;
  if (p && p.started && p.readPixels) {
    const data = await p.readPixels("screen");
    for (let i = 0; i < data.length; i += 4) look = (Math.imul(look, 31) + data[i] + data[i + 1] * 7 + data[i + 2] * 13) | 0;
    const grey = (x, y) => { const i = (y * 304 + x) * 4; return data[i] === 0xc0 && data[i + 1] === 0xc0 && data[i + 2] === 0xc0; };
    backlog = true;
    for (let i = 7; i < 297 && backlog; i++) backlog = grey(7, i) && grey(296, i) && grey(i, 7) && grey(i, 296);
  }
  return { ready: !!p, started: !!(p && p.started), running: !!(p && p.running), box: !!(p && p.boxOpen),
           ended: !!(ended && !ended.hidden), status: p ? p.endStatus : undefined, look, backlog,
           visible: document.visibilityState === "visible", focused: document.hasFocus(),
           // The question whether to go on from the bookmark, before the story: no backlog over it.
           prompt: (document.getElementById("story-text").textContent || "").includes("続きから読む") };
});
const backlogShown = async (page) => (await state(page)).backlog;

// After PageUp or Home at a running story, with nothing over it: the backlog shows, and is still
// there a moment later (the monkey does nothing meanwhile). Returns what went wrong, or null.
async function checkBacklog(page, name) {
  await sleep(400);
  const end = Date.now() + 3000;
  for (;;) {
    if (await backlogShown(page)) return null;
    const s = await state(page);
    if (s.box || s.ended || !s.running || s.prompt) return null;
    if (Date.now() > end) return `${name} at a running story did not show the backlog, or it closed at once by itself`;
    await sleep(100);
  }
}

// forced: for the sweep at the end of a run, the names of the actions to take, in turn, instead
// of the dice's; the session ends when they are all taken (or its time is up).
async function playSession(browser, base, story, profile, throttled, other, late, forced = null) {
  const page = await browser.newPage();
  const log = [`${story} on the ${profile}${throttled ? ", throttled" : ""}`];
  const lines = [];
  let failure = null;
  page.on("console", (m) => {
    lines.push(m.type() + ": " + m.text());
    if (m.text().startsWith("monkey-unhandled-rejection")) failure = failure || `an unhandled rejection: ${m.text()}`;
  });
  page.on("pageerror", (e) => { failure = failure || `an error in the page: ${e.message}`; });
  await page.evaluateOnNewDocument(() => {
    window.addEventListener("unhandledrejection", (e) =>
      console.error("monkey-unhandled-rejection: " + (e.reason && e.reason.stack || e.reason)));
  });
  await page.emulate({ viewport: PROFILES[profile], userAgent: await browser.userAgent() });
  const cdp = await page.createCDPSession();
  if (throttled) {
    // A slow mobile network, while the page and the story load; then the network as it is.
    await cdp.send("Network.enable");
    await cdp.send("Network.emulateNetworkConditions", { offline: false, latency: 150,
      downloadThroughput: 3 * 1024 * 1024, uploadThroughput: 512 * 1024 });
  }
  figures.pages++;
  await page.goto(`${base}/${story}/`, { waitUntil: "domcontentloaded" });
  const reader = new Reader(page, cdp, profile);
  const end = Date.now() + (forced ? 30000 : between(8000, 30000));
  let lastLook = null, stillSince = Date.now(), presses = 0, wasStarted = false, checkedEnd = false;
  try {
    while (!failure && Date.now() < end) {
      const s = await state(page);
      if (s.started && !wasStarted) figures.started++;
      wasStarted = s.started;
      if (s.ended && !checkedEnd) {
        checkedEnd = true;
        figures.endings++;
        const errors = lines.filter((l) => l.startsWith("error:") && !l.includes("monkey-"));
        if (s.status !== 0) {
          figures.errorBoxes++;
          if (story !== "broken") failure = `the story ended with status ${s.status}: ${errors.join(" | ")}`;
          else if (!errors.some((l) => NAMES_A_FILE.test(l))) failure = `an error that names no file: ${errors.join(" | ") || "(nothing said)"}`;
        } else if (story === "broken") failure = "the broken story ended without its error";
        break;
      }
      // The canvas: while a story runs, in view, with the focus, and no box over it, the reader's
      // presses move it on; a picture that stays the same through several is a stopped story.
      // (The backlog stands still until the reader closes it, by whatever the page offers.)
      const watching = s.started && s.running && !s.box && !s.backlog && !s.ended && s.visible && s.focused;
      if (!watching || s.look !== lastLook) { stillSince = Date.now(); presses = 0; lastLook = s.look; }
      else if (Date.now() - stillSince > STILL_LIMIT && presses >= PRESSES_TO_MOVE) {
        failure = `the canvas has not changed for ${((Date.now() - stillSince) / 1000).toFixed(1)} s ` +
                  `through ${presses} presses of a running story`;
        break;
      }
      if (forced && !forced.length) break;
      const row = forced ? ACTIONS.find((a) => a[0] === forced[0]) : choose(profile, late());
      const [name, , , action, moves] = row;
      // PageUp and Home open the backlog wherever the story is (the wheel only outside a question).
      const opens = (name === "PageUp" || name === "Home") && s.started && s.running && !s.box && s.focused &&
                    s.visible && !s.backlog && !s.prompt;
      const done = await action(reader, other);
      if (done === null) {
        // Not takeable yet (the menu before the story starts): the sweep makes the first gesture.
        if (forced) {
          await (profile === "phone" ? reader.tap(PICTURE, "picture") : reader.key("Space"));
          await sleep(300);
        }
        continue;
      }
      if (forced) forced.shift();
      counts[name]++;
      if (moves) presses++;
      log.push(done);
      if (opens) {
        failure = await checkBacklog(page, name);
        if (failure) break;
        figures.backlogs++;
      }
      if (name === "reload") { lastLook = null; wasStarted = false; checkedEnd = false; lines.length = 0; }
      await sleep(pick([0, 20, 100, 300, 700]));
    }
  } catch (error) {
    // The page went while an action was under way (a reload): not the page's fault.
    if (!/Target closed|Execution context was destroyed|detached|Session closed/i.test(String(error))) throw error;
    log.push(`(${String(error).split("\n")[0]})`);
  }
  if (failure) {
    console.log(`FAILED: ${failure}`);
    console.log("  " + log[0]);
    console.log("  last actions: " + log.slice(-15).join("; "));
    console.log("  the page said:\n" + lines.slice(-20).map((l) => "    " + l).join("\n"));
  }
  await page.close();
  return failure;
}

(async () => {
  console.log(`monkey (browser): seed ${seed} (to replay: scripts/monkey-web ${seconds} ${seed})`);
  const started = Date.now();
  const late = () => Date.now() - started > seconds * 400;
  const sites = makeSites(path.resolve(args.site), path.resolve(args.stories), path.resolve(args.scratch));
  // The rows this page can take.
  const html = fs.readFileSync(path.join(args.site, "index.html"), "utf8");
  ACTIONS = ACTIONS.filter((a) => !a[5] || html.includes(a[5]));
  counts = Object.fromEntries([...ACTIONS.map((a) => a[0]), ...START_KINDS].map((k) => [k, 0]));
  const server = await serve(sites);
  const base = `http://127.0.0.1:${server.address().port}`;
  // The browser's own rules: no switch that lets sound play without a gesture.
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: path.join(args.scratch, "chromium-profile"),
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
           "--disable-component-update", "--disable-sync"],
  });
  // Another tab, to hide the story's behind.
  const other = await browser.newPage();
  await other.goto("about:blank");
  let failure = null, sessions = 0;
  try {
    while (!failure && Date.now() - started < seconds * 1000) {
      sessions++;
      // Each viewport in turn, so that a short run has both.
      const profile = sessions % 2 ? "desktop" : "phone";
      const story = pick(["sample", "sample", "loop", "loop", "broken"]);
      const throttled = rnd() < 0.3 || (late() && counts.throttled === 0);
      counts[profile]++;
      if (throttled) counts.throttled++;
      failure = await playSession(browser, base, story, profile, throttled, other, late);
    }
  } catch (error) {
    failure = String(error.stack || error);
    console.log(`FAILED: ${failure}`);
  }
  const kinds = Object.keys(counts);
  // The dice may leave a rare kind untaken in a minute (an answer tapped needs a phone at a
  // question): a full run ends with a sweep that takes each such kind once, on its viewport.
  if (!failure && seconds >= FULL_RUN) {
    for (const profile of ["desktop", "phone"]) {
      const forced = ACTIONS.filter((a) => counts[a[0]] === 0 && a[2].includes(profile)).map((a) => a[0]);
      const throttled = counts.throttled === 0;
      if (!forced.length && counts[profile] && !throttled) continue;
      console.log(`monkey: the sweep on the ${profile} takes ${forced.join(" ") || "(nothing; opens the page)"}`);
      counts[profile]++;
      if (throttled) counts.throttled++;
      sessions++;
      failure = await playSession(browser, base, "sample", profile, throttled, other, () => true, forced);
      if (failure) break;
    }
  }
  await browser.close();
  server.close();
  console.log("monkey: actions " + kinds.map((k) => `${k}=${counts[k]}`).join(" "));
  console.log(`monkey: also pages=${figures.pages} started=${figures.started} endings=${figures.endings} error-boxes=${figures.errorBoxes} seen-hidden=${figures.hidden} backlog-shown=${figures.backlogs}`);
  const missing = kinds.filter((k) => counts[k] === 0);
  if (!failure && missing.length && seconds >= FULL_RUN) {
    failure = "never took " + missing.join(", ");
    console.log(`FAILED: a run of ${seconds} s never took: ${missing.join(" ")}`);
  }
  const actions = ACTIONS.reduce((n, a) => n + counts[a[0]], 0);
  console.log(`monkey (browser): seed ${seed}, ${((Date.now() - started) / 1000).toFixed(0)} s, ${sessions} pages, ` +
              `${actions} actions: ${failure ? "FAILED" : "ok"}`);
  process.exit(failure ? 1 : 0);
})();
