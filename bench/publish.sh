#!/usr/bin/env bash
# Memory of "tessaro publish" (maximum resident set, from /usr/bin/time -v): the sample story,
# and the sample story with five sparse 60 MiB pictures more (300 MiB, 300 kB on disk) that the zips must take
# whole. Both zips each time, with stand-in runtimes (the story's files are what is measured).
# Prints each figure beside its target and exits 1 when one is missed.
# Usage: bench/publish.sh [path/to/tessaro]   (targets: 40 MB, 40 MB)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$here/build/tessaro}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

runtime=$scratch/runtime
mkdir -p "$runtime/web/licenses" "$runtime/windows/licenses"
cp -r "$(dirname "$program")/runtime/notices" "$runtime/"
for f in tessaro-page.js tessaro.js tessaro.wasm js-synthesizer.min.js js-synthesizer.worklet.min.js libfluidsynth.js \
         licenses/fluidsynth.txt licenses/js-synthesizer.txt; do echo "stand-in" >"$runtime/web/$f"; done
printf '<html><head><title>T</title></head><body><div id="prompt" hidden>Start</div></body></html>\n' >"$runtime/web/index.html"
for f in tessaro.exe licenses/MinGW-w64.txt licenses/GCC-runtime.txt; do echo "stand-in" >"$runtime/windows/$f"; done
export TESSARO_RUNTIME=$runtime

cp -r "$here/story" "$scratch/large"
python3 - "$scratch/large/Picture" <<'PY'
import os, struct, sys
w, h = 5120, 4096
size = w * 3 * h
for i in range(10, 15):
    with open(os.path.join(sys.argv[1], f"Pic{i}.bmp"), "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 54 + size, 0, 0, 54) + struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, size, 2835, 2835, 0, 0))
        f.truncate(54 + size)
PY

# The largest of three runs' maximum resident set, in MB.
peak() {
  local most=0 kb
  for _ in 1 2 3; do
    rm -rf "$scratch/out"
    /usr/bin/time -v "$program" publish --out "$scratch/out" "$1" >/dev/null 2>"$scratch/said" ||
      { cat "$scratch/said" >&2; echo "FAILED: publish $1" >&2; exit 1; }
    kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$scratch/said")
    [ "$kb" -gt "$most" ] && most=$kb
  done
  awk -v kb="$most" 'BEGIN { printf "%.1f", kb / 1000 }'
}

missed=0
report() {  # report WHAT MB TARGET
  local verdict=ok
  awk -v a="$2" -v b="$3" 'BEGIN { exit !(a < b) }' || { verdict=MISSED; missed=1; }
  printf '%-58s %6.1f MB   target under %s MB   %s\n' "$1" "$2" "$3" "$verdict"
}
report "tessaro publish, the sample story (both zips)" "$(peak "$here/story")" 40
report "tessaro publish, five sparse 60 MiB pictures more" "$(peak "$scratch/large")" 40
exit "$missed"
