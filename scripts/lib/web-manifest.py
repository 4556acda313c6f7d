"""Writes OUT/manifest.json, the list of files the browser page fetches before the story starts:
every file under OUT/story with its size, and the font and soundfont beside the page (the
soundfont only when it is there: a story without music needs none).

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


manifest = {"files": sorted(files, key=lambda f: f["path"]), "font": entry("ipag.ttf")}
# A page for a story without music may come without the soundfont.
if os.path.exists(os.path.join(out, "TimGM6mb.sf2")):
    manifest["soundFont"] = entry("TimGM6mb.sf2")
with open(os.path.join(out, "manifest.json"), "w", encoding="utf-8") as f:
    json.dump(manifest, f, indent=1, ensure_ascii=False)
