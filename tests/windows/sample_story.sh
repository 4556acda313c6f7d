#!/usr/bin/env bash
# The sample story as a Windows player gets it: unzipped, tessaro.exe beside the story's folders,
# started without an argument (a double-click), played under Wine with real keys to both endings. Checks
# the pictures of each scene in order, the text in the box, where the question arrows point, the
# game-over box and the exit statuses. The music is checked by media.sh (nothing can be heard).
source "$(dirname "$0")/lib/wine.bash"
source "$(dirname "$0")/../window/lib/sample_story.bash"
start_x

# The story in a folder of its own with the program beside it, from the zip that players get
# when scripts/build-windows made one beside the program; sets WINDOW.
ZIP="$(dirname "$TESSARO_EXE")/tessaro-windows.zip"
start_beside_story() {
  rm -rf "$SCRATCH/story" "$SCRATCH/Tessaro" "$TIMELINE"
  if [ -f "$ZIP" ] && [ -z "$(find "$SAMPLE_STORY" "$TESSARO_EXE" -newer "$ZIP" -print -quit)" ]; then  # not an old one
    unzip -q "$ZIP" -d "$SCRATCH" && mv "$SCRATCH/Tessaro" "$SCRATCH/story"
    cp "$SAMPLE_STORY/expected-pixels.txt" "$SCRATCH/story/"  # what the looks compare with
  else
    cp -r "$SAMPLE_STORY" "$SCRATCH/story"
    cp "$TESSARO_EXE" "$SCRATCH/story/tessaro.exe"
  fi
  PROGRAM_EXE="$SCRATCH/story/tessaro.exe" start_program
  WINDOW=$(wait_window) || { echo "FAILED: no window"; exit 1; }
  STARTED=$(now)
  focus "$WINDOW"
}

# Space through every page wait; each question takes its first answer: the end mark.
start_beside_story
play_on 90
check "no game-over box" "" "$GAME_OVER_BOX"
wait_exit 5
check "exit status at the end mark" 0 "$EXIT_STATUS"
check_scenes Pic01 Pic07 Pic08 Pic02 Pic03 Pic04 Pic05 Pic06
for answer in $(questions_seen); do check "the arrow at the first answer" first "$answer"; done
check "questions seen" yes "$([ -n "$(questions_seen)" ] && echo yes || echo no)"

# Down held: both questions take their second answer, and the story ends in the game-over box.
start_beside_story
hold_down
play_on 90
check "the game-over box" yes "$([ -n "$GAME_OVER_BOX" ] && echo yes || echo no)"
xdotool keyup Down
check_scenes Pic01 Pic07 Pic08 Pic09 Pic03 Pic06
# (Where the arrow stands is not checked here: the story answers at the first Space after the
# question shows, while the first frame may still show the arrow at the first answer. The scenes
# show which answers were taken; boxes.sh checks the arrow moving.)
if [ -n "$GAME_OVER_BOX" ]; then
  sleep 0.5
  timeout 5 import -window "$GAME_OVER_BOX" "$SCRATCH/game-over.png" 2>/dev/null || true
  differ=$(timeout 5 compare -metric AE -fuzz 10% "$SCRATCH/game-over.png" \
             "$(dirname "$0")/game-over-box.png" null: 2>&1 || true)
  check "the game-over box reads ゲームオーバー！ (pixels differing)" 0 "$differ"
  type_into "$GAME_OVER_BOX" Return
fi
wait_exit 5
check "exit status after the game-over box" 0 "$EXIT_STATUS"
check "nothing on standard error" "" "$(program_errors)"
finish
