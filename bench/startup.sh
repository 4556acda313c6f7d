#!/usr/bin/env bash
# Start-up of the real program in a private X server (started with -noreset): the time from exec
# to the window on screen, and to the story's first character on screen, read from the program's
# timing trace (TESSARO_TRACE); and the resident memory 2 s into typing, at 1x and at --scale 4
# (the window 16 times the area). Medians of $RUNS runs (5).
# Usage: bench/startup.sh [path/to/tessaro]
XVFB_SCREEN=1920x1280x24  # room for the window at --scale 4
source "$(dirname "$0")/lib/bench.bash"
tracer="python3 $BENCH_REPO/bench/lib/trace.py"

start_x
story="$SCRATCH/story"
scenario "$story" 00 <<<"$(for _ in $(seq 12); do echo "長い文章が一文字ずつ流れていきます。"; done)"

windows=() firsts=() rss=() growth=()
for _ in $(seq "$RUNS"); do
  start_traced "$story"
  # Two steps traced: the first one's frame is in.
  for _ in $(seq 500); do
    steps=$(grep -c ' step$' "$SCRATCH/trace" 2>/dev/null || true)
    [ "${steps:-0}" -ge 2 ] && break
    sleep 0.02
  done
  read -r window first < <($tracer startup "$SCRATCH/trace" "$SCRATCH/exec") ||
    { echo "FAILED: no first character within 10 s; the program said:"; cat "$SCRATCH/err"; exit 1; }
  sleep 2
  small=$(rss_kb)
  stop_program
  start_traced --scale 4 "$story"
  wait_trace 10 step >/dev/null || exit 1
  sleep 2
  large=$(rss_kb)
  stop_program
  windows+=("$window") firsts+=("$first")
  rss+=("$(awk -v k="$small" 'BEGIN { printf "%.1f", k / 1024 }')")
  growth+=("$(awk -v a="$small" -v b="$large" 'BEGIN { printf "%.1f", (b - a) / 1024 }')")
done
figure "exec -> window on screen" "$(median "${windows[@]}")" ms 45 "${windows[@]}"
figure "exec -> first character on screen" "$(median "${firsts[@]}")" ms 45 "${firsts[@]}"
note "resident memory, typing" "$(median "${rss[@]}")" MB "${rss[@]}"
figure "resident memory at --scale 4, more than 1x" "$(median "${growth[@]}")" MB 10 "${growth[@]}"
bench_finish
