#!/usr/bin/env bash
# Every action a reader can take, at every kind of moment, in the real program: F11, Alt+Enter,
# F11 and Space and F11, --fullscreen then F11, a window move, the focus away and back, a click,
# Enter, held Ctrl and a close, while text types, at a page wait, at a question, inside a timed
# pause, while music plays, with the game-over box open and with an error box open. After each the story goes on to its
# last question with the same pixels as a run where nothing was done, and ends with status 0
# (1 after an error); a close ends it at once. Then the click that brings the window back into
# focus must not turn a page or choose an answer, without and with a window manager.
XVFB_SCREEN=1280x800x24
source "$(dirname "$0")/lib/xvfb.bash"
start_x

story="$SCRATCH/story"
mkdir -p "$story/Picture" "$story/Bgm"
cp "$(dirname "$0")/../../story/Picture/Pic01.bmp" "$story/Picture/"
cp "$(dirname "$0")/../../story/Bgm/Bgm01.mid" "$story/Bgm/"

# What every story ends with: a question, the same screen whatever came before it.
LAST='CL01
Q終わりますか
はい
いいえ
e'

# The moments: the story that leads to each, and how long after the window shows it is reached
# (the box moments: when the box shows).
declare -A MOMENT_STORY=(
  [typing]="長い文章が一文字ずつ流れていきます。一行目です。
長い文章が一文字ずつ流れていきます。二行目です。
長い文章が一文字ずつ流れていきます。三行目です。
長い文章が一文字ずつ流れていきます。四行目です。P"
  [page]="頁の終わりです。P"
  [question]="Q進みますか
はい
いいえ"
  [pause]="待ちますT999T999T999T999T999T999"
  [music]="B01X音楽が鳴っています。P"
  [game_over]="G"
  [error_box]="D09"
)
declare -A MOMENT_AT=([typing]=0.3 [page]=1.2 [question]=1.5 [pause]=1.0 [music]=1.5
                      [game_over]=box [error_box]=box)
declare -A MOMENT_STATUS=([error_box]=1)
# MOMENTS="page question" ACTIONS=enter runs only those rows and columns.
read -r -a MOMENTS <<<"${MOMENTS:-typing page question pause music game_over error_box}"
read -r -a ACTIONS <<<"${ACTIONS:-none f11 alt_enter f11_space_f11 fullscreen_f11 move focus click enter ctrl close}"

OTHER=""
other_window() {  # another program's window, to take the focus away to
  xmessage -name other -buttons "" -geometry +900+600 "another program" 2>/dev/null &
  OTHER_PID=$!
  for _ in $(seq 100); do
    OTHER=$(xdotool search --classname '^other$' 2>/dev/null | head -n1 || true)
    [ -n "$OTHER" ] && return 0
    sleep 0.05
  done
}

size_of() { xwininfo -id "$1" | awk '/Width:/ { w = $NF } /Height:/ { h = $NF } END { print w "x" h }'; }
shot() { import -window "$1" -depth 8 "rgb:$2" 2>/dev/null; }
same_pixels() { cmp -s "$1" "$2" && echo same || echo different; }
differing() {  # the rectangle of the pixels that differ between two 304 x 304 shots
  python3 - "$1" "$2" <<'PY'
import sys
a, b = (open(p, "rb").read() for p in sys.argv[1:3])
at = [i // 3 for i in range(0, min(len(a), len(b)), 3) if a[i:i + 3] != b[i:i + 3]]
xs, ys = [i % 304 for i in at], [i // 304 for i in at]
print(f"x {min(xs)}..{max(xs)}, y {min(ys)}..{max(ys)}" if at else f"sizes {len(a)} and {len(b)}")
PY
}
keys() {  # keys WINDOW KEY...: typed into that window
  local window=$1
  shift
  xdotool windowfocus --sync "$window" key --delay 60 "$@" 2>/dev/null || true
}

# The reference: the last question with nothing done before it. Its pixels hold still.
scenario "$story" 00 <<<"$LAST"
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 2.5
shot "$window" "$SCRATCH/last.rgb"
sleep 0.7
shot "$window" "$SCRATCH/again.rgb"
check "the last question holds still" same "$(same_pixels "$SCRATCH/last.rgb" "$SCRATCH/again.rgb")"
keys "$window" space
wait_exit 10
check "the last question ends the story" 0 "$EXIT_STATUS"

other_window

# Plays on from wherever the story is to the last question, checks its pixels, and answers it.
# Space ends page waits; once the last part's picture shows no more keys go in until its question
# is fully there (a Space that came while it typed would answer it). After a Space it waits up to
# 4 s for that picture, as a slow machine may take that long.
PICTURE_BYTES=$((190 * 304 * 3))  # the rows above the message box
play_to_the_end() {  # play_to_the_end CELL
  local seen=different waited=0
  for _ in $(seq 60); do
    kill -0 "$PROGRAM_PID" 2>/dev/null || break
    shot "$window" "$SCRATCH/now.rgb"
    seen=$(same_pixels "$SCRATCH/last.rgb" "$SCRATCH/now.rgb")
    [ "$seen" == same ] && break
    if ! cmp -s -n "$PICTURE_BYTES" "$SCRATCH/last.rgb" "$SCRATCH/now.rgb" && [ "$waited" -le 0 ]; then
      keys "$window" space
      waited=16
    fi
    waited=$((waited - 1))
    sleep 0.25
  done
  check "$1: on to the last question, its pixels as always" same "$seen"
  [ "$seen" == same ] || echo "  (the pixels that differ lie in $(differing "$SCRATCH/last.rgb" "$SCRATCH/now.rgb"))"
  if [ "$seen" != same ] && [ -n "${KEEP_SHOTS:-}" ]; then
    convert -size 304x304 -depth 8 "rgb:$SCRATCH/last.rgb" "rgb:$SCRATCH/now.rgb" +append "$KEEP_SHOTS/${1//[ ,()]/_}.png"
  fi
  keys "$window" space
}

do_action() {  # do_action ACTION MOMENT: what the reader does
  case $1 in
    none) ;;
    f11 | alt_enter)
      local key=F11
      [ "$1" == alt_enter ] && key=alt+Return
      xdotool key "$key"
      sleep 0.6
      [ "$AT_BOX" == no ] && check "$2, $1: fullscreen" 1280x800 "$(size_of "$window")"
      xdotool key "$key"
      sleep 0.6 ;;
    f11_space_f11)  # the story goes on while fullscreen, then back
      xdotool key F11
      sleep 0.6
      xdotool key space
      sleep 0.6
      xdotool key F11
      sleep 0.6 ;;
    fullscreen_f11)
      xdotool key F11
      sleep 0.6 ;;
    move) xdotool windowmove "$window" 40 50 ;;
    focus)
      xdotool windowfocus --sync "$OTHER" || true
      sleep 0.5
      # Not waited for: with a box open the story's window hands the focus straight back to it.
      xdotool windowfocus "$window" || true
      sleep 0.3 ;;
    click) xdotool mousemove --window "$window" 150 40 click 1 ;;
    enter) xdotool key Return ;;
    ctrl)
      xdotool keydown ctrl
      sleep 1
      xdotool keyup ctrl ;;
    close) close_window "$window" ;;
  esac
}

