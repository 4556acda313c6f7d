#!/usr/bin/env bash
# tessaro.exe under Wine: the window (client size, caption, place), the picture area's border and
# the message box's colours, text typed into the box, a page wait ended with Space, the end mark's
# exit status, and closing the window during a wait.
source "$(dirname "$0")/lib/wine.bash"
start_x

story="$SCRATCH/story"
scenario "$story" 00 <<'TEXT'
あいうえおP
かきくけこ
TEXT
started=$(date +%s%N)
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
echo "window after $(( ($(date +%s%N) - started) / 1000000 )) ms"
check "client size" 304x304 "$(window_size "$window")"
check "caption" Velmarin "$(timeout 2 xdotool getwindowname "$window")"
read -r left top < <(timeout 2 xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 } END { print x, y }')
check "centred on the 800 x 600 screen" yes "$([ $((left + 152)) -ge 390 ] && [ $((left + 152)) -le 410 ] && [ $((top + 152)) -ge 280 ] && [ $((top + 152)) -le 320 ] && echo yes || echo "$left,$top")"
sleep 0.5
# Picture area coordinates + 2 for the border.
check "border, outside top-left" 128,128,128 "$(pixel "$window" 0 0)"
check "border, outside bottom-right" 255,255,255 "$(pixel "$window" 303 303)"
check "black picture area" 0,0,0 "$(pixel "$window" 150 100)"
check "box outline light grey" 192,192,192 "$(pixel "$window" 7 202)"
check "box filled dark blue" 0,0,128 "$(pixel "$window" 150 262)"
# Five full-width characters, 12 pixels each, from x = 15 on row 0 (y = 210).
ink=$(count_colour "$window" 17 212 60 14 255,255,255)
check "the first row typed in white" yes "$([ "$ink" -ge 60 ] && echo yes || echo "$ink")"
ink=$(count_colour "$window" 17 227 60 14 255,255,255)
check "the page wait holds the second row back" 0 "$ink"
ink=$(count_colour "$window" 77 212 40 14 255,255,255)
check "the blinking mark after the text, or nothing beyond it" yes "$([ "$ink" -le 60 ] && echo yes || echo "$ink")"
type_into "$window" space
sleep 1
ink=$(count_colour "$window" 17 227 60 14 255,255,255)
check "Space ends the page wait" yes "$([ "$ink" -ge 60 ] && echo yes || echo "$ink")"
wait_exit 10
check "exit status at the end mark" 0 "$EXIT_STATUS"

# Closing the window during a page wait ends the program at once, with status 0.
scenario "$story" 00 <<'TEXT'
待ちますP
TEXT
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 0.5
timeout 5 python3 "$(dirname "$0")/../window/lib/close_window.py" "$window"
wait_exit 5
check "exit status after closing the window" 0 "$EXIT_STATUS"
check "nothing on standard error" "" "$(program_errors)"
finish
