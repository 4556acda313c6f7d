// The browser build's page in headless Chromium, driven by puppeteer-core, served on 127.0.0.1.
// web.sh makes the stories and the Linux build's reference pixels, then runs this:
//   node page_test.js --site BUILD_WEB --stories DIR --refs DIR --scratch DIR
// Every wait is bounded, so a fault reports in seconds; nothing asserts on time.
"use strict";
const fs = require("fs");
const path = require("path");
const { execFileSync } = require("child_process");
const puppeteer = require("puppeteer-core");
const { serve } = require("../../scripts/lib/serve-web.js");
const { makeSites } = require("./sites.js");

const ROOT = path.resolve(__dirname, "../..");
const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, "")] = process.argv[i + 1];
const W = 304, H = 304;
let checks = 0, failures = 0;

function check(what, expected, actual) {
  checks++;
  if (JSON.stringify(expected) === JSON.stringify(actual)) console.log(`ok: ${what}`);
  else { failures++; console.log(`FAILED: ${what}: expected ${JSON.stringify(expected)}, got ${JSON.stringify(actual)}`); }
}
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
async function until(test, ms, step = 50) {
  const end = Date.now() + ms;
  for (;;) {
    const value = await test();
    if (value || Date.now() > end) return value;
    await sleep(step);
  }
}

let browser, base;

async function open(story, { width = 800, height = 600, autostart = true, noOffscreen = false, keep = false } = {}) {
  const page = await browser.newPage();
  await page.setViewport({ width, height });
  // Each page a first visit, with nothing kept from another (the bookmark of a story read
  // before), unless it is the one test of what is kept.
  if (!keep) await page.evaluateOnNewDocument(() => { try { localStorage.clear(); } catch (e) {} });
  // A browser that cannot hand the canvas to a worker: the page paints it itself.
  if (noOffscreen) await page.evaluateOnNewDocument(() => { delete HTMLCanvasElement.prototype.transferControlToOffscreen; });
  page.consoleLines = [];
  page.on("console", (m) => page.consoleLines.push(m.type() + ": " + m.text()));
  page.on("pageerror", (e) => page.consoleLines.push("pageerror: " + e.message));
  await page.goto(`${base}/${story}/${autostart ? "?autostart" : ""}`);
  const ready = await until(() => page.evaluate(() => window.TessaroPage && (autostart => autostart ? TessaroPage.started : !document.getElementById("prompt").hidden)(location.search.includes("autostart"))), 10000);
  if (!ready) console.log(`(${story} did not get ready; console: ${page.consoleLines.join(" | ")})`);
  return page;
}

// The canvas's pixels as RGB bytes, as the Linux references are.
async function pixels(page, canvas = "screen") {
  const b64 = await page.evaluate(async (id) => {
    const data = await TessaroPage.readPixels(id);
    const rgb = new Uint8Array(data.length / 4 * 3);
    for (let i = 0, j = 0; i < data.length; i += 4) { rgb[j++] = data[i]; rgb[j++] = data[i + 1]; rgb[j++] = data[i + 2]; }
    let s = "";
    for (let i = 0; i < rgb.length; i += 8192) s += String.fromCharCode.apply(null, rgb.subarray(i, i + 8192));
    return btoa(s);
  }, canvas);
  return Buffer.from(b64, "base64");
}
function differing(a, b) {
  if (!a || !b || a.length !== b.length) return -1;
  let n = 0;
  for (let i = 0; i < a.length; i += 3) if (a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2]) n++;
  return n;
}
// Waits up to ms for the canvas to show exactly the reference (the page wait's ▲ blinks, so the
// frame is looked at again and again); the fewest pixels that differed otherwise.
async function matchReference(page, ref, ms, canvas) {
  let best = Infinity;
  const end = Date.now() + ms;
  while (Date.now() < end) {
    const d = differing(await pixels(page, canvas), ref);
    if (d === 0) return 0;
    if (d >= 0) best = Math.min(best, d);
    await sleep(30);
  }
  return best;
}
const rgbAt = (buf, x, y) => [buf[(y * W + x) * 3], buf[(y * W + x) * 3 + 1], buf[(y * W + x) * 3 + 2]];
const state = (page) => page.evaluate(() => ({ started: TessaroPage.started, running: TessaroPage.running,
  box: TessaroPage.boxOpen, ended: !document.getElementById("ended").hidden, status: TessaroPage.endStatus,
  scale: TessaroPage.scale }));

async function pixelsLikeLinux(story, pages, noOffscreen = false) {
  const page = await open(story, { noOffscreen });
  const how = noOffscreen ? ", painted without a worker" : "";
  if (noOffscreen) check("without a worker's canvas, the page paints its own", false, await page.evaluate(() => TessaroPage.screenPaintedAside));
  for (let i = 1; i <= pages; i++) {
    const ref = fs.readFileSync(path.join(args.refs, story, String(i).padStart(2, "0") + ".rgb"));
    check(`${story}, page ${i}${how}: every pixel as the Linux build's`, 0, await matchReference(page, ref, 4000));
    await page.keyboard.press("Space");
  }
  await page.close();
}

async function typingAndBlink() {
  const page = await open("glyphs");
  // Typing: the box fills a character at a time, a frame for each: the first page has 80 or so.
  const early = await pixels(page);
  await sleep(2500);
  const typed = await page.evaluate(() => TessaroPage.frames);
  check("text is typed a character at a time (a frame for each)", true, typed >= 60 ? true : typed);
  check("text is typed a character at a time (the first look was not the whole page)", true,
        differing(early, await pixels(page)) > 0);
  // At the page wait the ▲ blinks: the frame takes exactly two looks, again and again.
  await sleep(1500);
  const looks = new Set();
  for (let i = 0; i < 30; i++) { looks.add((await pixels(page)).toString("base64")); await sleep(40); }
  check("the page wait's ▲ blinks (two frames)", 2, looks.size);
  const frames = await page.evaluate(() => TessaroPage.frames);
  await sleep(1000);
  const perSecond = (await page.evaluate(() => TessaroPage.frames)) - frames;
  check("the page wait draws only when the ▲ changes (under 30 frames a second)", true, perSecond < 30);
  // Chromium can paint the canvas off the page's own thread; the pixels above were read from there.
  check("the canvas is painted in a worker", true, await page.evaluate(() => TessaroPage.screenPaintedAside));
  await page.close();
}

