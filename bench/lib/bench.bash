# Shared by the benchmarks of the real program: the window tests' private X server and story
# helpers, a start that notes the moment of exec and asks the program for its timing trace, the
# figures of /proc, medians, and each figure printed beside its target. Source it with the
# program as $1; the benchmark exits with `bench_finish` (non-zero when a figure missed).
BENCH_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$BENCH_REPO/tests/window/lib/xvfb.bash" "$(realpath "${1:-$BENCH_REPO/build/tessaro}")"
RUNS=${RUNS:-5}
MISSED=0

# Starts the program on a story like start_program, with TESSARO_TRACE=$SCRATCH/trace, and writes
# the monotonic clock at the moment of exec (microseconds) to $SCRATCH/exec.
start_traced() {
  rm -f "$SCRATCH/trace" "$SCRATCH/exec"
  SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} TESSARO_TRACE="$SCRATCH/trace" python3 -c '
import os, sys, time
with open(sys.argv[1], "w") as stamp:
    stamp.write(str(time.monotonic_ns() // 1000))
os.execv(sys.argv[2], sys.argv[2:])' "$SCRATCH/exec" "$TESSARO" "$@" >"$SCRATCH/out" 2>"$SCRATCH/err" &
  PROGRAM_PID=$!
}

# Waits at most $1 seconds until the trace holds a line for event $2.
wait_trace() {
  for _ in $(seq $(($1 * 50))); do
    grep -q " $2\$" "$SCRATCH/trace" 2>/dev/null && return 0
    sleep 0.02
  done
  echo "FAILED: no '$2' in the trace within $1 s; the program said:" >&2
  cat "$SCRATCH/err" >&2
  return 1
}

# Waits at most 10 s for the program's window, found by its process (whatever the program file
# is called).
wait_shown() {
  for _ in $(seq 200); do
    timeout 2 xdotool search --pid "$PROGRAM_PID" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  echo "FAILED: no window within 10 s; the program said:" >&2
  cat "$SCRATCH/err" >&2
  return 1
}

stop_program() {
  [ -n "$PROGRAM_PID" ] || return 0
  kill "$PROGRAM_PID" 2>/dev/null || true
  wait "$PROGRAM_PID" 2>/dev/null || true
  PROGRAM_PID=""
}

# CPU time of all the program's threads in nanoseconds, and their wakeups (voluntary and
# involuntary context switches), summed over the threads alive now.
cpu_ns() { { cat /proc/"$PROGRAM_PID"/task/*/schedstat 2>/dev/null || true; } | awk '{ s += $1 } END { print s + 0 }'; }
switches() {
  { cat /proc/"$PROGRAM_PID"/task/*/status 2>/dev/null || true; } |
    awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ { s += $2 } END { print s + 0 }'
}
rss_kb() { awk '$1 == "VmRSS:" { print $2 }' "/proc/$PROGRAM_PID/status"; }
threads() { ls "/proc/$PROGRAM_PID/task" | wc -l; }

median() { python3 -c 'import statistics, sys; print(statistics.median(float(x) for x in sys.argv[1:]))' "$@"; }

# figure NAME VALUE UNIT TARGET [per-run values]: the median beside its target (at most); a miss
# makes the benchmark fail.
figure() {
  local verdict=ok
  awk -v v="$2" -v t="$4" 'BEGIN { exit !(v <= t) }' || { verdict=MISSED; MISSED=$((MISSED + 1)); }
  printf '%-44s %9.3f %-4s target <= %-7s %s   runs: %s\n' "$1" "$2" "$3" "$4" "$verdict" "${*:5}"
}

# note NAME VALUE UNIT [per-run values]: a figure shown for its own sake, without a target.
note() { printf '%-44s %9.3f %-4s %-25s   runs: %s\n' "$1" "$2" "$3" "(no target)" "${*:4}"; }

bench_finish() {
  [ "$MISSED" -eq 0 ] && echo "all figures on target" || echo "$MISSED figure(s) missed"
  [ "$MISSED" -eq 0 ]
}
