#!/usr/bin/env bash
# The cost of one typing step, twice:
# - from outside, as `top` would see it: the CPU time of the whole program (all its threads, from
#   /proc) while it types a long text in a private X server, divided by the steps it took;
# - inside: build/bench/tessaro_bench (or $1), the main thread's drawing of one step and of one
#   page-wait pass, with the frame put on a real window at 1x and at --scale 4.
# Usage: bench/step.sh [path/to/tessaro_bench] [benchmark options]; TESSARO_PROGRAM names the
# program measured from outside (build/tessaro).
here=$(cd "$(dirname "$0")/.." && pwd)
bench=$(realpath "${1:-$here/build/bench/tessaro_bench}")
options=("${@:2}")
XVFB_SCREEN=1920x1280x24  # room for the window at --scale 4
set -- "${TESSARO_PROGRAM:-$here/build/tessaro}"
source "$here/bench/lib/bench.bash"
start_x

# Twelve rows of twenty characters, each new to the screen.
story="$SCRATCH/story"
scenario "$story" 00 <<<"$(python3 -c '
text = "夜海に灯台光が静か揺れていた。波の音風月"
print("\n".join(text[i:] + text[:i] for i in range(12)))')P"
steps_traced() { grep -c ' step$' "$SCRATCH/trace" 2>/dev/null || true; }
# Waits until the trace holds at least $1 steps (at most 10 s); prints the steps and the CPU time.
sample_at() {
  local steps
  for _ in $(seq 200); do
    steps=$(steps_traced)
    [ "${steps:-0}" -ge "$1" ] && { echo "$steps $(cpu_ns)"; return 0; }
    sleep 0.02
  done
  echo "FAILED: only ${steps:-0} steps within 10 s" >&2
  return 1
}
costs=()
for _ in $(seq "$RUNS"); do
  start_traced "$story"
  read -r steps0 cpu0 < <(sample_at 20) || exit 1
  read -r steps1 cpu1 < <(sample_at 220) || exit 1
  stop_program
  costs+=("$(awk -v c=$((cpu1 - cpu0)) -v s=$((steps1 - steps0)) 'BEGIN { printf "%.1f", c / s / 1000 }')")
done
figure "typing step, whole program (outside)" "$(median "${costs[@]}")" us 300 "${costs[@]}"

echo "inside, the main thread's drawing (tessaro_bench):"
"$bench" --benchmark_color=false "${options[@]}"
bench_finish
