#!/usr/bin/env bash
# The reader's own keys in the real program, with real keys and pixels: PageUp opens the backlog
# over a question, Escape gives the question back pixel for pixel; M shows the mute mark and takes
# it away again; the story then goes on with its answer. Run with a volume and a text speed, which
# the program takes; a wrong value is one line naming the option's values. A copy of the program
# with no story beside it says what to do.
source "$(dirname "$0")/lib/xvfb.bash"
start_x

story="$SCRATCH/story"
mkdir -p "$story/Picture"
cp "$(dirname "$0")/../../story/Picture/Pic01.bmp" "$story/Picture/Pic01.bmp"
scenario "$story" 00 <<'TEXT'
L01一頁目の文。P
Q先へ進みますか
はい
いいえ
FFFaebJ005
e
TEXT

shot() {  # shot WINDOW FILE
  timeout 5 import -window "$1" "$2"
}
same() {  # "same" when two shots have equal pixels, else how many differ
  local differ
  differ=$(timeout 5 compare -metric AE "$1" "$2" null: 2>&1 || true)
  [ "$differ" == 0 ] && echo same || echo "$differ differ"
}
type_into() {  # type_into WINDOW KEY...
  local window=$1
  shift
  xdotool windowfocus --sync "$window" key --delay 80 "$@"
}

start_program --volume 30 --text-speed fast "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 0.6
type_into "$window" space
sleep 1.2  # the question comes up after half a second
shot "$window" "$SCRATCH/question.png"

type_into "$window" Prior
sleep 0.5
check "the backlog's panel over the picture" "0,0,128" "$(pixel "$window" 150 290)"
shot "$window" "$SCRATCH/backlog.png"
check "the backlog is not the question" yes \
  "$([ "$(same "$SCRATCH/question.png" "$SCRATCH/backlog.png")" != same ] && echo yes || echo no)"
type_into "$window" Escape
sleep 0.5
shot "$window" "$SCRATCH/back.png"
check "Escape gives the question back as it was" same "$(same "$SCRATCH/question.png" "$SCRATCH/back.png")"

type_into "$window" m
sleep 0.4
check "muted: the mark's edge in the corner" "192,192,192" "$(pixel "$window" 297 6)"
type_into "$window" m
sleep 0.4
shot "$window" "$SCRATCH/unmuted.png"
check "the mark is gone" same "$(same "$SCRATCH/question.png" "$SCRATCH/unmuted.png")"

type_into "$window" Down
sleep 0.3
type_into "$window" space
wait_exit 10
check "the second answer ends the story" 0 "$EXIT_STATUS"

"$TESSARO" --scale 0 "$story" >"$SCRATCH/out" 2>"$SCRATCH/err" && status=0 || status=$?
check "a wrong value: status 2" 2 "$status"
check "a wrong value: one line naming the values" \
  'tessaro: --scale takes 1 to 8, or auto, not "0"' "$(cat "$SCRATCH/err")"

mkdir -p "$SCRATCH/bare"
cp "$TESSARO" "$SCRATCH/bare/tessaro"
TESSARO="$SCRATCH/bare/tessaro" start_program
box=$(wait_message_box)
check "no story: a message box" yes "$([ -n "$box" ] && echo yes || echo no)"
[ -n "$box" ] && { sleep 0.3; xdotool windowfocus --sync "$box" key Return; }
wait_exit 5
check "no story: status 1" 1 "$EXIT_STATUS"
check "no story: says what to do" yes \
  "$(grep -qF 'tessaro: No story here: give a story folder, for example "tessaro path/to/story"' "$SCRATCH/err" && echo yes || echo no)"
finish
