#!/usr/bin/env bash
# The author's loop on what the author wrote, with the real program: --watch starts again at the
# beginning of the page on screen when the source (not converted) or the scenario file changes,
# at a page wait, in the middle of a page and at a question (which is shown again, never
# answered); an edit that breaks the story is shown and the next save mends it. --start shows the
# picture a straight read would show there. A story beside the program with a Data folder but no
# first file names that file; started with standard error closed, its error still comes up in a
# box and the program ends.
source "$(dirname "$0")/lib/xvfb.bash"
start_x
sample=$(cd "$(dirname "$0")/../../story" && pwd)

type_into() {  # type_into WINDOW KEY...
  local window=$1
  shift
  xdotool windowfocus --sync "$window" key --delay 80 "$@"
}

# Stops a program still running after its check.
stop_program() {
  if [ -n "$PROGRAM_PID" ]; then kill "$PROGRAM_PID" 2>/dev/null || true; wait "$PROGRAM_PID" 2>/dev/null || true; PROGRAM_PID=""; fi
}

running() { kill -0 "$PROGRAM_PID" 2>/dev/null && echo yes || echo no; }

# A watched story: its source, converted once; then the run is given time to reach where the edit
# is to be made.
watch_story() {  # watch_story NAME SOURCE SECONDS
  mkdir -p "$SCRATCH/$1/Data"
  cd "$SCRATCH/$1"
  printf '%b' "$2" >story.txt
  env -u DISPLAY timeout 10 "$TESSARO" convert story.txt Data/Data00.Dat
  start_program --watch .
  wait_window >/dev/null || { echo "FAILED: no window for $1"; exit 1; }
  sleep "$3"
}

# At a page wait on line 1 of a page that began on line 0: line 0 changed in the source alone
# (not converted) ends the story, which it does only when the run starts again at the page.
watch_story page 'Cあ。\nいP\nCう。P\n' 1.5
printf 'e\nいP\nCう。P\n' >story.txt
wait_exit 5
check "--watch at a page wait: an earlier row of the page, edited in the source alone, runs" 0 "$EXIT_STATUS"
check "--watch: says the source plays as it is now" yes \
  "$(grep -q 'story.txt was changed after Data/Data00.Dat was made from it: it plays as it is now' "$SCRATCH/err" && echo yes || echo no)"
stop_program

# In the middle of a page (a pause on its second line), the scenario file converted again.
watch_story middle 'Cあ。\nT9000い。P\n' 1.5
printf 'e\nT9000い。P\n' >story.txt
env -u DISPLAY timeout 10 "$TESSARO" convert story.txt Data/Data00.Dat
wait_exit 5
check "--watch in the middle of a page: the page's first row, edited, runs" 0 "$EXIT_STATUS"
stop_program

# At a question: the save shows it again (the second answer's game over never comes), and the
# reader's first answer then ends the story.
watch_story question 'Q先へ進みますか\nはい\nいいえ\nFFFaebG\n' 1.5
window=$(wait_window)
printf 'Q本当に進みますか\nはい\nいいえ\nFFFaebG\n' >story.txt
sleep 2
check "--watch at a question: no answer is given by the save" "" "$(message_box)"
check "--watch at a question: the question waits again" yes "$(running)"
type_into "$window" space
wait_exit 5
check "--watch at a question: the reader's answer after the save" 0 "$EXIT_STATUS"
stop_program

# An edit that breaks the story (a picture that is not there) is shown and waited on; the next
# save mends it.
watch_story broken 'Cあ。P\n' 1.5
printf 'CL09あ。P\n' >story.txt
sleep 2
check "--watch: a broken edit keeps the program watching" yes "$(running)"
check "--watch: the broken edit's error on standard error" yes \
  "$(grep -q 'File not found: .*Pic09.bmp' "$SCRATCH/err" && grep -q 'waiting for the next change' "$SCRATCH/err" && echo yes || echo no)"
check "--watch: no box holds the program" "" "$(message_box)"
printf 'C直した。e\n' >story.txt
wait_exit 5
check "--watch: the mended story runs to its end" 0 "$EXIT_STATUS"
stop_program

# --start in the middle of the sample story's second file: its picture, set by a line before.
cp -r "$sample" "$SCRATCH/sample"
start_program --start Data01.Dat:10 "$SCRATCH/sample"
window=$(wait_window)
sleep 1
want=$(convert "$SCRATCH/sample/Picture/Pic03.bmp" -crop 1x1+150+100 -depth 8 txt:- |
  sed -n '2s/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p')
check "--start: the picture a straight read shows there" "$want" "$(pixel "$window" 152 102)"
check "--start: nothing to say" "" "$(cat "$SCRATCH/err")"
stop_program

# A story beside the program: a Data folder without its first file.
mkdir -p "$SCRATCH/beside/Data"
cp "$TESSARO" "$SCRATCH/beside/tessaro"
TESSARO="$SCRATCH/beside/tessaro" start_program
box=$(wait_message_box)
check "beside the program: the missing first file, named" yes \
  "$(grep -q "File not found: $SCRATCH/beside/Data/Data00.Dat" "$SCRATCH/err" && echo yes || echo no)"
[ -n "$box" ] && type_into "$box" Return
wait_exit 5
check "beside the program: exit status" 1 "$EXIT_STATUS"

# The same with standard error closed: the box still comes, and the program ends.
SDL_AUDIODRIVER=dummy "$SCRATCH/beside/tessaro" >"$SCRATCH/out" 2>&- &
PROGRAM_PID=$!
box=$(wait_message_box)
check "standard error closed: the error box comes" yes "$([ -n "$box" ] && echo yes || echo no)"
[ -n "$box" ] && type_into "$box" Return
wait_exit 5
check "standard error closed: exit status" 1 "$EXIT_STATUS"
stop_program
finish