// Held Ctrl skips: text at once, page waits pass. Both pages of the glyph story, and its end, come
// in less than half the time the first page alone takes to type.
async function skipping() {
  const ref = fs.readFileSync(path.join(args.refs, "glyphs/01.rgb"));
  let page = await open("glyphs");
  let started = Date.now();
  await matchReference(page, ref, 5000);
  const typed = Date.now() - started;
  await page.close();
  page = await open("glyphs");
  started = Date.now();
  await page.keyboard.down("Control");
  await until(async () => (await state(page)).ended, 5000);
  const skipped = Date.now() - started;
  await page.keyboard.up("Control");
  check(`held Ctrl skips to the end (${skipped} ms, against ${typed} ms to type the first page)`, true,
        (await state(page)).ended && skipped * 2 < typed);
  await page.close();
}

// Keys count only while the story has the focus: a Space pressed while the page is in the
// background turns no page; once the focus is back, it does.
async function focus() {
  const page = await open("glyphs");
  const first = fs.readFileSync(path.join(args.refs, "glyphs/01.rgb"));
  const second = fs.readFileSync(path.join(args.refs, "glyphs/02.rgb"));
  await matchReference(page, first, 5000);
  await page.evaluate(() => window.dispatchEvent(new Event("blur")));
  await page.keyboard.press("Space");
  await sleep(500);
  check("Space without the focus leaves the page wait on", 0, await matchReference(page, first, 1000));
  await page.evaluate(() => window.dispatchEvent(new Event("focus")));
  await page.keyboard.press("Space");
  check("Space with the focus back turns the page", 0, await matchReference(page, second, 5000));
  await page.close();
}

// The question story (its files named in other letter cases than the script writes them): the
// answer sets flag FF, a branch on it sets 01 and a branch on that shows
// Pic01 (red top right) or Pic02 (green top right); then the next file is chained.
async function question(how, expectSecond) {
  const page = await open("question");
  await sleep(1200);  // the question is drawn after its half-second delay
  const secondAnswer = { x: 100, y: 2 + 210 + 30 + 7 };
  if (how === "key Space") await page.keyboard.press("Space");
  if (how === "key Down, Space") { await page.keyboard.press("ArrowDown"); await sleep(300); await page.keyboard.press("Space"); }
  if (how === "wheel down, Space") {
    const r = await page.evaluate(() => { const b = document.getElementById("screen").getBoundingClientRect(); return [b.left, b.top]; });
    await page.mouse.move(r[0] + 150, r[1] + 40);
    await page.mouse.wheel({ deltaY: 100 });
    await sleep(300);
    await page.keyboard.press("Space");
  }
  if (how === "click" || how === "tap, tap again") {
    const r = await page.evaluate(() => { const b = document.getElementById("screen").getBoundingClientRect(); return [b.left, b.top, b.width / 304]; });
    const x = r[0] + secondAnswer.x * r[2], y = r[1] + secondAnswer.y * r[2];
    if (how === "click") { await page.mouse.move(x, y); await sleep(250); await page.mouse.click(x, y); }
    // The first tap moves the arrow to the answer, the second chooses it.
    else { await page.touchscreen.tap(x, y); await sleep(300); await page.touchscreen.tap(x, y); }
  }
  await sleep(1500);
  const shot = await pixels(page);
  const topRight = rgbAt(shot, 2 + 30, 2 + 5);
  check(`question by ${how}: the ${expectSecond ? "second" : "first"} answer's branch`, expectSecond ? [0, 255, 0] : [255, 0, 0], topRight);
  await page.keyboard.press("Space");  // "選びました。" → D01
  await sleep(1500);
  await page.keyboard.press("Space");  // the chained file's page, then its end
  const ended = await until(async () => (await state(page)).ended, 4000);
  check(`question by ${how}: the chained file played to its end, and the page says so`, true, !!ended);
  await page.close();
}

async function music() {
  const page = await open("music");
  // Listened to until it is first heard (the soundfont may be slow to come on a loaded machine),
  // then for 3.5 s more.
  const peaks = [];
  const started = Date.now();
  let first = null;
  while (Date.now() - started < (first === null ? 15000 : first + 3500)) {
    const at = Date.now() - started, peak = await page.evaluate(() => TessaroPage.audioPeak());
    peaks.push([at, peak]);
    if (first === null && peak > 0.01) first = at;
    await sleep(100);
  }
  const heard = (from, to) => peaks.filter(([t, p]) => t >= from && t < to && p > 0.01).length;
  check("music is heard", true, first !== null);
  // The piece lasts half a second: heard 2.5 s after it began only if it was played again.
  check("music loops: heard again after its end", true, first !== null && heard(first + 2500, Infinity) > 0);
  await page.keyboard.press("Space");  // Z
  await sleep(1500);
  const quiet = [];
  for (let i = 0; i < 20; i++) { quiet.push(await page.evaluate(() => TessaroPage.audioPeak())); await sleep(100); }
  check("music stops", true, Math.max(...quiet) < 0.001);
  await page.keyboard.press("Space");  // W01
  const effect = await until(() => page.evaluate(() => TessaroPage.audioPeak() > 0.01), 3000);
  check("a sound effect is heard", true, !!effect);
  await sleep(1500);
  await page.keyboard.press("Space");  // X again after Z
  const again = await until(() => page.evaluate(() => TessaroPage.audioPeak() > 0.01), 3000);
  check("music stopped by Z plays again on X", true, !!again);
  await page.close();
}

async function gameOverBox() {
  const page = await open("gameover");
  const box = await until(async () => (await state(page)).box, 5000);
  check("the game-over box is shown, modal over the canvas", true, !!box);
  const [bw, bh] = fs.readFileSync(path.join(args.refs, "box/gameover.size"), "utf8").trim().split(/\s+/).map(Number);
  const size = await page.evaluate(() => [document.getElementById("box").width, document.getElementById("box").height]);
  check("the game-over box has the Linux box's size", [bw, bh], size);
  const ref = fs.readFileSync(path.join(args.refs, "box/gameover.rgb"));
  check("the game-over box: every pixel as the Linux build's", 0, await matchReference(page, ref, 2000, "box"));
  await page.keyboard.press("Space");  // keys go to the box, not the story
  const ended = await until(async () => (await state(page)).ended, 3000);
  check("Space closes the box and the story has ended, with status 0", [true, 0],
        [!!ended, (await state(page)).status]);
  // Offered again: the page starts over (this page was opened with ?autostart, so it runs at once).
  await page.tap("#again");  // a phone's tap, which the page's own touch handling must let through
  await sleep(500);
  const again = await until(() => page.evaluate(() => !!window.TessaroPage && TessaroPage.started &&
                                                document.getElementById("ended").hidden), 8000);
  check("Play again starts the story over", true, !!again);
  await page.close();
}

