#!/usr/bin/env bash
# Start-up and footprint of the real program in a virtual X server: the time from launch until
# the window is on screen, and the resident memory while a long line of text types; at 1x and at
# --scale 4 (the window 16 times the area: target within 10 MB of 1x).
# Usage: bench/startup.sh [path/to/tessaro]   (targets: under 100 ms, under 25 MB)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$here/build/tessaro}
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$scratch"' EXIT

exec 3>"$scratch/display"
Xvfb -displayfd 3 -screen 0 1920x1280x24 -nolisten tcp >/dev/null 2>&1 &
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$scratch/display")"

mkdir -p "$scratch/story/Data"
python3 - "$scratch/story/Data/Data00.Dat" <<'PY'
import sys
text = "長い文章が一文字ずつ流れていきます。" * 3
open(sys.argv[1], "wb").write(("\r\n".join([text] * 12) + "\r\n").encode("cp932"))
PY

for options in "" "--scale 4"; do
for run in 1 2 3; do
  start=$(date +%s%N)
  # shellcheck disable=SC2086  # the options are words
  SDL_AUDIODRIVER=dummy "$program" $options "$scratch/story" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 2500); do
    timeout 1 xdotool search --onlyvisible --class '^tessaro$' >/dev/null 2>&1 && break
    sleep 0.002
  done
  shown=$(date +%s%N)
  sleep 2
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
  kill "$pid"; wait "$pid" 2>/dev/null || true
  printf 'run %d%s: window on screen after %d ms; resident %.1f MB (peak %.1f MB)\n' \
    "$run" "${options:+ ($options)}" $(( (shown - start) / 1000000 )) "$(echo "$rss / 1024" | bc -l)" \
    "$(echo "$hwm / 1024" | bc -l)"
done
done
