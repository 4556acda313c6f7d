#!/usr/bin/env bash
# Runs build/bench/tessaro_bench (or $1) in a private X server: the cost of one typing step and
# of one page-wait pass, with the frame put on a real window at 1x and at --scale 4.
# Usage: bench/step.sh [path/to/tessaro_bench] [benchmark options]
here=$(cd "$(dirname "$0")/.." && pwd)
bench=$(realpath "${1:-$here/build/bench/tessaro_bench}")
XVFB_SCREEN=1920x1280x24  # room for the window at --scale 4
source "$here/tests/window/lib/xvfb.bash" "$bench"
start_x
"$bench" --benchmark_color=false "${@:2}"