async function errorBox() {
  const page = await open("error");
  const box = await until(async () => (await state(page)).box, 5000);
  check("an error shows our box", true, !!box);
  check("the error goes to the console, naming the file", true,
        page.consoleLines.some((l) => l.startsWith("error:") && /Pic77\.bmp/i.test(l)));
  const r = await page.evaluate(() => {
    const b = document.getElementById("box").getBoundingClientRect();
    return [b.left, b.top, b.width / document.getElementById("box").width];
  });
  // The OK button: the Linux layout's place for it, 80 x 24 at the bottom centre.
  const [bw, bh] = await page.evaluate(() => [document.getElementById("box").width, document.getElementById("box").height]);
  await page.mouse.click(r[0] + (bw / 2) * r[2], r[1] + (bh - 12 - 12) * r[2]);
  const ended = await until(async () => (await state(page)).ended, 3000);
  check("a click on OK closes it; the story has ended with status 1", [true, 1], [!!ended, (await state(page)).status]);
  await page.close();
}

// A story without music, whose page came without the soundfont: it loads and plays to its end.
async function withoutSoundFont() {
  const page = await open("silent");
  check("a page without the soundfont loads and starts", true, (await state(page)).started);
  await sleep(2000);
  await page.keyboard.press("Space");
  const ended = await until(async () => (await state(page)).ended, 4000);
  check("a page without the soundfont plays its story to the end", true, !!ended);
  await page.close();
}

async function startPrompt() {
  const page = await open("sample", { autostart: false });
  check("the start prompt shows before the story", true, await page.evaluate(() => !document.getElementById("prompt").hidden));
  check("nothing runs before the first gesture", false, (await state(page)).started);
  await page.keyboard.press("Space");
  await sleep(300);
  check("the first key starts the story", true, (await state(page)).started);
  // The gesture that started it counts for nothing: the title stays at its page wait.
  const ref = fs.readFileSync(path.join(args.refs, "sample/01.rgb"));
  check("the starting key turned no page", 0, await matchReference(page, ref, 4000));
  await page.close();
}

// The reader's place: read to the third page, reload, continue (the program's own question,
// answered by its default), then the third page's picture and text, the music, and the branch on a
// flag set before the reload; finished, a reload is a first visit. A damaged bookmark is one line on
// the console, and the story plays.
async function readersPlace() {
  const page = await open("resume", { keep: true });
  await sleep(1500);
  const title = await pixels(page);
  await page.keyboard.press("Space");
  await sleep(1000);
  await page.keyboard.press("Space");
  await sleep(1500);
  const third = await pixels(page);
  const kept = await page.evaluate(() => Object.keys(localStorage).filter((k) => k.endsWith(".bookmark")));
  check("a bookmark is kept in the page's storage, for the story's page", 1,
        kept.filter((k) => k.startsWith("tessaro:bookmarks:/resume/:")).length);
  // The text speed is the program's setting, kept, whether a key or the menu chose it.
  const menuSpeed = async () => {
    await page.click("#menu-button");
    const checked = await page.evaluate(() => [...document.querySelectorAll("#menu [data-speed]")]
      .filter((b) => b.getAttribute("aria-checked") === "true").map((b) => b.dataset.words).join());
    await page.click("#menu-button");
    return checked;
  };
  await page.keyboard.press("BracketRight");
  check("the text speed the ] key chose is the menu's", "fast", await menuSpeed());
  // Only the rows' start: the ▲ after the text blinks.
  const region = (shot, top, height, width = W) => {
    const out = [];
    for (let y = top; y < top + height; y++) out.push(shot.subarray((y * W) * 3, (y * W + width) * 3).toString("base64"));
    return out.join();
  };
  const rows = (shot) => region(shot, 200, 70, 82);
  const picture = (shot) => region(shot, 0, 198);
  await page.reload();
  await until(() => page.evaluate(() => TessaroPage.started), 10000);
  await sleep(1500);
  const asked = await pixels(page);
  const light = (shot, x, y) => { let n = 0; for (let j = 0; j < 12; j++) for (let i = 0; i < 12; i++) if (rgbAt(shot, x + i, y + j)[0] > 128) n++; return n; };
  check("reloaded: the question, ⇒ at 「続きから読む」", true, light(asked, 17, 227) > 10);
  check("reloaded: no ⇒ at 「はじめから読む」", 0, light(asked, 17, 242));
  check("reloaded: the text speed kept", "fast", await menuSpeed());
  check("reloaded: the question is not the title", true, rows(asked) !== rows(title));
  await page.keyboard.press("Space");
  await sleep(1500);
  const continued = await pixels(page);
  check("continued: the third page's picture", true, picture(continued) === picture(third));
  check("continued: the third page's text", true, rows(continued) === rows(third));
  const heard = await until(() => page.evaluate(() => TessaroPage.audioPeak() > 0.01), 3000);
  check("continued: the music plays", true, !!heard);
  await page.keyboard.press("Space");
  await sleep(1000);
  await page.keyboard.press("Space");
  const ended = await until(async () => (await state(page)).ended, 4000);
  const s = await state(page);
  check("the flag set before the reload takes its branch: the end mark, no game-over box", [true, 0], [!!ended, s.status]);
  check("the finished story keeps no bookmark", [],
        await page.evaluate(() => Object.keys(localStorage).filter((k) => k.startsWith("tessaro:bookmarks:/resume/:") && k.endsWith(".bookmark"))));
  await page.reload();
  await until(() => page.evaluate(() => TessaroPage.started), 10000);
  await sleep(1500);
  check("the next visit shows the title, no question", true, rows(await pixels(page)) === rows(title));
  await page.click("#menu-button");
  await page.click('#menu [data-speed="3"]');
  await page.click("#menu-button");
  // A damaged bookmark: a line on the console, and the story from its start.
  await page.evaluate((key) => localStorage.setItem(key, "Tessaro bookmark 1\nstory 0\n"), kept[0]);
  page.consoleLines = [];
  await page.reload();
  await until(() => page.evaluate(() => TessaroPage.started), 10000);
  await sleep(1500);
  check("a damaged bookmark: the title", true, rows(await pixels(page)) === rows(title));
  check("a damaged bookmark: one line on the console", 1,
        page.consoleLines.filter((l) => l.includes("tessaro: the reader's place is ignored")).length);
  check("the text speed the menu chose, kept", "instant", await menuSpeed());
  await page.close();
}

