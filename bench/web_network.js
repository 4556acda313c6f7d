// The published sample story's page on a phone's network, in headless Chromium with the DevTools
// protocol's network throttling, each run in a fresh profile (nothing cached, no offline copy):
// page open to the first character of the story's text, and to the first music heard.
//   node web_network.js --site DIR --runs N --kbits K --rtt MS
// Prints one JSON object (seconds).
"use strict";
const puppeteer = require("puppeteer-core");
const { serve } = require("../scripts/lib/serve-web.js");

const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, "")] = process.argv[i + 1];
const median = (xs) => { const s = [...xs].sort((a, b) => a - b); const m = s.length >> 1; return s.length % 2 ? s[m] : (s[m - 1] + s[m]) / 2; };

(async () => {
  const server = await serve(args.site);
  const url = `http://127.0.0.1:${server.address().port}/?autostart`;
  // Music without a gesture: a figure of loading, not of the browser's gesture rule.
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium", headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
           "--disable-component-update", "--disable-sync", "--autoplay-policy=no-user-gesture-required"],
  });
  const bytesPerSecond = Number(args.kbits) * 1000 / 8;
  const out = { firstText: [], firstMusic: [], loaded: [], ready: [] };
  for (let run = 0; run < Number(args.runs || 3); run++) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport({ width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
    const cdp = await page.createCDPSession();
    await cdp.send("Network.enable");
    await cdp.send("Network.setCacheDisabled", { cacheDisabled: true });
    await cdp.send("Network.emulateNetworkConditions", { offline: false, latency: Number(args.rtt),
                                                         downloadThroughput: bytesPerSecond, uploadThroughput: bytesPerSecond });
    await page.goto(url, { waitUntil: "domcontentloaded" });
    // Looked at every 20 ms from here, in the page's own clock (from the navigation's start).
    await page.evaluate(() => new Promise((done) => {
      const poll = setInterval(() => {
        const p = window.TessaroPage;
        if (!p) return;
        if (!p.firstMusicAt && p.audio && p.audioPeak() > 0.01) p.firstMusicAt = performance.now();
        if (p.firstCharacterAt && p.firstMusicAt && p.allLoadedAt) { clearInterval(poll); done(); }
      }, 20);
      setTimeout(() => { clearInterval(poll); done(); }, 60000);
    }));
    const [text, music, loaded, ready] = await page.evaluate(() => [TessaroPage.firstCharacterAt, TessaroPage.firstMusicAt || NaN,
                                                                    TessaroPage.allLoadedAt || NaN, TessaroPage.loadedAt]);
    out.ready.push(ready / 1000);
    out.firstText.push(text / 1000);
    out.firstMusic.push(music / 1000);
    out.loaded.push(loaded / 1000);
    await context.close();
  }
  await browser.close();
  server.close();
  console.log(JSON.stringify({ firstText: median(out.firstText), firstMusic: median(out.firstMusic), loaded: median(out.loaded),
                              ready: median(out.ready), runs: out }));
})().catch((error) => { console.error(error); process.exit(1); });
