#!/usr/bin/env bash
# The real program answers a question with real keys: Space on the first answer reaches the end
# mark, Down and Space reach the game-over box. A Space typed into another window does not end a
# page wait.
source "$(dirname "$0")/lib/xvfb.bash"
start_x

story="$SCRATCH/story"
question_story "$story"

# Waits for the program's end; one that is still running is stopped before the next run.
end_run() {  # end_run DESCRIPTION
  wait_exit 10
  check "$1" 0 "$EXIT_STATUS"
  if [ -n "$PROGRAM_PID" ]; then kill "$PROGRAM_PID" 2>/dev/null || true; PROGRAM_PID=""; fi
}

# The key goes to whichever window has the keyboard focus.
type_into() {  # type_into WINDOW KEY...
  local window=$1
  shift
  xdotool windowfocus --sync "$window" key --delay 80 "$@"
}

# The first answer, confirmed at once.
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1  # the question comes up after half a second
type_into "$window" space
end_run "first answer: the end mark"

# The second answer: the game-over box, a second window, dismissed with Return.
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1
type_into "$window" Down
sleep 0.3
type_into "$window" space
box=$(wait_message_box)
check "second answer: the game-over box" yes "$([ -n "$box" ] && echo yes || echo no)"
[ -n "$box" ] && { sleep 0.3; type_into "$box" Return; }
end_run "exit after the game-over box"

# A page wait, and Space typed into another program's window.
scenario "$story" 00 <<'TEXT'
待ちますP
TEXT
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
xmessage -name other "another program" &
OTHER_PID=$!
other=""
for _ in $(seq 100); do
  other=$(xdotool search --classname '^other$' 2>/dev/null | head -n1 || true)
  [ -n "$other" ] && break
  sleep 0.05
done
sleep 0.5
type_into "$other" space
sleep 0.5
check "Space in another window leaves the page wait on" yes "$(kill -0 "$PROGRAM_PID" 2>/dev/null && echo yes || echo no)"
kill "$OTHER_PID" 2>/dev/null || true
type_into "$window" space
end_run "Space in our window ends it"
finish