async function scaling() {
  for (const [what, width, height, scale] of [["a phone", 360, 640, 1], ["a 4K screen", 3840, 2160, 7], ["800 x 600", 800, 600, 1], ["1024 x 768", 1024, 768, 2]]) {
    const page = await open("glyphs", { width, height });
    const r = await page.evaluate(() => { const b = document.getElementById("screen").getBoundingClientRect(); return [b.left, b.top, b.width, b.height, getComputedStyle(document.getElementById("screen")).imageRendering, getComputedStyle(document.body).backgroundColor]; });
    check(`scaling on ${what}: ${scale}x, centred, pixelated, on black`,
          [scale * W, scale * H, Math.floor((width - scale * W) / 2), Math.floor((height - scale * H) / 2), "pixelated", "rgb(0, 0, 0)"],
          [r[2], r[3], Math.floor(r[0]), Math.floor(r[1]), r[4], r[5]]);
    if (what === "800 x 600") {
      await page.setViewport({ width: 1400, height: 1000 });
      await sleep(300);
      check("the canvas follows a resize", 3 * W, await page.evaluate(() => document.getElementById("screen").getBoundingClientRect().width));
    }
    if (what === "a phone") {
      // A touch screen turned on its side: the picture fills its height (the short side decides),
      // centred again.
      await page.setViewport({ width: height, height: width, isMobile: true, hasTouch: true, isLandscape: true });
      await sleep(300);
      const turned = await page.evaluate(() => { const b = document.getElementById("screen").getBoundingClientRect(); return [b.left, b.top, b.width]; });
      check("a phone turned on its side: the picture fills its height, centred again", [Math.floor((height - width) / 2), 0, width],
            [Math.floor(turned[0]), Math.floor(turned[1]), turned[2]]);
    }
    await page.close();
  }
}

async function fullscreen() {
  const page = await open("glyphs");
  await sleep(500);
  await page.keyboard.press("F11");
  const on = await until(() => page.evaluate(() => !!document.fullscreenElement), 3000);
  check("F11 makes the page fullscreen", true, !!on);
  await page.keyboard.press("F11");
  const off = await until(() => page.evaluate(() => !document.fullscreenElement), 3000);
  check("F11 again leaves fullscreen", true, !!off);
  // At the first page's wait (a Space while the text types would be forgotten anyway).
  const first = fs.readFileSync(path.join(args.refs, "glyphs/01.rgb"));
  await matchReference(page, first, 4000);
  await page.keyboard.down("Alt");
  await page.keyboard.press("Enter");
  await page.keyboard.up("Alt");
  const altOn = await until(() => page.evaluate(() => !!document.fullscreenElement), 3000);
  check("Alt+Enter makes the page fullscreen", true, !!altOn);
  // Still the first page, as the Linux build shows it: the Enter went to fullscreen, not the story.
  await sleep(500);
  check("Alt+Enter turns no page", 0, await matchReference(page, first, 2000));
  await page.keyboard.press("F11");
  await until(() => page.evaluate(() => !document.fullscreenElement), 3000);
  await page.close();
}

// The reader's keys: PageUp or the wheel turned up at a page wait opens the backlog over the page,
// Escape or a right click returns to exactly the page as it was; M mutes the music and M again
// brings it back.
async function readerKeys() {
  let page = await open("glyphs");
  await matchReference(page, fs.readFileSync(path.join(args.refs, "glyphs/01.rgb")), 4000);
  await page.keyboard.press("Space");
  const second = fs.readFileSync(path.join(args.refs, "glyphs/02.rgb"));
  check("the backlog: first at the second page's wait", 0, await matchReference(page, second, 4000));
  await page.keyboard.press("PageUp");
  await sleep(300);
  check("the backlog: PageUp opens it over the page (the page is not seen for a second)", true,
        (await matchReference(page, second, 1000)) > 0);
  await page.keyboard.press("Escape");
  check("the backlog: Escape returns to the page wait, every pixel as it was", 0, await matchReference(page, second, 3000));
  const r = await page.evaluate(() => { const b = document.getElementById("screen").getBoundingClientRect(); return [b.left + 150, b.top + 100]; });
  await page.mouse.move(r[0], r[1]);
  await page.mouse.wheel({ deltaY: -100 });
  await sleep(300);
  check("the backlog: the wheel turned up opens it", true, (await matchReference(page, second, 1000)) > 0);
  await page.mouse.click(r[0], r[1], { button: "right" });
  check("the backlog: a right click returns, every pixel as it was", 0, await matchReference(page, second, 3000));
  check("the backlog: the right click opened no menu of the browser's", true,
        await page.evaluate(() => { const e = new MouseEvent("contextmenu", { cancelable: true, bubbles: true });
                                    return !document.getElementById("screen").dispatchEvent(e); }));
  await page.close();

  page = await open("music");
  const peak = () => page.evaluate(() => TessaroPage.audioPeak());
  check("mute: music is heard first", true, !!(await until(async () => (await peak()) > 0.01, 3000)));
  await page.keyboard.press("KeyM");
  await sleep(300);
  const quiet = [];
  for (let i = 0; i < 25; i++) { quiet.push(await peak()); await sleep(100); }
  check("M mutes the music (looping all the while)", true, Math.max(...quiet) < 0.001);
  await page.keyboard.press("KeyM");
  check("M again: the music is heard again", true, !!(await until(async () => (await peak()) > 0.01, 3000)));
  await page.close();
}

