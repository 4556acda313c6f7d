#!/usr/bin/env bash
# The published sample story on a phone's network (bench/web_network.js, Chromium's throttling):
# its web zip's size, page open to the first text at 5 Mbit/s with 100 ms round trips and at
# 10 Mbit/s (no latency added), and to the first music heard at 10 Mbit/s; served gzipped, as
# static hosts serve. The sample's first line pauses 0.8 s and types eight blanks before its first
# character: that is the story's own time, taken off the first-text figures as bench/web.sh does.
# Usage: bench/web-network.sh [path/to/tessaro] [path/to/build-web]
source "$(dirname "$0")/lib/bench.bash"
SITE=$(realpath "${2:-$BENCH_REPO/build-web}")
[ -f "$SITE/tessaro.wasm" ] || { echo "FAILED: no page in $SITE (scripts/build-web makes it)"; exit 1; }
RUNS=${RUNS:-3}
mkdir -p "$SCRATCH/runtime" "$SCRATCH/out"
cp -r "$(dirname "$TESSARO")/runtime/notices" "$SCRATCH/runtime/"
cp -r "$SITE" "$SCRATCH/runtime/web"
TESSARO_RUNTIME=$SCRATCH/runtime "$TESSARO" publish --web --out "$SCRATCH/out" --title "灯台の鍵" "$BENCH_REPO/story" \
  >/dev/null || { echo "FAILED: publish"; exit 1; }
zip=$SCRATCH/out/story-web.zip
mkdir "$SCRATCH/site" && unzip -q "$zip" -d "$SCRATCH/site"
figure "web zip of the sample story" "$(awk -v s="$(stat -c %s "$zip")" 'BEGIN { print s / 1e6 }')" MB 2
note "  its soundfont, cut down" "$(awk -v s="$(stat -c %s "$SCRATCH/site/TimGM6mb.sf2")" 'BEGIN { print s / 1e6 }')" MB

# As bench/web.sh does, the first-text figures are the page's own time: less the story's opening.
own=0.928  # T800 and eight characters of 16 ms
for net in "5000 100 2.5" "10000 0 1.5"; do
  read -r kbits rtt target <<<"$net"
  node "$BENCH_REPO/bench/web_network.js" --site "$SCRATCH/site" --runs "$RUNS" --kbits "$kbits" --rtt "$rtt" \
    >"$SCRATCH/net.json" || { echo "FAILED: $kbits kbit/s"; exit 1; }
  get() { python3 -c 'import json, sys; v = json.load(open(sys.argv[1])); print(v[sys.argv[2]])' "$SCRATCH/net.json" "$1"; }
  runs() { python3 -c 'import json, sys; print(*(round(x, 3) for x in json.load(open(sys.argv[1]))["runs"][sys.argv[2]]))' "$SCRATCH/net.json" "$1"; }
  mbit=$((kbits / 1000))
  figure "first text at $mbit Mbit/s, +${rtt} ms RTT, less ${own} s" \
    "$(awk -v v="$(get firstText)" -v o="$own" 'BEGIN { print v - o }')" s "$target"
  note "  first text as it is" "$(get firstText)" s $(runs firstText)
  note "  the page ready to start (first files in)" "$(get ready)" s $(runs ready)
  if [ "$kbits" == 10000 ]; then
    figure "first music heard at $mbit Mbit/s" "$(get firstMusic)" s 3 $(runs firstMusic)
  fi
  note "  every file in at $mbit Mbit/s" "$(get loaded)" s $(runs loaded)
done
bench_finish
