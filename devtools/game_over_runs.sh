#!/usr/bin/env bash
# The game-over ending, again and again, on a loaded machine: a question answered with Down and
# Space, the game-over box dismissed with Return, and the exit status counted. The program's
# wake-ups once raced the box's window here and ended it with status 1 about one run in twenty.
#   devtools/game_over_runs.sh path/to/tessaro [RUNS] [BUSY_LOOPS]
# Prints each run that did not end with status 0 (with what the program said), then the counts.
source "$(dirname "$0")/../tests/window/lib/xvfb.bash"
runs=${2:-500}
busy=${3:-3}
busy_pids=()
for _ in $(seq "$busy"); do
  bash -c 'while :; do :; done' &
  busy_pids+=($!)
done
trap 'kill "${busy_pids[@]}" 2>/dev/null; cleanup' EXIT
start_x

story="$SCRATCH/story"
question_story "$story"

bad=0
started=$(date +%s)
for run in $(seq "$runs"); do
  start_program "$story"
  window=$(wait_window) || { echo "run $run: no window"; bad=$((bad + 1)); kill "$PROGRAM_PID" 2>/dev/null; continue; }
  sleep 0.7  # the question comes up after half a second
  xdotool windowfocus --sync "$window" key Down space 2>/dev/null || true
  box=$(wait_message_box)
  [ -n "$box" ] && { sleep 0.1; xdotool windowfocus --sync "$box" key Return 2>/dev/null || true; }
  wait_exit 10
  if [ "$EXIT_STATUS" != 0 ] || [ -z "$box" ]; then
    bad=$((bad + 1))
    echo "run $run: box ${box:-none}, status $EXIT_STATUS; the program said:"
    sed 's/^/  /' "$SCRATCH/err"
    [ -n "$PROGRAM_PID" ] && { kill "$PROGRAM_PID" 2>/dev/null || true; PROGRAM_PID=""; }
  fi
  [ $((run % 50)) -eq 0 ] && echo "$run runs, $bad bad, $(($(date +%s) - started)) s, load $(cut -d' ' -f1 /proc/loadavg)"
done
echo "game-over runs: $runs, with $busy busy loops: $((runs - bad)) ended with status 0, $bad did not"
[ "$bad" -eq 0 ]
