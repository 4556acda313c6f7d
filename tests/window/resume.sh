#!/usr/bin/env bash
# The reader's place in the real program: read to the third page, close the window, start again;
# the program asks (⇒ at 「続きから読む」), Space continues on the third page with its picture and
# text, the music plays, and a branch on a flag set before the close goes the same way. The story
# finished, the next start is a first start: the title, no question. The places for bookmarks and
# settings are this test's own (XDG_STATE_HOME, XDG_CONFIG_HOME).
source "$(dirname "$0")/lib/xvfb.bash"
start_x

story="$SCRATCH/story"
resume_story "$story"

KEPT="$SCRATCH/reader"
shot() { import -window "$1" "$2"; }
heard() {  # heard FILE: whether the audio file holds anything but silence (none: nothing played)
  python3 -c 'import os, sys; print("yes" if os.path.exists(sys.argv[1]) and any(open(sys.argv[1], "rb").read()) else "no")' "$1"
}
press() { xdotool windowfocus --sync "$1" key "$2"; }
# The picture above the box, and the box with the start of its first row (the blinking ▲ after
# the text left out).
PICTURE=304x198+0+0
ROW=80x70+2+200

# First sitting: up to the third page, then the window is closed.
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$SCRATCH/audio1.raw" start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1
shot "$window" "$SCRATCH/title.png"
press "$window" space
sleep 1
press "$window" space
sleep 1.2
shot "$window" "$SCRATCH/third.png"
check "a bookmark is kept in XDG_STATE_HOME/tessaro" 1 \
  "$(find "$KEPT/state/tessaro" -name '*.bookmark' 2>/dev/null | wc -l)"
check "only the user may read it" 600 "$(stat -c %a "$KEPT"/state/tessaro/*.bookmark)"
check "nothing is written in the story folder" "Bgm Data Picture" "$(ls "$story" | xargs)"
close_window "$window"
wait_exit 5
check "closed mid-story: status 0" 0 "$EXIT_STATUS"

# Second sitting: the question, then Space continues.
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$SCRATCH/audio2.raw" start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1
check "the question: ⇒ at the first answer" yes "$([ "$(light "$window" 17 227)" -gt 10 ] && echo yes || echo no)"
check "the question: no ⇒ at the second" 0 "$(light "$window" 17 242)"
check "the question: in the message box" "0,0,128" "$(pixel "$window" 290 265)"
check "nothing is heard before the answer" no "$(heard "$SCRATCH/audio2.raw")"
press "$window" space
sleep 1.5
shot "$window" "$SCRATCH/continued.png"
check "continued: the third page's picture" same "$(same_in "$SCRATCH/third.png" "$SCRATCH/continued.png" $PICTURE)"
check "continued: the third page's text" same "$(same_in "$SCRATCH/third.png" "$SCRATCH/continued.png" $ROW)"
check "continued: the music plays" yes "$(heard "$SCRATCH/audio2.raw")"
press "$window" space
sleep 1
press "$window" space
wait_exit 5
check "the flag set before the close takes its branch to the end mark" 0 "$EXIT_STATUS"
check "no game-over box" "" "$(message_box)"
check "the finished story keeps no bookmark" 0 "$(find "$KEPT/state/tessaro" -name '*.bookmark' | wc -l)"

# Third sitting: a first start again.
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1
shot "$window" "$SCRATCH/again.png"
check "the next start shows the title, no question" same "$(same_in "$SCRATCH/title.png" "$SCRATCH/again.png" $ROW)"
close_window "$window"
wait_exit 5

# --forget removes the story's bookmark; --from-start leaves it; a bad one costs a note only.
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1
press "$window" space
sleep 1
close_window "$window"
wait_exit 5
start_program --from-start "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1
shot "$window" "$SCRATCH/from-start.png"
check "--from-start: the title, no question" same "$(same_in "$SCRATCH/title.png" "$SCRATCH/from-start.png" $ROW)"
close_window "$window"
wait_exit 5
check "--from-start keeps the bookmark" 1 "$(find "$KEPT/state/tessaro" -name '*.bookmark' | wc -l)"
XDG_STATE_HOME="$KEPT/state" XDG_CONFIG_HOME="$KEPT/config" "$TESSARO" --forget "$story"
check "--forget removes it" 0 "$(find "$KEPT/state/tessaro" -name '*.bookmark' | wc -l)"

# The settings: muted in one sitting, muted in the next (the mark in the corner), in
# XDG_CONFIG_HOME/tessaro.
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1
press "$window" m
sleep 0.5
close_window "$window"
wait_exit 5
check "the settings are kept" yes "$(grep -q '^mute on$' "$KEPT/config/tessaro/settings" && echo yes || echo no)"
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1
check "muted again at the next start: the mark" "192,192,192" "$(pixel "$window" 297 6)"
close_window "$window"
wait_exit 5
# A damaged settings file is a line on standard error, and the story plays.
echo "Tessaro settings 1" >"$KEPT/config/tessaro/settings"
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
sleep 1
close_window "$window"
wait_exit 5
check "a damaged settings file: one line" "tessaro: the settings are ignored: $KEPT/config/tessaro settings is cut short" "$(cat "$SCRATCH/err")"
finish
