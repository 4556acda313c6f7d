#!/usr/bin/env bash
# The sample story's web zip as a player gets it: published with the given web runtime, unzipped,
# served by `python3 -m http.server` on 127.0.0.1, and played in headless Chromium to both
# endings (web_bundle.js). Needs node with puppeteer-core (NODE_PATH) and chromium.
#   web_bundle.sh path/to/tessaro WEB-RUNTIME     WEB-RUNTIME: scripts/build-web's folder
set -uo pipefail
tessaro=$(realpath "$1") web=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
SCRATCH=$(mktemp -d)
server=""
trap '[ -n "$server" ] && kill "$server"; rm -rf "$SCRATCH"' EXIT
mkdir -p "$SCRATCH/runtime"
cp -r "$(dirname "$tessaro")/runtime/notices" "$SCRATCH/runtime/"
cp -r "$web" "$SCRATCH/runtime/web"
cp -r "$here/../../story" "$SCRATCH/灯台の鍵"
title="灯台の鍵"
TESSARO_RUNTIME=$SCRATCH/runtime "$tessaro" publish --web --out "$SCRATCH" --title "$title" "$SCRATCH/灯台の鍵" ||
  { echo "FAILED: publish"; exit 1; }
echo "web zip: $(stat -c %s "$SCRATCH/灯台の鍵-web.zip") bytes"
mkdir "$SCRATCH/site" && unzip -q "$SCRATCH/灯台の鍵-web.zip" -d "$SCRATCH/site"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$SCRATCH/site" "$port" >"$SCRATCH/server.log" 2>&1 &
server=$!
for _ in $(seq 50); do python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/')" 2>/dev/null && break; sleep 0.1; done
timeout 400 node "$here/web_bundle.js" "http://127.0.0.1:$port/" "$title"
