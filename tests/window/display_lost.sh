#!/usr/bin/env bash
# The X server going away under the program ends it through our own error path, the message on
# standard error and status 1, not through Xlib's own words.
source "$(dirname "$0")/lib/xvfb.bash"
start_x
scenario "$SCRATCH/story" 00 <<<"待ちますP"
start_program "$SCRATCH/story"
wait_window >/dev/null || { echo "FAILED: no window"; exit 1; }
sleep 0.5
kill "$XVFB_PID"
XVFB_PID=""
wait_exit 10
check "exit status when the display is lost" 1 "$EXIT_STATUS"
check "our message" "tessaro: The connection to the display $DISPLAY was lost" "$(head -n1 "$SCRATCH/err")"
finish