for moment in "${MOMENTS[@]}"; do
  scenario "$story" 00 <<<"${MOMENT_STORY[$moment]}
$LAST"
  for action in "${ACTIONS[@]}"; do
    cell="$moment, $action"
    options=()
    [ "$action" == fullscreen_f11 ] && options=(--fullscreen)
    start_program "${options[@]}" "$story"
    window=$(wait_window) || { check "$cell: a window" yes no; continue; }
    box=""
    AT_BOX=no
    if [ "${MOMENT_AT[$moment]}" == box ]; then
      AT_BOX=yes
      box=$(wait_message_box)
      check "$cell: the box" yes "$([ -n "$box" ] && echo yes || echo no)"
      sleep 0.3
    else
      sleep "${MOMENT_AT[$moment]}"
      xdotool windowfocus --sync "$window" 2>/dev/null || true
    fi
    do_action "$action" "$moment"
    sleep 0.3
    expected=${MOMENT_STATUS[$moment]:-0}
    if [ "$action" == close ]; then
      wait_exit 10
      check "$cell: ends at once" "$expected" "$EXIT_STATUS"
      continue
    fi
    if [ "$AT_BOX" == yes ]; then
      # Enter, and the Space among the fullscreen keys, answer the box (the keys go to it).
      if [ "$action" == enter ] || [ "$action" == f11_space_f11 ]; then
        wait_exit 10
      else
        check "$cell: the box still open" yes "$(kill -0 "$PROGRAM_PID" 2>/dev/null && [ -n "$(message_box)" ] && echo yes || echo no)"
        keys "$box" Return
        wait_exit 10
      fi
    else
      [ "$action" == fullscreen_f11 ] && check "$cell: windowed again" 304x304 "$(size_of "$window")"
      check "$cell: still running" yes "$(kill -0 "$PROGRAM_PID" 2>/dev/null && echo yes || echo no)"
      play_to_the_end "$cell"
      wait_exit 10
    fi
    check "$cell: exit status" "$expected" "$EXIT_STATUS"
    if [ -n "$PROGRAM_PID" ]; then kill "$PROGRAM_PID" 2>/dev/null || true; PROGRAM_PID=""; fi
  done
done

# The click that brings the window back into focus is only that: the page stays, the answer is
# not chosen. Then the story goes on as ever.
focus_click() {  # focus_click WHERE
  local moment
  for moment in page question; do
    local cell="focus click ($1) at the $moment"
    scenario "$story" 00 <<<"${MOMENT_STORY[$moment]}
$LAST"
    start_program "$story"
    window=$(wait_window) || { check "$cell: a window" yes no; continue; }
    sleep "${MOMENT_AT[$moment]}"
    xdotool windowfocus --sync "$OTHER"
    sleep 0.5
    shot "$window" "$SCRATCH/before.rgb"
    xdotool mousemove --window "$window" 150 40 click 1
    sleep 1.5
    shot "$window" "$SCRATCH/after.rgb"
    # A turned page or a chosen answer would bring the last part's picture (the ▲ of a page
    # wait blinks: the message box is not compared).
    check "$cell: nothing moved" same \
      "$(cmp -s -n "$PICTURE_BYTES" "$SCRATCH/before.rgb" "$SCRATCH/after.rgb" && echo same || echo different)"
    if [ -n "${KEEP_SHOTS:-}" ] && ! cmp -s -n "$PICTURE_BYTES" "$SCRATCH/before.rgb" "$SCRATCH/after.rgb"; then
      convert -size 304x304 -depth 8 "rgb:$SCRATCH/before.rgb" "rgb:$SCRATCH/after.rgb" +append "$KEEP_SHOTS/${cell//[ ,()]/_}.png"
    fi
    play_to_the_end "$cell"
    wait_exit 10
    check "$cell: exit status" 0 "$EXIT_STATUS"
  done
}
focus_click "no window manager"
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  WM_PID=$!
  sleep 1
  focus_click openbox
  kill "$WM_PID" 2>/dev/null || true
else
  echo "skipped: the focus click under a window manager (openbox is not installed)"
fi
kill "$OTHER_PID" 2>/dev/null || true
finish