// --- with the browser's own rules: no autoplay switch, and the page read through the DevTools
// protocol's plain evaluation (puppeteer's page.evaluate counts as the reader's gesture) ---
let realBrowser;
async function openReal(story, { width = 390, height = 844, ratio = 3, touch = true, query = "", locale = "" } = {}) {
  const page = await realBrowser.newPage();
  await page.setViewport({ width, height, deviceScaleFactor: ratio, isMobile: touch, hasTouch: touch });
  page.consoleLines = [];
  page.on("console", (m) => page.consoleLines.push(m.type() + ": " + m.text()));
  page.on("pageerror", (e) => page.consoleLines.push("pageerror: " + e.message));
  const cdp = await page.createCDPSession();
  page.look = async (expression) => {
    const answer = await cdp.send("Runtime.evaluate", { expression, returnByValue: true, awaitPromise: true });
    if (answer.exceptionDetails) throw new Error(expression + ": " + answer.exceptionDetails.text);
    return answer.result.value;
  };
  page.cdp = cdp;
  // The reader's languages, as the browser's settings give them (navigator.languages).
  if (locale) await cdp.send("Emulation.setUserAgentOverride", { userAgent: await realBrowser.userAgent(), acceptLanguage: locale });
  // Each opening is a first visit: no bookmark from another test offers to continue.
  await page.evaluateOnNewDocument(() => { try { localStorage.clear(); } catch (e) {} });
  await page.goto(`${base}/${story}/${query}`);
  return page;
}
const storyText = (page) => page.look(`document.getElementById("story-text").textContent`);
const heard = (page, ms) => until(() => page.look("TessaroPage.audioPeak() > 0.01"), ms);
async function centreOf(page, id) {
  return page.look(`(() => { const b = document.getElementById(${JSON.stringify(id)}).getBoundingClientRect();
                             return [b.left + b.width / 2, b.top + b.height / 2]; })()`);
}

// Sound starts at a gesture the browser counts, whatever the story started on, and the music
// asked for meanwhile is heard on the page where it began.
async function gestures() {
  for (const first of ["Escape", "a held tap of 250 ms, then Escape"]) {
    const page = await openReal("music");
    await until(() => page.look(`!document.getElementById("prompt").hidden`), 10000);
    if (first === "Escape") await page.keyboard.press("Escape");
    else {
      await page.touchscreen.touchStart(200, 300);
      await sleep(250);
      await page.touchscreen.touchEnd();
      await sleep(100);
      await page.keyboard.press("Escape");
    }
    const onFirstPage = await until(async () => /音楽が鳴っています/.test(await storyText(page)), 5000);
    check(`${first} starts the story`, true, !!onFirstPage);
    if (first === "Escape") {
      // Escape is no gesture: the sound is held back, and the page says so.
      check("Escape first: the mark says the sound is held back", true, !!(await until(() => page.look("TessaroPage.soundHeld()"), 3000)));
      const quiet = [];
      for (let i = 0; i < 10; i++) { quiet.push(await page.look("TessaroPage.audioPeak()")); await sleep(100); }
      check("Escape first: nothing is heard yet", true, Math.max(...quiet) < 0.001);
      const [x, y] = await centreOf(page, "sound-held");
      await page.touchscreen.tap(x, y);
    }
    check(`${first}: the music is heard after the next real gesture`, true, !!(await heard(page, 4000)));
    check(`${first}: on the page where it began`, true, /音楽が鳴っています/.test(await storyText(page)));
    check(`${first}: the mark is gone`, true, !!(await until(() => page.look("!TessaroPage.soundHeld()"), 2000)));
    await page.close();
  }
  // A piece whose first second was held back comes in step: from where it had got to.
  const page = await openReal("music");
  await until(() => page.look(`!document.getElementById("prompt").hidden`), 10000);
  const map = await page.look(`(() => { const m = TessaroPage.tempoMap(Uint8Array.from([77,84,104,100,0,0,0,6,0,0,0,1,0,96,
    77,84,114,107,0,0,0,11, 0,255,81,3,15,66,64, 0,255,47,0]).buffer); return [m.msAt(96), m.tickAt(500), m.msAt(0)]; })()`);
  check("the tempo map: a beat of a second at 96 ticks a beat", [1000, 48, 0], map);
  await page.close();
}

// Touch on a phone at DPR 3 and 1: taps that miss an answer by a little (below, above, beside it),
// on the question or on the picture choose nothing; a tap on an answer moves the arrow there and a
// second tap chooses it; a tap on the picture turns the page; a finger drawn down opens the backlog.
async function touch() {
  for (const ratio of [3, 1]) {
    const page = await openReal("question", { ratio, query: "?autostart" });
    await until(async () => /行きますか/.test(await storyText(page)), 8000);
    const r = await page.look(`(() => { const b = document.getElementById("screen").getBoundingClientRect(); return [b.left, b.top, b.width / 304]; })()`);
    // Client image pixels (a 2-pixel border): the answers' rows are y 227-241 and 242-256, the box
    // x 7-297.
    const at = (x, y) => [r[0] + (x + 0.5) * r[2], r[1] + (y + 0.5) * r[2]];
    const misses = [["2 px below the second answer", 150, 258], ["just below the second answer", 150, 257],
                    ["1 px above the first answer, on the question", 150, 226], ["on the question", 150, 214],
                    ["beside the first answer, left of the box", 4, 234], ["beside the second answer, right of the box", 299, 249],
                    ["on the picture", 150, 100]];
    for (const [what, x, y] of misses) {
      await page.touchscreen.tap(...at(x, y));
      await sleep(250);
      if (!/行きますか/.test(await storyText(page))) { check(`DPR ${ratio}: a tap ${what} chooses nothing`, true, false); break; }
    }
    await sleep(600);
    check(`DPR ${ratio}: ${misses.length} near-miss taps chose nothing`, true, /行きますか/.test(await storyText(page)));
    await page.touchscreen.tap(...at(150, 249));
    await sleep(600);
    check(`DPR ${ratio}: one tap on the second answer only moves the arrow`, true, /行きますか/.test(await storyText(page)));
    await page.touchscreen.tap(...at(150, 249));
    const chosen = await until(async () => /選びました/.test(await storyText(page)), 4000);
    check(`DPR ${ratio}: a second tap on it chooses it`, true, !!chosen);
    const shot = await pixels(page);
    check(`DPR ${ratio}: the second answer's branch`, [0, 255, 0], rgbAt(shot, 2 + 30, 2 + 5));
    // At the page wait: a finger drawn down opens the backlog (the page is not seen), a tap closes
    // it, a tap on the picture turns the page.
    const before = await pixels(page);
    const [x0, y0] = at(150, 100);
    await page.touchscreen.touchStart(x0, y0);
    for (let dy = 10; dy <= 60; dy += 10) await page.touchscreen.touchMove(x0, y0 + dy);
    await page.touchscreen.touchEnd();
    await sleep(400);
    check(`DPR ${ratio}: a finger drawn down opens the backlog`, true, differing(await pixels(page), before) > 0);
    await page.touchscreen.tap(x0, y0);
    check(`DPR ${ratio}: a tap closes the backlog, every pixel as it was`, 0, await matchReference(page, before, 3000));
    await page.touchscreen.tap(x0, y0);
    const turned = await until(async () => /続きのファイル/.test(await storyText(page)), 4000);
    check(`DPR ${ratio}: a tap on the picture turns the page`, true, !!turned);
    await page.close();
  }
}

