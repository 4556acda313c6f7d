#!/usr/bin/env bash
# The author's loop with the real program: a story written in UTF-8 with labels, converted, then a
# typo on one branch found by "check" and "paths" at the line the author wrote; "--start *label"
# with "--flag" plays that branch at once, and its error box names the same line; a bad value of
# --start is one line naming the option; with --watch, the story starts again where it was when
# its file changes.
source "$(dirname "$0")/lib/xvfb.bash"
start_x

story="$SCRATCH/story"
mkdir -p "$story/Data"
cd "$story"
# Line 9 of story.txt (line 7 of Data00.Dat) shows a picture that is not there.
printf 'C灯台へ行く？P\nQ行く？\n行く\n行かない\nFFFaJ*gobJ*stay\n*go\nC灯台に着いた。Pe\n*stay\nCL09家にいた。P\n' >story.txt
set +e
env -u DISPLAY timeout 10 "$TESSARO" convert story.txt Data/Data00.Dat
check "convert: exit status" 0 "$?"
check "convert: writes the line map" yes "$([ -f Data/LineMap.txt ] && echo yes || echo no)"

report=$(env -u DISPLAY timeout 10 "$TESSARO" check .)
check "check: the typo at the author's line, the scenario's after it" yes \
  "$(grep -q '^story.txt:9:2: error: .*\[Data00.Dat:7:2\]$' <<<"$report" && echo yes || echo no)"

paths=$(env -u DISPLAY timeout 10 "$TESSARO" paths .)
check "paths: exit status when a path ends in an error" 1 "$?"
check "paths: two paths" yes "$(grep -q '^2 paths: 1 end mark, 1 error$' <<<"$paths" && echo yes || echo no)"
check "paths: the error path's place" yes \
  "$(grep -q '^    story.txt:9 (Scenario Data00.Dat, line 7): CL09家にいた。P$' <<<"$paths" && echo yes || echo no)"

message=$(timeout 10 "$TESSARO" --start '*nowhere' . 2>&1)
check "--start with an unknown label: exit status" 2 "$?"
check "--start with an unknown label: one line naming the option" "tessaro: --start *nowhere: no such label in the story's line map" "$message"
message=$(env -u DISPLAY timeout 10 "$TESSARO" --flag 1FF=1 . 2>&1)
check "--flag with a bad value: exit status" 2 "$?"
check "--flag with a bad value: one line naming the option" \
  'tessaro: --flag takes N=V (N from 00 to FF in hexadecimal, V 1 or 0), not "1FF=1"' "$message"
set -e

start_program --start '*stay' --flag FF=0 .
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
box=$(wait_message_box)
check "the error box at once" yes "$([ -n "$box" ] && echo yes || echo no)"
check "the error names the author's line" yes \
  "$(grep -qF 'story.txt:9 (Scenario Data00.Dat, line 7): CL09家にいた。P' "$SCRATCH/err" && echo yes || echo no)"
[ -n "$box" ] && xdotool windowfocus --sync "$box" key Return
wait_exit 5
check "exit status after the error" 1 "$EXIT_STATUS"

# --watch: a story waiting at a page ends by itself once its file, converted again, ends there.
mkdir -p "$SCRATCH/watched/Data"
cd "$SCRATCH/watched"
printf 'C待っています。P\n' >story.txt
"$TESSARO" convert story.txt Data/Data00.Dat
start_program --watch .
window=$(wait_window) || { echo "FAILED: no window for --watch"; exit 1; }
sleep 1
printf 'C書き直した。e\n' >story.txt
"$TESSARO" convert story.txt Data/Data00.Dat
wait_exit 5
check "--watch: the rewritten line runs, and its end mark ends the story" 0 "$EXIT_STATUS"
finish
