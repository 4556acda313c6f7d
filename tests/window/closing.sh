#!/usr/bin/env bash
# Closing the window ends the program at once with status 0: while text is typing, during a page
# wait and during a question. The close comes as a window manager sends it (WM_DELETE_WINDOW), and
# once as SIGTERM, which SDL turns into the same quit request.
source "$(dirname "$0")/lib/xvfb.bash"
start_x

story="$SCRATCH/story"

# Whether the message box changes within a quarter of a second: "typing" or "still".
box_activity() {  # box_activity WINDOW
  import -window "$1" -crop 300x80+2+202 -depth 8 "rgb:$SCRATCH/box1.rgb"
  sleep 0.25
  import -window "$1" -crop 300x80+2+202 -depth 8 "rgb:$SCRATCH/box2.rgb"
  cmp -s "$SCRATCH/box1.rgb" "$SCRATCH/box2.rgb" && echo still || echo typing
}

# Closes the program's window ($2: "window" for WM_DELETE_WINDOW, "signal" for SIGTERM) and checks
# that it ends within two seconds with status 0. Without the close the story would run for longer.
close_and_check() {  # close_and_check DESCRIPTION HOW WINDOW
  if [ "$2" == window ]; then
    close_window "$3"
  else
    kill -TERM "$PROGRAM_PID"
  fi
  wait_exit 2
  check "$1: ended at once" yes "$([ "$EXIT_STATUS" != "still running" ] && echo yes || echo no)"
  check "$1: exit status" 0 "$EXIT_STATUS"
  if [ -n "$PROGRAM_PID" ]; then kill "$PROGRAM_PID" 2>/dev/null || true; PROGRAM_PID=""; fi
}

# Typing: forty lines take about ten seconds to type.
for _ in $(seq 40); do echo "長い物語の一行です。文字が一つずつ流れていきます。"; done | scenario "$story" 00
for how in window signal; do
  start_program "$story"
  window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
  sleep 1
  check "text is typing ($how)" typing "$(box_activity "$window")"
  close_and_check "closed while typing ($how)" "$how" "$window"
done

# A page wait, which would last for ever.
scenario "$story" 00 <<'TEXT'
ページの終わりで待ちますP
TEXT
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1.5
check "the program waits at the page" yes "$(kill -0 "$PROGRAM_PID" 2>/dev/null && echo yes || echo no)"
close_and_check "closed at a page wait" window "$window"

# A question, which waits as long.
scenario "$story" 00 <<'TEXT'
Qどちらにしますか
こちら
あちら
TEXT
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1.5
check "the program waits at the question" yes \
  "$(kill -0 "$PROGRAM_PID" 2>/dev/null && echo yes || echo no)"
close_and_check "closed at a question" window "$window"
finish
