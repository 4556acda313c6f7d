#!/usr/bin/env bash
# The installed program plays the installed sample story, named as its story folder or, as when
# it is started from a menu, with no folder at all.
source "$(dirname "$0")/lib/xvfb.bash"
start_x

prefix="$SCRATCH/prefix"
cmake --install "$(dirname "$TESSARO")" --prefix "$prefix" >/dev/null
check "installed program" yes "$([ -x "$prefix/bin/tessaro" ] && echo yes || echo no)"
TESSARO="$prefix/bin/tessaro"
cd /  # nowhere near a story

for folder in "$prefix/share/tessaro/sample" ""; do
  how=${folder:+named}
  how=${how:-no folder}
  start_program ${folder:+"$folder"}
  window=$(wait_window) || { echo "FAILED: no window ($how)"; exit 1; }
  # The story opens on its first picture; poll until it is on screen.
  seen=""
  for _ in $(seq 40); do
    seen=$(pixel "$window" 207 136)
    [ "$seen" == "255,238,184" ] && break
    sleep 0.1
  done
  check "the sample story's first picture ($how)" "255,238,184" "$seen"
  kill -TERM "$PROGRAM_PID"
  wait_exit 5
  check "exit status when closed ($how)" 0 "$EXIT_STATUS"
done
finish
