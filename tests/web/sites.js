// One site per story for the browser tests: the built page (its files linked, not copied) with
// the story and its manifest, as a published zip holds them.
"use strict";
const fs = require("fs");
const path = require("path");
const { execFileSync } = require("child_process");

const ROOT = path.resolve(__dirname, "../..");

// site: scripts/build-web's folder; stories: a folder of story folders; returns the folder of
// sites, one named as each story.
function makeSites(site, stories, scratch) {
  const sites = path.join(scratch, "sites");
  for (const story of fs.readdirSync(stories)) {
    const folder = path.join(sites, story);
    fs.mkdirSync(folder, { recursive: true });
    for (const name of fs.readdirSync(site)) {
      if (name === "story" || name === "manifest.json") continue;
      if (story === "silent" && name.endsWith(".sf2")) continue;  // a story without music, as published
      fs.symlinkSync(path.join(site, name), path.join(folder, name));
    }
    fs.cpSync(path.join(stories, story), path.join(folder, "story"), { recursive: true });
    execFileSync("python3", [path.join(ROOT, "scripts/lib/web-manifest.py"), folder]);
    if (story === "late") fs.rmSync(path.join(folder, "story/Picture/Pic02.bmp"));  // listed, never served
  }
  return sites;
}
module.exports = { makeSites };
