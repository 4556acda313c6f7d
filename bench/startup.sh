#!/usr/bin/env bash
# Start-up of the real program in a private X server (started with -noreset): the time from exec
# to the window on screen, and to the story's first character on screen, read from the program's
# timing trace (TESSARO_TRACE). Medians of $RUNS runs (5).
# Usage: bench/startup.sh [path/to/tessaro]
source "$(dirname "$0")/lib/bench.bash"
tracer="python3 $BENCH_REPO/bench/lib/trace.py"

start_x
story="$SCRATCH/story"
scenario "$story" 00 <<<"$(for _ in $(seq 12); do echo "長い文章が一文字ずつ流れていきます。"; done)"

windows=() firsts=()
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
  stop_program
  windows+=("$window") firsts+=("$first")
  sleep 0.5
done
figure "exec -> window on screen" "$(median "${windows[@]}")" ms 45 "${windows[@]}"
figure "exec -> first character on screen" "$(median "${firsts[@]}")" ms 45 "${firsts[@]}"
bench_finish