// The sample story to both endings on an emulated phone, by taps and the menu alone: the first
// answers by a tap (the arrow marks the first already), the second by two; the menu's skip on the
// way to the second.
async function phoneEndings() {
  for (const second of [false, true]) {
    const page = await openReal("sample", { ratio: 3 });
    await until(() => page.look(`!document.getElementById("prompt").hidden`), 10000);
    await page.touchscreen.tap(195, 400);  // the first tap starts the story, with its sound
    const r = await page.look(`(() => { const b = document.getElementById("screen").getBoundingClientRect(); return [b.left, b.top, b.width / 304]; })()`);
    const at = (x, y) => [r[0] + (x + 0.5) * r[2], r[1] + (y + 0.5) * r[2]];
    let sawBox = false, sawMusic = false, skipped = false, lastQuestion = "";
    const end = Date.now() + 150000;
    while (Date.now() < end) {
      const s = await page.look(`({ ended: !document.getElementById("ended").hidden, box: TessaroPage.boxOpen,
                                    text: document.getElementById("story-text").textContent,
                                    peak: TessaroPage.audioPeak() })`);
      if (s.peak > 0.01) sawMusic = true;
      if (s.ended) break;
      // A page's rows each end with a line's end; a question is its line and its two answers.
      s.question = !s.text.endsWith("\n") && s.text.split("\n").length === 3;
      if (s.box) {
        sawBox = true;
        const b = await page.look(`(() => { const c = document.getElementById("box"), b = c.getBoundingClientRect();
                                             return [b.left + b.width / 2, b.bottom - b.height * 24 / c.height]; })()`);
        await page.touchscreen.tap(b[0], b[1]);  // its OK button
      } else if (s.question && s.text !== lastQuestion) {
        lastQuestion = s.text;
        const y = second ? 249 : 234;
        await page.touchscreen.tap(...at(150, y));
        if (second) { await sleep(200); await page.touchscreen.tap(...at(150, y)); }
      } else if (!s.question) {
        if (second && !skipped) {
          await page.tap("#menu-button");
          await sleep(200);
          await page.tap('#menu [data-do="skip"]');
          skipped = true;
        } else await page.touchscreen.tap(...at(150, 100));
      }
      await sleep(300);
    }
    const s = await page.look(`({ ended: !document.getElementById("ended").hidden, status: TessaroPage.endStatus, boxes: TessaroPage.boxesShown })`);
    sawBox = sawBox || s.boxes > 0;
    check(`on a phone, by taps and the menu: the sample story to its ${second ? "second" : "first"} ending`, [true, 0], [s.ended, s.status]);
    check(`on a phone: music heard (${second ? "second" : "first"} ending)`, true, sawMusic);
    if (second) check("on a phone: the game-over box came at the second ending", true, sawBox);
    await page.close();
  }
}

// The reader's actions every machine is tested with (tests/actions/reader-actions.txt), each at
// the first page's wait of its own run, taken with the browser's real keys, clicks and wheel.
const countColour = (buf, x, y, w, h, rgb) => {
  let n = 0;
  for (let j = y; j < y + h; j++) for (let i = x; i < x + w; i++) if (rgbAt(buf, i, j).join() === rgb.join()) n++;
  return n;
};
// As the window tests look: the next page's row, the mute mark at the top right, the backlog's panel.
const secondRowInk = (buf) => countColour(buf, 17, 227, 72, 14, [255, 255, 255]);
const muteMarkBlue = (buf) => countColour(buf, 250, 4, 54, 22, [0, 0, 128]);
async function readerAction(page, action) {
  const at = await page.evaluate(() => { const b = document.getElementById("screen").getBoundingClientRect();
                                         return [b.left, b.top, b.width / 304]; });
  const point = (x, y) => [at[0] + x * at[2], at[1] + y * at[2]];
  const withKey = async (modifier, key) => { await page.keyboard.down(modifier); await page.keyboard.press(key); await page.keyboard.up(modifier); };
  switch (action) {
    case "m": return page.keyboard.press("KeyM");
    case "ctrl+m": return withKey("Control", "KeyM");
    case "click": return page.mouse.click(...point(150, 40));
    case "focus-click": {
      // A frame of the page's own takes the focus, so that the story's window loses it, as to
      // another program; the click on the story brings it back.
      const left = await page.evaluate(() => new Promise((done) => {
        const frame = document.createElement("iframe");
        frame.style.cssText = "position: fixed; left: 0; top: 0; width: 8px; height: 8px; border: 0";
        document.body.appendChild(frame);
        window.addEventListener("blur", () => done(true), { once: true });
        frame.contentWindow.focus();
        setTimeout(() => done(false), 2000);
      }));
      check(`${action}: the story's window lost the focus first`, true, left);
      return page.mouse.click(...point(150, 40));
    }
    case "enter": return page.keyboard.press("Enter");
    case "alt+enter": return withKey("Alt", "Enter");
    case "wheel-up": await page.mouse.move(...point(150, 100)); return page.mouse.wheel({ deltaY: -100 });
    default: check(`a way to take the action ${action} here`, true, false);
  }
}
async function readerActions() {
  const lines = fs.readFileSync(path.join(ROOT, "tests/actions/reader-actions.txt"), "utf8").split("\n");
  for (const line of lines) {
    const [action, ...outcomes] = line.trim().split(/\s+/);
    if (!action || action.startsWith("#")) continue;
    const page = await open("actions");
    await sleep(1200);  // at the first page's wait
    check(`${action}: at the page wait`, 0, secondRowInk(await pixels(page)));
    await readerAction(page, action);
    await sleep(1000);
    for (const outcome of outcomes) {
      const now = await pixels(page);
      switch (outcome) {
        case "page-stays": check(`${action}: the page stays`, 0, secondRowInk(now)); break;
        case "page-turns": check(`${action}: the page turns`, true, secondRowInk(now) >= 60); break;
        case "muted": check(`${action}: the mute mark shows`, true, muteMarkBlue(now) >= 100); break;
        case "not-muted": check(`${action}: no mute mark`, 0, muteMarkBlue(now)); break;
        case "backlog": check(`${action}: the backlog opens`, [0, 0, 128], rgbAt(now, 150, 100)); break;
        case "fullscreen":
          check(`${action}: fullscreen`, true, !!(await until(() => page.evaluate(() => !!document.fullscreenElement), 3000)));
          await readerAction(page, action);
          check(`${action} again: fullscreen no more`, true, !!(await until(() => page.evaluate(() => !document.fullscreenElement), 3000)));
          await sleep(500);
          break;
        default: check(`${action}: an outcome this test knows`, "known", outcome);
      }
    }
    await page.close();
  }
}

