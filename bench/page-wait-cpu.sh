#!/usr/bin/env bash
# How much of one core the program uses while it waits for a key: at a page wait with the
# blinking cursor (at 1x and at --scale 3; target under 1 %), and at a question. Runs build/tessaro (or $1) in a private X server and reads
# its user and system time from /proc over SECONDS seconds (10 by default).
# Usage: bench/page-wait-cpu.sh [path/to/tessaro]
here=$(cd "$(dirname "$0")" && pwd)
XVFB_SCREEN=1920x1280x24
source "$here/../tests/window/lib/xvfb.bash" "${1:-$here/../build/tessaro}"
SECONDS_MEASURED=${SECONDS_MEASURED:-10}
TICKS=$(getconf CLK_TCK)

cpu_ticks() {  # utime + stime of a process, in clock ticks
  # The fields after the command name's closing parenthesis: utime and stime are the 12th and 13th.
  sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

measure() {  # measure NAME SCENARIO-TEXT [OPTION...]
  local story="$SCRATCH/story"
  scenario "$story" 00 <<<"$2"
  start_program "${@:3}" "$story"
  wait_window >/dev/null || { echo "$1: no window"; exit 1; }
  sleep 2  # past the text and the question's half-second pause
  local t0 c0 t1 c1
  t0=$(date +%s.%N); c0=$(cpu_ticks "$PROGRAM_PID")
  sleep "$SECONDS_MEASURED"
  t1=$(date +%s.%N); c1=$(cpu_ticks "$PROGRAM_PID")
  awk -v n="$1" -v c=$((c1 - c0)) -v hz="$TICKS" -v t0="$t0" -v t1="$t1" \
    'BEGIN { printf "%-28s %5.2f%% of one core (%d ticks of 1/%d s in %.1f s)\n", n, 100 * c / hz / (t1 - t0), c, hz, t1 - t0 }'
  kill "$PROGRAM_PID"
  wait "$PROGRAM_PID" 2>/dev/null || true
  PROGRAM_PID=""
}

start_x
measure "page wait, cursor blinking" "ページの終わりで待ちますP"
measure "page wait at --scale 3" "ページの終わりで待ちますP" --scale 3
measure "question" $'どちらにしますかQ進む？\nはい\nいいえ'
