#!/usr/bin/env bash
# The reader's place in tessaro.exe under Wine, as on Linux (tests/window/resume.sh): read to the
# third page, close the window, start again; the program asks, Space continues on the third page
# with its picture and text, the music is played (as Windows was asked and answered:
# TESSARO_MEDIA_TRACE), and a branch on a flag set before the close goes the same way. Finished,
# the next start is a first start. The bookmark is in %APPDATA%\Tessaro of the tests' prefix.
source "$(dirname "$0")/lib/wine.bash"
start_x

story="$SCRATCH/story"
resume_story "$story"

rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Tessaro
KEPT=yes
bookmarks() { find "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Tessaro -name '*.bookmark' 2>/dev/null | wc -l; }
shot() { timeout 5 import -window "$1" "$2"; }
PICTURE=304x198+0+0
ROW=80x70+2+200

start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1.5
shot "$window" "$SCRATCH/title.png"
type_into "$window" space
sleep 1.2
type_into "$window" space
sleep 1.5
shot "$window" "$SCRATCH/third.png"
check "a bookmark is kept in %APPDATA%\\Tessaro" 1 "$(bookmarks)"
check "nothing is written in the story folder" "Bgm Data Picture" "$(ls "$story" | xargs)"
close_window "$window"
wait_exit 10
check "closed mid-story: status 0" 0 "$EXIT_STATUS"

export TESSARO_MEDIA_TRACE="$SCRATCH/trace"
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1.5
check "the question: ⇒ at the first answer" yes "$([ "$(light "$window" 17 227)" -gt 10 ] && echo yes || echo no)"
check "the question: no ⇒ at the second" 0 "$(light "$window" 17 242)"
check "no music before the answer" "" "$(grep -v $'\tstatus MIDI mode\t' "$SCRATCH/trace" 2>/dev/null || true)"
type_into "$window" space
sleep 2
shot "$window" "$SCRATCH/continued.png"
check "continued: the third page's picture" same "$(same_in "$SCRATCH/third.png" "$SCRATCH/continued.png" $PICTURE)"
check "continued: the third page's text" same "$(same_in "$SCRATCH/third.png" "$SCRATCH/continued.png" $ROW)"
dir=$(windows_path "$story")
check "continued: the music opened and played" "$(printf 'mci\tclose MIDI notify\t263\t\nmci\topen %s alias MIDI\t0\t\nmci\tplay MIDI notify\t0\t' "$dir\\Bgm\\Bgm01.mid")" \
  "$(grep -v $'\tstatus MIDI mode\t' "$SCRATCH/trace" | head -n3 || true)"
unset TESSARO_MEDIA_TRACE
type_into "$window" space
sleep 1.2
type_into "$window" space
wait_exit 10
check "the flag set before the close takes its branch to the end mark" 0 "$EXIT_STATUS"
check "no game-over box" "" "$(message_box)"
check "the finished story keeps no bookmark" 0 "$(bookmarks)"

start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1.5
shot "$window" "$SCRATCH/again.png"
check "the next start shows the title, no question" same "$(same_in "$SCRATCH/title.png" "$SCRATCH/again.png" $ROW)"
close_window "$window"
wait_exit 10
check "nothing on standard error" "" "$(program_errors)"
finish