// Files that come late: skipping through the sample story on a slow network, each picture the story
// reaches before it is in is waited for (no error, to the end); a picture that never comes ends in
// an error box naming it.
async function lateFiles() {
  const page = await openReal("sample", { query: "?autostart" });
  await page.cdp.send("Network.emulateNetworkConditions", { offline: false, latency: 100,
                                                          downloadThroughput: 300000 / 8 * 10, uploadThroughput: 300000 });
  await until(() => page.look("TessaroPage.started"), 20000);
  const asked = await page.look("TessaroPage.allLoadedAt || 0");
  await page.keyboard.down("Control");
  const end = Date.now() + 90000;
  let boxes = 0;
  while (Date.now() < end) {
    const s = await page.look(`({ ended: !document.getElementById("ended").hidden, boxes: TessaroPage.boxesShown })`);
    boxes = s.boxes;
    if (s.ended || s.boxes > 0) break;
    await page.keyboard.press("Space");  // a question waits for its answer, skipping or not
    await sleep(200);
  }
  await page.keyboard.up("Control");
  const s = await page.look(`({ ended: !document.getElementById("ended").hidden, status: TessaroPage.endStatus, all: TessaroPage.allLoadedAt || 0 })`);
  check("on a slow network, skipping waits for each picture: to the end, no box", [true, 0, 0], [s.ended, s.status, boxes]);
  check("on a slow network, the story started before all its files were in", true, asked === 0);
  await page.close();

  const late = await openReal("late", { query: "?autostart" });
  const box = await until(async () => {
    if (await late.look("TessaroPage.boxOpen")) return true;
    await late.keyboard.press("Space");  // to the second page
    return false;
  }, 40000, 400);
  check("a picture that never comes: an error box", true, !!box);
  check("the error names the picture", true, /Pic02\.bmp/i.test(await storyText(late)));
  await late.close();
}

// Hidden, the page is silent; shown again, the music goes on.
async function hiddenTab() {
  const page = await openReal("music");
  await until(() => page.look(`!document.getElementById("prompt").hidden`), 10000);
  await page.keyboard.press("Space");
  check("hidden: music is heard first", true, !!(await heard(page, 4000)));
  const other = await realBrowser.newPage();
  await other.bringToFront();
  const hidden = await until(() => page.look("document.hidden"), 3000);
  check("hidden: another tab in front hides the page", true, !!hidden);
  await sleep(400);
  check("hidden: the music rests", "suspended", await page.look("TessaroPage.audio.ctx.state"));
  await page.bringToFront();
  check("hidden: shown again, the music goes on", true, !!(await heard(page, 4000)));
  await other.close();
  await page.close();
}

// A screen reader finds each page's text and the question's answers, and a named picture.
async function accessibility() {
  const page = await openReal("question", { query: "?autostart" });
  const asked = await until(async () => /行きますか/.test(await storyText(page)), 8000);
  check("the live region holds the question and its answers", "行きますか。\nはい\nいいえ", asked ? await storyText(page) : null);
  const { nodes } = await page.cdp.send("Accessibility.getFullAXTree");
  const names = nodes.map((n) => [n.role && n.role.value, n.name && n.name.value]);
  const texts = nodes.filter((n) => n.name && /行きますか/.test(n.name.value)).length;
  check("the accessibility tree holds the page's text", true, texts > 0);
  check("the canvas is a named picture", true, names.some(([role, name]) => /^(img|image)$/.test(role) && /screen|画面/.test(name || "")));
  check("the region is polite", "polite", await page.look(`document.getElementById("story-text").getAttribute("aria-live")`));
  await page.close();
  // The page's own words follow the reader's language: Japanese for a Japanese reader, English
  // for everyone else.
  const seen = `[document.documentElement.lang, document.getElementById("screen").getAttribute("aria-label"),
                 document.getElementById("prompt").textContent, document.querySelector('[data-words="backlog"]').textContent]`;
  for (const [locale, expected] of [["ja-JP", ["ja", "物語の画面", "タップするか、キーを押すと始まります", "読み返す"]],
                                    ["en-US", ["en", "The story's screen", "Tap, click or press a key to start", "Backlog"]]]) {
    const other = await openReal("question", { locale });
    await until(() => other.look(`!document.getElementById("prompt").hidden`), 8000);
    check(`the page's words for a reader in ${locale}`, expected, await other.look(seen));
    await other.close();
  }
}

// Every box whole on a 320-px-wide phone; the picture fills a phone's width (its height held
// sideways) at DPR 3 and 1, and a desktop keeps whole scales.
async function narrowScreens() {
  for (const [what, width, height, ratio] of [["320 px, DPR 3", 320, 568, 3], ["390 px, DPR 1", 390, 844, 1],
                                               ["844 x 390 held sideways, DPR 3", 844, 390, 3]]) {
    const page = await openReal("error", { width, height, ratio, query: "?autostart" });
    await until(() => page.look("TessaroPage.boxOpen"), 8000);
    const [screenBox, box] = await page.look(`["screen", "box"].map((id) => { const b = document.getElementById(id).getBoundingClientRect();
                                                                          return [b.left, b.top, b.right, b.bottom]; })`);
    const whole = (b) => b[0] >= 0 && b[1] >= 0 && b[2] <= width && b[3] <= height;
    check(`${what}: the error box is whole on the screen`, true, whole(box));
    check(`${what}: the picture is whole on the screen`, true, whole(screenBox));
    const side = Math.min(width, height);
    check(`${what}: the picture fills the screen's ${width < height ? "width" : "height"} (to a device pixel)`, true,
          Math.abs(screenBox[2] - screenBox[0] - side) <= 1 / ratio + 1e-6);
    await page.close();
  }
}

