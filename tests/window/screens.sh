#!/usr/bin/env bash
# The window made larger, fullscreen, Enter and the mouse, and Ctrl to skip, in the real program
# with real keys and pixels. At --scale 2 every pixel of the 1x image is a 2 x 2 block; F11 and
# Alt+Enter go fullscreen and back without losing the question; a click on the second answer
# takes it; Enter, keypad Enter and a click end page waits; Ctrl held runs through text and page
# waits but stops at a question. The game-over box grows with the window.
XVFB_SCREEN=1280x1024x24
source "$(dirname "$0")/lib/xvfb.bash"
start_x

story="$SCRATCH/story"
mkdir -p "$story/Picture"
cp "$(dirname "$0")/../../story/Picture/Pic01.bmp" "$story/Picture/Pic01.bmp"
scenario "$story" 00 <<'TEXT'
L01Q先へ進みますか
はい
いいえ
FFFaebJ005
e
一つ目P
二つ目P
三つ目P
e
TEXT

shot() {  # shot WINDOW FILE
  timeout 5 import -window "$1" "$2"
}

# "yes" when every pixel of SMALL is an N x N block of LARGE (LARGE's own top-left corner at
# LEFT, TOP); otherwise the first pixel that differs.
blocks_match() {  # blocks_match SMALL LARGE N [LEFT TOP]
  python3 - "$@" <<'PY'
import subprocess, sys
def load(path):
    w, h = map(int, subprocess.check_output(["identify", "-format", "%w %h", path]).split())
    return w, h, subprocess.check_output(["convert", path, "-depth", "8", "rgb:-"])
small, large, n = sys.argv[1], sys.argv[2], int(sys.argv[3])
left, top = (int(sys.argv[4]), int(sys.argv[5])) if len(sys.argv) > 5 else (0, 0)
sw, sh, s = load(small)
lw, lh, l = load(large)
if lw < left + sw * n or lh < top + sh * n:
    print(f"the large image is {lw}x{lh}"); sys.exit()
for y in range(sh):
    for x in range(sw):
        want = s[3 * (y * sw + x):3 * (y * sw + x) + 3]
        for dy in range(n):
            for dx in range(n):
                at = 3 * ((top + y * n + dy) * lw + left + x * n + dx)
                if l[at:at + 3] != want:
                    print(f"({x},{y}) differs"); sys.exit()
print("yes")
PY
}

still_running() { kill -0 "$PROGRAM_PID" 2>/dev/null && echo yes || echo no; }

# The question at 1x, as the reference.
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1.2
shot "$window" "$SCRATCH/1x.png"
kill "$PROGRAM_PID"; wait "$PROGRAM_PID" 2>/dev/null || true; PROGRAM_PID=""

start_program --scale 2 "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1.2
geometry=$(timeout 2 xwininfo -id "$window")
check "client at --scale 2" "608x608" \
  "$(sed -n 's/ *Width: //p' <<<"$geometry")x$(sed -n 's/ *Height: //p' <<<"$geometry")"
shot "$window" "$SCRATCH/2x.png"
check "each 1x pixel a 2x2 block" yes "$(blocks_match "$SCRATCH/1x.png" "$SCRATCH/2x.png" 2)"

# Fullscreen on the 1280 x 1024 screen: scale 3 fits, centred on black.
timeout 5 xdotool windowfocus --sync "$window" key F11
sleep 0.5
geometry=$(timeout 2 xwininfo -id "$window")
check "fullscreen covers the screen" "1280x1024" \
  "$(sed -n 's/ *Width: //p' <<<"$geometry")x$(sed -n 's/ *Height: //p' <<<"$geometry")"
shot "$window" "$SCRATCH/full.png"
check "fullscreen: the question centred" yes "$(blocks_match "$SCRATCH/1x.png" "$SCRATCH/full.png" 3 184 56)"
check "fullscreen: black around it" "0,0,0,0,0,0" "$(pixel "$window" 183 500),$(pixel "$window" 600 1020)"
timeout 5 xdotool windowfocus --sync "$window" key alt+Return
sleep 0.5
shot "$window" "$SCRATCH/back.png"
check "Alt+Enter: back to 2x, the question kept" yes "$(blocks_match "$SCRATCH/1x.png" "$SCRATCH/back.png" 2)"

# The second answer's row is at y = 240 of the area: (2 + 246) * 2 in the window.
timeout 5 xdotool windowfocus --sync "$window" mousemove --window "$window" 204 496 click 1
sleep 0.5
check "a click on the second answer takes it" yes "$(still_running)"
timeout 5 xdotool windowfocus --sync "$window" key Return
sleep 0.5
check "Enter ends a page wait" yes "$(still_running)"
timeout 5 xdotool windowfocus --sync "$window" key KP_Enter
sleep 0.5
check "keypad Enter ends a page wait" yes "$(still_running)"
timeout 5 xdotool windowfocus --sync "$window" click 1
wait_exit 5
check "a click ends a page wait" 0 "$EXIT_STATUS"

# Ctrl held: a page of text and two page waits pass, the question stops; one Space answers it.
scenario "$story" 00 <<'TEXT'
長い文章が一文字ずつ流れていきます。一行目。
長い文章が一文字ずつ流れていきます。二行目。
長い文章が一文字ずつ流れていきます。三行目。P
次のページです。P
Q止まりますか
はい
いいえ
e
TEXT
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
timeout 5 xdotool windowfocus --sync "$window" keydown ctrl
sleep 1.5
check "Ctrl held: stopped at the question" yes "$(still_running)"
timeout 5 xdotool windowfocus --sync "$window" keyup ctrl key space
wait_exit 5
check "one Space answers it" 0 "$EXIT_STATUS"

box_size() {  # box_size [OPTION...]: the game-over box's "WIDTH HEIGHT"
  scenario "$story" 00 <<<"G"
  start_program "$@" "$story"
  wait_window >/dev/null || { echo "FAILED: no window"; exit 1; }
  local box
  box=$(wait_message_box)
  [ -n "$box" ] && geometry "$box" | awk '{ print $3, $4 }'
  kill "$PROGRAM_PID"; wait "$PROGRAM_PID" 2>/dev/null || true; PROGRAM_PID=""
}
# A scale the 1280 x 1024 screen cannot hold: the largest that fits (3), and the user is told.
start_program --scale 8 "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 0.5
geometry=$(timeout 2 xwininfo -id "$window")
check "--scale 8 clamped to what fits" "912x912" \
  "$(sed -n 's/ *Width: //p' <<<"$geometry")x$(sed -n 's/ *Height: //p' <<<"$geometry")"
check "--scale 8: said on stderr" 1 "$(grep -c 'scale 8 does not fit the desktop.*showing at 3' "$SCRATCH/err")"
kill "$PROGRAM_PID"; wait "$PROGRAM_PID" 2>/dev/null || true; PROGRAM_PID=""

read -r w1 h1 <<<"$(box_size)"
read -r w2 h2 <<<"$(box_size --scale 2)"
check "the box at --scale 2" "$((2 * w1))x$((2 * h1))" "${w2}x${h2}"
finish
