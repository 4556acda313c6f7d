# The shared list of the reader's actions (reader-actions.txt), taken in a real window with real
# keys, clicks and the wheel through the X server: by the window tests (the Linux program) and by
# the Windows tests (tessaro.exe under Wine) alike. Source it after the machine's own test library
# (start_x, scenario, start_program, wait_window, check); then run_reader_actions.
READER_ACTIONS="$(dirname "${BASH_SOURCE[0]}")/reader-actions.txt"
# The story they are taken in: a page wait, then the next page's row.
READER_ACTIONS_STORY="$(dirname "${BASH_SOURCE[0]}")/page-wait-story.txt"

# How many pixels of a region of a window are of a colour: colour_count WINDOW X Y W H R,G,B
colour_count() {
  timeout 5 import -window "$1" -crop "$4x$5+$2+$3" -depth 8 txt:- 2>/dev/null | grep -c "($6)" || true
}
screen_size() { timeout 5 xwininfo -root | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
size_of() { timeout 5 xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }

# The story's second row (from x = 17, y = 227 of the client area) is typed only once the first
# page's wait is over; the mute mark lies at the picture area's top right, in the box's dark blue,
# which the backlog's panel spreads over the picture area.
second_row_ink() { colour_count "$1" 17 227 72 14 255,255,255; }
mute_mark_blue() { colour_count "$1" 250 4 54 22 0,0,128; }

reader_action() {  # reader_action ACTION WINDOW OTHER_WINDOW
  case $1 in
    m) timeout 5 xdotool key m ;;
    ctrl+m) timeout 5 xdotool key ctrl+m ;;
    click) timeout 5 xdotool mousemove --window "$2" 150 40 click 1 ;;
    focus-click)
      timeout 5 xdotool windowfocus --sync "$3" || true
      sleep 0.5
      timeout 5 xdotool mousemove --window "$2" 150 40 click 1 ;;
    enter) timeout 5 xdotool key Return ;;
    alt+enter) timeout 5 xdotool key alt+Return ;;
    wheel-up) timeout 5 xdotool mousemove --window "$2" 150 100 click 4 ;;
    *) echo "FAILED: no way to take the action '$1' here"; FAILURES=$((FAILURES + 1)) ;;
  esac
}

# Waits up to 5 s for a test to pass: until TEST...
until_passes() {
  for _ in $(seq 25); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}
page_turned() { [ "$(second_row_ink "$1")" -ge 60 ]; }
muted() { [ "$(mute_mark_blue "$1")" -ge 100 ]; }
backlog_open() { [ "$(pixel "$1" 150 100)" == 0,0,128 ]; }
covers_screen() { [ "$(size_of "$1")" == "$(screen_size)" ]; }
sized() { [ "$(size_of "$1")" == "$2" ]; }
yes_if() { "$@" && echo yes || echo no; }

run_reader_actions() {
  local story="$SCRATCH/reader-actions" action outcomes outcome window other other_pid size
  scenario "$story" 00 <"$READER_ACTIONS_STORY"
  # Another program's window, to take the focus away to.
  xmessage -name other -buttons "" -geometry +600+450 "another program" 2>/dev/null &
  other_pid=$!
  for _ in $(seq 100); do
    other=$(timeout 2 xdotool search --classname '^other$' 2>/dev/null | head -n1 || true)
    [ -n "$other" ] && break
    sleep 0.05
  done
  while read -r action outcomes; do
    [[ -z $action || $action == \#* ]] && continue
    start_program "$story"
    window=$(wait_window) || { check "$action: a window" yes no; continue; }
    timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null || true
    sleep 1.2  # at the first page's wait
    check "$action: at the page wait" 0 "$(second_row_ink "$window")"
    size=$(size_of "$window")
    # The story's window is given the focus, and a moment to know it (Wine takes one).
    timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null || true
    sleep 0.3
    reader_action "$action" "$window" "$other"
    for outcome in $outcomes; do
      case $outcome in
        page-stays) sleep 1; check "$action: the page stays" 0 "$(second_row_ink "$window")" ;;
        page-turns) check "$action: the page turns" yes "$(yes_if until_passes page_turned "$window")" ;;
        muted) check "$action: the mute mark shows" yes "$(yes_if until_passes muted "$window")" ;;
        not-muted) sleep 1; check "$action: no mute mark" 0 "$(mute_mark_blue "$window")" ;;
        backlog) check "$action: the backlog opens" yes "$(yes_if until_passes backlog_open "$window")" ;;
        fullscreen)
          check "$action: fullscreen" yes "$(yes_if until_passes covers_screen "$window")"
          reader_action "$action" "$window" "$other"
          check "$action again: the window as it was" yes "$(yes_if until_passes sized "$window" "$size")" ;;
        *) check "$action: an outcome this test knows" known "$outcome" ;;
      esac
    done
    kill -0 "$PROGRAM_PID" 2>/dev/null || { echo "($action: the program ended; it said:)"; cat "$SCRATCH/err"; }
    kill "$PROGRAM_PID" 2>/dev/null || true
    wait "$PROGRAM_PID" 2>/dev/null || true
    PROGRAM_PID=""
  done <"$READER_ACTIONS"
  kill "$other_pid" 2>/dev/null || true
}
