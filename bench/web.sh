#!/usr/bin/env bash
# The browser page's figures, in headless Chromium on 127.0.0.1 (bench/web_bench.js), beside the
# Linux build's where they are compared: page load to the sample story's first character, the
# renderer's CPU at a page wait (the title's, with its music), characters per second while typing
# against the Linux build's (the same story as bench/typing.sh, both measured here), and the
# runtime's size (.js, .wasm, the synthesizer and its worklet, the page's script) compressed.
# Usage: bench/web.sh [path/to/tessaro] [path/to/build-web]
source "$(dirname "$0")/lib/bench.bash"
SITE=$(realpath "${2:-$BENCH_REPO/build-web}")
[ -f "$SITE/tessaro.wasm" ] || { echo "FAILED: no page in $SITE (scripts/build-web makes it)"; exit 1; }
tracer="python3 $BENCH_REPO/bench/lib/trace.py"
start_x

# The same story for both machines: twenty characters a line, as bench/typing.sh types.
story="$SCRATCH/typing"
scenario "$story" 00 <<<"$(for _ in $(seq 12); do echo "夜の海に灯台の光が静かに揺れていた。波の"; done)P"

linux_gaps=()
for _ in $(seq "$RUNS"); do
  start_traced "$story"
  for _ in $(seq 500); do
    steps=$(grep -c ' step$' "$SCRATCH/trace" 2>/dev/null || true)
    [ "${steps:-0}" -ge 252 ] && break
    sleep 0.05
  done
  stop_program
  read -r median _ _ count < <($tracer gaps "$SCRATCH/trace")
  [ "$count" -ge 200 ] || { echo "FAILED: only $count gaps traced"; cat "$SCRATCH/err"; exit 1; }
  linux_gaps+=("$median")
done

# Two sites beside each other: the built page with the sample story, and with the typing story.
sites="$SCRATCH/sites"
for name in sample typing; do
  mkdir -p "$sites/$name"
  for f in "$SITE"/*; do
    case "$(basename "$f")" in story|manifest.json) ;; *) ln -s "$f" "$sites/$name/" ;; esac
  done
done
cp -r "$SITE/story" "$sites/sample/story"
cp -r "$story" "$sites/typing/story"
python3 "$BENCH_REPO/scripts/lib/web-manifest.py" "$sites/sample"
python3 "$BENCH_REPO/scripts/lib/web-manifest.py" "$sites/typing"

node "$BENCH_REPO/bench/web_bench.js" --sample "$sites/sample" --typing "$sites/typing" \
  --scratch "$SCRATCH" --runs "$RUNS" >"$SCRATCH/web.json"
get() { python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])' "$SCRATCH/web.json" "$1"; }

# The sample story's first line pauses 0.8 s (T800) before its text, and types eight blanks first:
# that is the story's own time, counted apart.
raw=$(get loadToFirstCharacter)
figure "web: page load to first character, less the story's own 0.93 s" "$(awk -v r="$raw" 'BEGIN { print r - 0.8 - 8 * 0.016 }')" s 1.0
note "web: page load to first character, as it is" "$raw" s
note "web: page load to files in, program ready" "$(get loadToReady)" s
figure "web: renderer main thread CPU at a page wait" "$(get mainThreadCpu)" % 1
note "web: renderer process CPU (all threads), same" "$(get rendererCpu)" %
note "web: main thread CPU, page wait with music" "$(get musicMainThreadCpu)" %
note "web: renderer process CPU, page wait with music" "$(get musicRendererCpu)" %
linux=$(median "${linux_gaps[@]}")
web=$(get typingGap)
note "Linux: typing gap, median" "$linux" ms "${linux_gaps[@]}"
note "web: typing gap, median" "$web" ms
figure "web: chars/s off the Linux build's" \
  "$(awk -v l="$linux" -v w="$web" 'BEGIN { d = (1000 / w - 1000 / l) / (1000 / l) * 100; print d < 0 ? -d : d }')" % 5
size=0
for f in tessaro.js tessaro.wasm js-synthesizer.min.js js-synthesizer.worklet.min.js libfluidsynth.js tessaro-page.js; do
  size=$((size + $(gzip -9c "$SITE/$f" | wc -c)))
done
figure "web: runtime, gzip -9" "$(awk -v s="$size" 'BEGIN { print s / 1048576 }')" MB 1.5
bench_finish
