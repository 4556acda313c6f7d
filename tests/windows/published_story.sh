#!/usr/bin/env bash
# A story as its author publishes it for Windows: `tessaro publish --windows` (the Linux program
# of the same tree, build/tessaro, or $LINUX_TESSARO) with this tessaro.exe as its runtime, the
# zip unzipped into a folder with a Japanese name, and tessaro.exe started there without an
# argument (a double-click): the first page shows its picture and its text, and the zip holds
# the read-me and the notices.
source "$(dirname "$0")/lib/wine.bash"
source "$(dirname "$0")/../window/lib/sample_story.bash"
LINUX_TESSARO=${LINUX_TESSARO:-$(cd "$(dirname "$0")/../.." && pwd)/build/tessaro}
[ -x "$LINUX_TESSARO" ] || { echo "FAILED: no $LINUX_TESSARO to publish with (build Tessaro first)"; exit 1; }
start_x

# The runtimes as the build ships them, with this tessaro.exe.
runtime=$SCRATCH/runtime
mkdir -p "$runtime/windows/licenses"
cp -r "$(dirname "$LINUX_TESSARO")/runtime/notices" "$runtime/"
cp "$TESSARO_EXE" "$runtime/windows/"
cp "$(dirname "$TESSARO_EXE")"/licenses/* "$runtime/windows/licenses/" ||
  { echo "FAILED: no licenses/ beside $TESSARO_EXE (scripts/build-windows puts them there)"; exit 1; }

story=$SCRATCH/灯台の鍵
cp -r "$SAMPLE_STORY" "$story"
TESSARO_RUNTIME=$runtime "$LINUX_TESSARO" publish --windows --out "$SCRATCH/zips" "$story" >"$SCRATCH/publish.log" 2>&1 ||
  { echo "FAILED: publish: $(cat "$SCRATCH/publish.log")"; exit 1; }
downloads=$SCRATCH/ダウンロード
mkdir -p "$downloads"
unzip -q "$SCRATCH/zips/灯台の鍵-windows.zip" -d "$downloads" || { echo "FAILED: unzip"; exit 1; }
for f in tessaro.exe README.txt licenses/NOTICES.txt licenses/Tessaro.txt licenses/MinGW-w64.txt licenses/GCC-runtime.txt; do
  check "the bundle holds $f" yes "$([ -f "$downloads/灯台の鍵/$f" ] && echo yes || echo no)"
done
# What look() compares the window with.
mkdir -p "$SCRATCH/story" && cp "$SAMPLE_STORY/expected-pixels.txt" "$SCRATCH/story/"

PROGRAM_EXE="$downloads/灯台の鍵/tessaro.exe" start_program
WINDOW=$(wait_window) || { echo "FAILED: no window"; exit 1; }
focus "$WINDOW"
PICTURE=none TEXT=""
for _ in $(seq 100); do  # the first page types in within a few seconds
  look || break
  [ "$PICTURE" == Pic01 ] && [ -n "$TEXT" ] && break
  sleep 0.1
done
check "the first page's picture" Pic01 "$PICTURE"
check "the first page's text in the box" yes "$([ -n "$TEXT" ] && echo yes || echo no)"
check "nothing on standard error" "" "$(program_errors)"
finish