// Installable; read once, the story plays again with the network gone; a new build replaces
// the copy kept.
async function offline() {
  const page = await openReal("sample", { query: "?autostart" });
  await until(() => page.look("!!TessaroPage.allLoadedAt"), 20000);
  const controlled = await until(() => page.look("navigator.serviceWorker.ready.then(() => !!navigator.serviceWorker.controller)"), 15000);
  check("the offline copy is kept (a service worker controls the page)", true, !!controlled);
  const { installabilityErrors } = await page.cdp.send("Page.getInstallabilityErrors");
  check("Chromium reports the page installable", [], installabilityErrors.map((e) => e.errorId));
  const manifest = await page.look(`fetch("app.webmanifest").then((r) => r.json())`);
  check("the app manifest: fullscreen, with icons", ["fullscreen", true], [manifest.display, manifest.icons.length >= 2]);
  await page.setOfflineMode(true);
  await page.reload();
  const again = await until(async () => /灯台の鍵/.test(await storyText(page)), 10000);
  check("offline, a reload plays the story", true, !!again);
  const before = await page.look("caches.keys()");
  await page.close();

  // A new build of the site (its worker's version and a story file changed): the next visit
  // installs it, the copy kept holds the new file, and the old copy is gone.
  const site = path.join(args.scratch, "sites", "sample");
  const worker = fs.readFileSync(path.join(site, "sw.js"), "utf8");
  fs.unlinkSync(path.join(site, "sw.js"));
  fs.writeFileSync(path.join(site, "sw.js"), worker.replace(/^const VERSION = .*$/m, 'const VERSION = "a-new-build";'));
  const data = path.join(site, "story/Data/Data00.Dat");
  fs.appendFileSync(data, "\r\n");
  execFileSync("python3", [path.join(ROOT, "scripts/lib/web-manifest.py"), site]);
  const next = await openReal("sample", { query: "?autostart" });
  const renewed = await until(async () => {
    const names = await next.look("caches.keys()");
    // Only this site's old copy goes: the other stories' sites on this server keep theirs.
    const oldCopies = before.filter((n) => n.includes("/sample/ "));
    return names.some((n) => n.endsWith(" a-new-build")) && oldCopies.length > 0 && !names.some((n) => oldCopies.includes(n));
  }, 20000);
  check("a new build replaces the copy kept", true, !!renewed);
  check("the copy kept holds the new build's files", fs.statSync(data).size,
        await next.look(`caches.keys().then((names) => caches.open(names.find((n) => n.endsWith(" a-new-build"))))
                         .then((cache) => cache.match("story/Data/Data00.Dat")).then((r) => r ? r.arrayBuffer() : new ArrayBuffer(0))
                         .then((b) => b.byteLength)`));
  await next.close();
}

// The sample story to each of its endings: Space all the way, or Down held at every question.
async function sampleEnding(holdDown) {
  const page = await open("sample");
  if (holdDown) await page.keyboard.down("ArrowDown");
  let sawBox = false, sawMusic = false;
  const end = Date.now() + 120000;
  while (Date.now() < end) {
    const s = await state(page);
    if (s.ended) break;
    if (s.box) { sawBox = true; await page.keyboard.press("Enter"); }
    if (await page.evaluate(() => TessaroPage.audioPeak() > 0.01)) sawMusic = true;
    await page.keyboard.press("Space");
    await sleep(250);
  }
  if (holdDown) await page.keyboard.up("ArrowDown");
  // A box a key already on its way closed before a look was shown all the same.
  if (await page.evaluate(() => TessaroPage.boxesShown > 0)) sawBox = true;
  const s = await state(page);
  check(`the sample story (${holdDown ? "second answers" : "first answers"}) plays to its end`, true, s.ended);
  check(`the sample story (${holdDown ? "second answers" : "first answers"}): music was heard`, true, sawMusic);
  await page.close();
  return sawBox;
}

(async () => {
  const sites = makeSites(args.site, args.stories, args.scratch);
  const server = await serve(sites);
  base = `http://127.0.0.1:${server.address().port}`;
  browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: path.join(args.scratch, "chromium-profile"),
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
           "--disable-component-update", "--disable-sync", "--autoplay-policy=no-user-gesture-required"],
  });
  realBrowser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: path.join(args.scratch, "chromium-real-profile"),
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
           "--disable-component-update", "--disable-sync"],
  });
  const only = process.env.WEB_TESTS ? process.env.WEB_TESTS.split(",") : null;
  const tests = {
    pixels: async () => { await pixelsLikeLinux("sample", 3); await pixelsLikeLinux("glyphs", 2); await pixelsLikeLinux("pictures", 12);
                          await pixelsLikeLinux("sample", 2, true); },
    start: startPrompt,
    silent: withoutSoundFont,
    typing: typingAndBlink,
    skipping,
    questions: async () => {
      await question("key Space", false);
      await question("key Down, Space", true);
      await question("wheel down, Space", true);
      await question("click", true);
      await question("tap, tap again", true);
    },
    music,
    gameover: gameOverBox,
    error: errorBox,
    scaling,
    focus,
    fullscreen,
    readers: readerKeys,
    place: readersPlace,
    gestures,
    touch,
    phone: phoneEndings,
    late: lateFiles,
    hidden: hiddenTab,
    access: accessibility,
    narrow: narrowScreens,
    offline,
    actions: readerActions,
    endings: async () => {
      const boxes = [await sampleEnding(false), await sampleEnding(true)];
      check("the game-over box came at one of the sample's endings", true, boxes.includes(true));
    },
  };
  for (const [name, run] of Object.entries(tests)) {
    if (only && !only.includes(name)) continue;
    try { await run(); } catch (error) { failures++; checks++; console.log(`FAILED: ${name}: ${error.stack}`); }
  }
  await browser.close();
  await realBrowser.close();
  server.close();
  console.log(`${checks - failures} passed, ${failures} failed`);
  process.exit(failures === 0 ? 0 : 1);
})();
