#!/usr/bin/env bash
# Our own message box, with no window manager and no X core fonts: the game-over box stands
# centred over the window, transient for it, with the keyboard focus, its text and its OK button
# legible; every way of dismissing it ends the program with status 0, as does closing the story's
# window instead. The error box for a missing first scenario names the file and ends with 1.
source "$(dirname "$0")/lib/xvfb.bash"
start_x

story="$SCRATCH/story"
scenario "$story" 00 <<'TEXT'
箱の後ろの文です。T100
G
TEXT

# Starts the story and waits for its box; sets WINDOW and BOX.
open_box() {
  start_program "$story"
  WINDOW=$(wait_window) || { echo "FAILED: no window"; exit 1; }
  BOX=$(wait_message_box)
  [ -n "$BOX" ] || { echo "FAILED: no message box"; cat "$SCRATCH/err"; exit 1; }
  sleep 0.3  # its first drawing
}

# Ends one run: waits for the program and checks its status.
end_run() {  # end_run DESCRIPTION STATUS
  wait_exit 3
  check "$1" "$2" "$EXIT_STATUS"
  [ "$EXIT_STATUS" == "$2" ] || cat "$SCRATCH/err"
  if [ -n "$PROGRAM_PID" ]; then kill "$PROGRAM_PID" 2>/dev/null || true; PROGRAM_PID=""; fi
}

# The look of the game-over box, once.
open_box
read -r wx wy ww wh <<<"$(geometry "$WINDOW")"
read -r bx by bw bh <<<"$(geometry "$BOX")"
check "centred over the window, across" "$((wx + ww / 2))" "$((bx + bw / 2))"
check "centred over the window, down" "$((wy + wh / 2))" "$((by + bh / 2))"
check "transient for the window" "$((WINDOW))" \
  "$(xprop -id "$BOX" WM_TRANSIENT_FOR | sed -n 's/.*window id # //p' | xargs printf '%d')"
check "has the keyboard focus" "$((BOX))" "$(xdotool getwindowfocus)"
check "light grey face" 236,236,236 "$(pixel "$BOX" 2 2)"
# Eight full-width characters at 12 px from (16, 16): each stroke of them leaves ink, and the
# face beside them is clean.
text_ink=$(ink "$BOX" 16 16 96 16)
check "the text is drawn (ink pixels: $text_ink)" yes "$([ "$text_ink" -ge 80 ] && echo yes || echo no)"
check "nothing right of the text" 0 "$(ink "$BOX" 116 16 $((bw - 132)) 16)"
# The OK button: 80 x 24, centred, 12 px above the bottom, edged in dark grey, "OK" inside.
okx=$(((bw - 80) / 2)) oky=$((bh - 12 - 24))
check "the OK button's edge" 96,96,96 "$(pixel "$BOX" "$okx" "$((oky + 12))")"
ok_ink=$(ink "$BOX" $((okx + 30)) $((oky + 6)) 20 12)
check "\"OK\" on the button (ink pixels: $ok_ink)" yes "$([ "$ok_ink" -ge 20 ] && echo yes || echo no)"
# The window behind keeps painting itself: moved over its message box and away, the box leaves
# no hole.
import -window "$WINDOW" -crop 300x80+2+202 -depth 8 "rgb:$SCRATCH/under1.rgb"
xdotool windowmove --sync "$BOX" "$wx" "$((wy + 200))"
sleep 0.2
xdotool windowmove --sync "$BOX" 0 0
sleep 0.3
import -window "$WINDOW" -crop 300x80+2+202 -depth 8 "rgb:$SCRATCH/under2.rgb"
check "the window repaints where the box was" yes \
  "$(cmp -s "$SCRATCH/under1.rgb" "$SCRATCH/under2.rgb" && echo yes || echo no)"
xdotool key Return
end_run "Return: exit status" 0

# Every other way out, each on a fresh box.
for how in KP_Enter space Escape click close-box close-window; do
  open_box
  read -r _ _ bw bh <<<"$(geometry "$BOX")"
  case $how in
    click) xdotool mousemove --window "$BOX" $((bw / 2)) $((bh - 24)) click 1 ;;
    close-box) close_window "$BOX" ;;
    close-window) close_window "$WINDOW" ;;
    *) xdotool key "$how" ;;
  esac
  end_run "$how: exit status" 0
done

# A missing first scenario: the error box, its text also on standard error, status 1 after OK.
rm "$story/Data/Data00.Dat"
open_box
check "the error names the file" yes \
  "$(grep -qF "File not found: $story/Data/Data00.Dat" "$SCRATCH/err" && echo yes || echo no)"
read -r _ _ bw bh <<<"$(geometry "$BOX")"
check "the error box is wide enough for its text" yes "$([ "$bw" -ge 300 ] && echo yes || echo no)"
xdotool key Return
end_run "error box: exit status" 1
finish
