// The browser page's figures in headless Chromium on 127.0.0.1 (bench/web.sh prints them beside
// their targets): load to first character, renderer CPU at a page wait, the typing rhythm.
//   node web_bench.js --sample SITE --typing SITE --scratch DIR [--runs N]
// Prints one JSON object.
"use strict";
const fs = require("fs");
const path = require("path");
const puppeteer = require("puppeteer-core");
const { serve } = require("../scripts/lib/serve-web.js");

const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, "")] = process.argv[i + 1];
const runs = Number(args.runs || 5);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const median = (xs) => { const s = [...xs].sort((a, b) => a - b); const m = s.length >> 1; return s.length % 2 ? s[m] : (s[m - 1] + s[m]) / 2; };

// CPU time in seconds of a process, all its threads (user + system, from /proc).
function cpuSeconds(pid) {
  const fields = fs.readFileSync(`/proc/${pid}/stat`, "utf8").split(") ")[1].split(" ");
  return (Number(fields[11]) + Number(fields[12])) / 100;
}
// The renderer processes of the browser: children whose command line says so.
function renderers() {
  return fs.readdirSync("/proc").filter((p) => /^\d+$/.test(p)).filter((p) => {
    try { return fs.readFileSync(`/proc/${p}/cmdline`, "utf8").includes("--type=renderer"); } catch (e) { return false; }
  }).map(Number);
}

// CPU at a page wait over 10 s, after settling: the page's main thread (its tasks, from the
// browser's own count) and the busiest renderer process, all its threads (from /proc), in % of a core.
async function pageWaitCpu(page, settleMs) {
  await sleep(settleMs);
  const before = await page.metrics();
  const pids = renderers();
  const cpuBefore = pids.map(cpuSeconds);
  const started = Date.now();
  await sleep(10000);
  const seconds = (Date.now() - started) / 1000;
  const after = await page.metrics();
  const cpuAfter = pids.map((p) => { try { return cpuSeconds(p); } catch (e) { return 0; } });
  return [100 * (after.TaskDuration - before.TaskDuration) / seconds,
          100 * Math.max(...cpuAfter.map((c, i) => c - cpuBefore[i])) / seconds];
}

(async () => {
  const root = path.dirname(path.resolve(args.sample));
  const server = await serve(root);
  const base = `http://127.0.0.1:${server.address().port}`;
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium", headless: true,
    userDataDir: path.join(args.scratch, "bench-profile"),
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
           "--disable-component-update", "--disable-sync", "--autoplay-policy=no-user-gesture-required"],
  });
  const result = { loadToFirstCharacter: [], loadToReady: [], mainThreadCpu: [], rendererCpu: [], typingGap: [], musicCpu: [] };
  const sample = `${base}/${path.basename(args.sample)}/?autostart`;
  for (let run = 0; run < runs; run++) {
    // A fresh profile each run: nothing cached, no offline copy from the run before.
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport({ width: 800, height: 600 });
    await page.goto(sample);
    await page.waitForFunction(() => window.TessaroPage && TessaroPage.firstCharacterAt > 0, { timeout: 20000 });
    const t = await page.evaluate(() => [TessaroPage.firstCharacterAt, TessaroPage.loadedAt]);
    result.loadToFirstCharacter.push(t[0] / 1000);
    result.loadToReady.push(t[1] / 1000);
    if (run === 0) result.musicCpu = await pageWaitCpu(page, 2500);
    await context.close();
  }
  for (let run = 0; run < runs; run++) {
    // A fresh profile each run: nothing cached, no offline copy from the run before.
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.evaluateOnNewDocument(() => { window.addEventListener("DOMContentLoaded", () => { TessaroPage.frameTimes = []; }); });
    await page.goto(`${base}/${path.basename(args.typing)}/?autostart`);
    await page.waitForFunction(() => window.TessaroPage && TessaroPage.frameTimes && TessaroPage.frameTimes.length >= 250, { timeout: 30000 });
    const times = await page.evaluate(() => TessaroPage.frameTimes);
    const gaps = times.slice(5).map((t, i, all) => (i ? t - all[i - 1] : null)).filter((g) => g !== null);
    result.typingGap.push(median(gaps));
    // Its last page wait, without sound.
    if (run === 0) {
      const cpu = await pageWaitCpu(page, 1500);
      result.mainThreadCpu.push(cpu[0]);
      result.rendererCpu.push(cpu[1]);
    }
    await context.close();
  }
  await browser.close();
  server.close();
  const out = {};
  for (const [k, v] of Object.entries(result)) out[k] = v.length ? median(v) : null;
  [out.musicMainThreadCpu, out.musicRendererCpu] = result.musicCpu;
  out.runs = result;
  console.log(JSON.stringify(out));
})().catch((error) => { console.error(error); process.exit(1); });
