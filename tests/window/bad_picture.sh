#!/usr/bin/env bash
# A story whose second picture is missing: the first one shows, then the error box (a second
# window, captioned "Tessaro") appears; its text, also written to standard error, names the
# missing file. Dismissed with Return, the program ends with status 1.
source "$(dirname "$0")/lib/xvfb.bash"
start_x

story="$SCRATCH/story"
scenario "$story" 00 <<'TEXT'
L01一枚目の絵です。T300
L02二枚目の絵はありません。
TEXT
mkdir -p "$story/Picture"
cp "$(dirname "$0")/../../story/Picture/Pic01.bmp" "$story/Picture/Pic01.bmp"
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }

box=$(wait_message_box)
check "the error box" yes "$([ -n "$box" ] && echo yes || echo no)"
# The first picture stays behind the box: the story failed at the second "L", not before.
# (A pixel of the first picture that tells it from the others, client = picture area + 2; the
# box, centred over the window, is moved off it first and the window repaints.)
[ -n "$box" ] && { xdotool windowmove --sync "$box" 0 0; sleep 0.3; }
read -r _ x y r g b < <(grep '^Pic01 ' "$(dirname "$0")/../../story/expected-pixels.txt" | head -n1)
check "the first picture behind the box" "$r,$g,$b" "$(pixel "$window" $((x + 2)) $((y + 2)))"
sleep 0.5
check "the program waits while the box is open" yes \
  "$(kill -0 "$PROGRAM_PID" 2>/dev/null && echo yes || echo no)"
check "the error names the missing file" yes \
  "$(grep -qF "File not found: $story/Picture/Pic02.bmp" "$SCRATCH/err" && echo yes || echo no)"

[ -n "$box" ] && xdotool windowfocus --sync "$box" key Return
wait_exit 5
check "exit status after the error" 1 "$EXIT_STATUS"
finish
