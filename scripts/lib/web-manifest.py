"""Writes OUT/manifest.json, the list of files the browser page fetches before the story starts:
every file under OUT/story with its size, and the font and soundfont beside the page.

  web-manifest.py OUT
"""
import json
import os
import sys

out = sys.argv[1]
story = os.path.join(out, "story")
files = []
for root, _, names in os.walk(story):
    for name in names:
        full = os.path.join(root, name)
        files.append({"path": os.path.relpath(full, story).replace(os.sep, "/"), "size": os.path.getsize(full)})


def entry(name):
    return {"path": name, "size": os.path.getsize(os.path.join(out, name))}


with open(os.path.join(out, "manifest.json"), "w", encoding="utf-8") as f:
    json.dump({"files": sorted(files, key=lambda f: f["path"]), "font": entry("ipag.ttf"),
               "soundFont": entry("TimGM6mb.sf2")}, f, indent=1, ensure_ascii=False)
