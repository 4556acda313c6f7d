#!/usr/bin/env bash
# The authors' commands of the real program: "check" and "convert" need no display, and a story
# folder that happens to be named "check" still plays when written as a path.
source "$(dirname "$0")/lib/xvfb.bash"
start_x

cd "$SCRATCH"
printf '*top\nC月が、のぼった。\n波の音だけが聞こえる。P\nJ*end\n*end\nおしまい。P\n' >story.txt
mkdir -p check/Data
set +e
env -u DISPLAY timeout 10 "$TESSARO" convert story.txt check/Data/Data00.Dat
check "convert: exit status" 0 "$?"
report=$(env -u DISPLAY timeout 10 "$TESSARO" check check)
check "check: exit status on a clean story" 0 "$?"
check "check: summary" "0 errors, 0 warnings, 0 notes in 1 scenario file" "$report"

printf 'C月が、❤のぼった。P\n' >heart.txt
message=$(env -u DISPLAY timeout 10 "$TESSARO" convert heart.txt check/Data/Data01.Dat 2>&1)
check "convert: exit status on a character code page 932 lacks" 1 "$?"
check "convert: names line and column" yes "$(grep -q '^heart.txt:1:5: error' <<<"$message" && echo yes || echo no)"
check "convert: writes nothing" no "$(ls check/Data/Data01.Dat* >/dev/null 2>&1 && echo yes || echo no)"

printf 'J700\r\n' >check/Data/Data00.Dat
report=$(env -u DISPLAY timeout 10 "$TESSARO" check --json check)
check "check: exit status on an error" 1 "$?"
check "check --json: the finding" yes \
  "$(grep -q '"line": 1, "column": 1, "severity": "error"' <<<"$report" && echo yes || echo no)"
set -e

# Played as a path, the folder named "check" is a story like any other.
"$TESSARO" convert story.txt check/Data/Data00.Dat
start_program ./check
window=$(wait_window) || { echo "FAILED: no window for ./check"; exit 1; }
for _ in $(seq 40); do  # Space through its two page waits
  kill -0 "$PROGRAM_PID" 2>/dev/null || break
  timeout 2 xdotool windowfocus --sync "$window" key space 2>/dev/null || true
  sleep 0.25
done
wait_exit 5
check "./check plays to its end mark" 0 "$EXIT_STATUS"
finish
