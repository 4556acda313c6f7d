#!/usr/bin/env bash
# One typing step's drawing and putting on screen, in a real window of a private X server, at 1x
# and 4x (target: under 1 ms at 4x), and the whole 4x image each step for comparison.
# Usage: bench/step-on-screen.sh [path/to/tessaro_bench]
here=$(cd "$(dirname "$0")" && pwd)
XVFB_SCREEN=1920x1280x24
source "$here/../tests/window/lib/xvfb.bash" "${1:-$here/../build/bench/tessaro_bench}"
start_x
SDL_AUDIODRIVER=dummy timeout 120 "$TESSARO" --benchmark_filter=StepOnScreen
