#!/usr/bin/env bash
# A long story on the real program in a private X server: $SECONDS_MEASURED seconds (60) of a
# story that shows a new picture ("L") every few characters and chains between two scenario files
# ("D") in a loop; its resident memory a few seconds in and at the end, and how much it grew.
# Medians of $RUNS runs (5).
# Usage: bench/long-story.sh [path/to/tessaro]
source "$(dirname "$0")/lib/bench.bash"
SECONDS_MEASURED=${SECONDS_MEASURED:-60}

start_x
story="$SCRATCH/story"
mkdir -p "$story/Picture"
cp "$BENCH_REPO"/story/Picture/Pic0[1-4].bmp "$story/Picture/"
scenario "$story" 00 <<<$'CL01一枚目の絵。\nL02二枚目の絵。D01'
scenario "$story" 01 <<<$'CL03三枚目の絵。\nL04四枚目の絵。D00'

starts=() ends=() growths=()
for _ in $(seq "$RUNS"); do
  start_traced "$story"  # the trace counts the steps
  wait_trace 10 step >/dev/null || exit 1
  sleep 3  # past start-up, a few loops in
  first=$(rss_kb)
  sleep "$SECONDS_MEASURED"
  kill -0 "$PROGRAM_PID" 2>/dev/null || { echo "FAILED: the program ended"; cat "$SCRATCH/err"; exit 1; }
  last=$(rss_kb)
  loops=$(grep -c ' step$' "$SCRATCH/trace")
  stop_program
  starts+=("$(awk -v k="$first" 'BEGIN { printf "%.2f", k / 1024 }')")
  ends+=("$(awk -v k="$last" 'BEGIN { printf "%.2f", k / 1024 }')")
  growths+=("$(awk -v a="$first" -v b="$last" 'BEGIN { printf "%.2f", (b - a) / 1024 }')")
done
note "resident memory at the start" "$(median "${starts[@]}")" MB "${starts[@]}"
note "resident memory after ${SECONDS_MEASURED} s (${loops} steps)" "$(median "${ends[@]}")" MB "${ends[@]}"
figure "growth over ${SECONDS_MEASURED} s of L and D" "$(median "${growths[@]}")" MB 1 "${growths[@]}"
bench_finish
