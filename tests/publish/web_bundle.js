// A published web zip, unzipped and served as a static site, played in headless Chromium on a
// phone-sized viewport to both endings of the sample story: the page loads (title, cut-down font,
// soundfont), the story draws, music is heard, the first answers end at the end mark and the
// second answers at the game-over box. web_bundle.sh serves the site and runs this:
//   node web_bundle.js URL TITLE
"use strict";
const puppeteer = require("puppeteer-core");

const [url, title] = process.argv.slice(2);
let checks = 0, failures = 0;
function check(what, expected, actual) {
  checks++;
  if (JSON.stringify(expected) === JSON.stringify(actual)) console.log(`ok: ${what}`);
  else { failures++; console.log(`FAILED: ${what}: expected ${JSON.stringify(expected)}, got ${JSON.stringify(actual)}`); }
}
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Plays to the end: Space at every step; with second, Down first, so each question takes its
// second answer; the game-over box is closed with Enter. Returns what was seen.
async function play(browser, second) {
  const page = await browser.newPage();
  await page.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: false });
  const problems = [];
  page.on("pageerror", (e) => problems.push(e.message));
  // A missing file shows as its response; the browser's own favicon request is not the site's.
  page.on("console", (m) => { if (m.type() === "error" && !m.text().startsWith("Failed to load resource")) problems.push(m.text()); });
  page.on("response", (r) => { if (r.status() >= 400 && !r.url().endsWith("/favicon.ico")) problems.push(`${r.status()} ${r.url()}`); });
  await page.goto(url + "?autostart");
  const seen = { title: await page.title(), started: false, drawn: false, loudest: 0, box: false, status: null };
  const end = Date.now() + 150000;
  while (Date.now() < end) {
    const state = await page.evaluate(async () => {
      const p = window.TessaroPage;
      if (!p) return null;
      const c = await p.readPixels();
      let lit = 0;
      for (let i = 0; i < c.length; i += 4) lit += c[i] + c[i + 1] + c[i + 2] > 60 ? 1 : 0;
      return { started: p.started, lit, peak: p.audioPeak(), box: p.boxOpen, boxesShown: p.boxesShown, status: p.endStatus === undefined ? null : p.endStatus,
               loading: document.getElementById("loading-text").textContent };
    });
    if (state && state.loading.includes("could not")) { problems.push(state.loading); break; }
    if (state && state.started) {
      seen.started = true;
      seen.drawn = seen.drawn || state.lit > 5000;
      seen.loudest = Math.max(seen.loudest, state.peak);
      // A box a key already on its way closed before this look was shown all the same.
      seen.box = seen.box || state.boxesShown > 0;
      if (state.status !== null) { seen.status = state.status; break; }
      if (state.box) { seen.box = true; await page.keyboard.press("Enter"); }
      else {
        if (second) await page.keyboard.press("ArrowDown");
        await page.keyboard.press("Space");
      }
    }
    await sleep(250);
  }
  seen.problems = problems;
  await page.close();
  return seen;
}

(async () => {
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium", headless: true,
    args: ["--no-sandbox", "--autoplay-policy=no-user-gesture-required", "--mute-audio"],
  });
  try {
    for (const second of [false, true]) {
      const how = second ? "second answers" : "first answers";
      const seen = await play(browser, second);
      check(`${how}: the page's title`, title, seen.title);
      check(`${how}: the story started`, true, seen.started);
      check(`${how}: pictures and text drawn`, true, seen.drawn);
      check(`${how}: music heard`, true, seen.loudest > 0.01);
      check(`${how}: the game-over box`, second, seen.box);
      check(`${how}: the story ended with status 0`, 0, seen.status);
      check(`${how}: no errors on the page`, [], seen.problems);
    }
  } finally {
    await browser.close();
  }
  console.log(`${checks - failures} passed, ${failures} failed`);
  process.exit(failures ? 1 : 0);
})().catch((e) => { console.log("FAILED:", e); process.exit(1); });
