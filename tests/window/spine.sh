#!/usr/bin/env bash
# The real program in a real X server: the window's size, caption and place, the message box's
# pixels, and a clean exit at the end mark.
source "$(dirname "$0")/lib/xvfb.bash"
start_x

story="$SCRATCH/story"
scenario "$story" 00 <<'TEXT'
一行目の文章です。ゆっくりと流れます。
二行目の文章です。ゆっくりと流れます。
三行目の文章です。ゆっくりと流れます。
TEXT
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 0.3

geometry=$(xwininfo -id "$window")
check "client width" 304 "$(sed -n 's/ *Width: //p' <<<"$geometry")"
check "client height" 304 "$(sed -n 's/ *Height: //p' <<<"$geometry")"
check "centred left" 248 "$(sed -n 's/ *Absolute upper-left X: *//p' <<<"$geometry")"
check "centred top" 148 "$(sed -n 's/ *Absolute upper-left Y: *//p' <<<"$geometry")"
check "caption" Velmarin "$(caption "$window")"

# Client pixels: the 2-pixel border, then the area whose (x, y) is at (x + 2, y + 2).
check "outer border" "128,128,128" "$(pixel "$window" 0 0)"
check "picture area" "0,0,0" "$(pixel "$window" 152 52)"
check "box outline" "192,192,192" "$(pixel "$window" 7 202)"
check "box inside" "0,0,128" "$(pixel "$window" 290 260)"

wait_exit 15
check "exit status at the end mark" 0 "$EXIT_STATUS"

# Without a display there is nothing to play on: a message, not an unseen story.
set +e
message=$(env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy timeout 10 "$TESSARO" "$story" 2>&1 >/dev/null)
status=$?
set -e
check "exit status without a display" 1 "$status"
check "message without a display" yes "$(grep -q 'Cannot open the display' <<<"$message" && echo yes || echo no)"
finish
