#!/usr/bin/env bash
# The sample story played to its end mark with real keys: Space through every page wait, the
# first answer at both questions (the sea, then the lighthouse). Checks the pictures of each
# scene, the text in the box, the music that plays and the pause where it stops, and the clean
# exit at the end mark.
source "$(dirname "$0")/lib/xvfb.bash"
source "$(dirname "$0")/lib/sample_story.bash"
start_x

start_sample_story
play_on 90
check "no game-over box" "" "$GAME_OVER_BOX"
wait_exit 5
note_end
check "exit status at the end mark" 0 "$EXIT_STATUS"
[ "$EXIT_STATUS" == 0 ] || { cat "$SCRATCH/err"; finish; exit 1; }

# The town, the entrance hall, the living room, the sea, the room at night, the dark lighthouse,
# the lit one, the morning.
check_scenes Pic01 Pic07 Pic08 Pic02 Pic03 Pic04 Pic05 Pic06
# Nothing moved the arrow: every question seen pointed at the first answer.
for answer in $(questions_seen); do check "the arrow at the first answer" first "$answer"; done

read -r title_from title_to <<<"$(picture_span Pic01)"
read -r sea_from sea_to <<<"$(picture_span Pic02)"
read -r room_from room_to <<<"$(picture_span Pic03)"
read -r dark_from dark_to <<<"$(picture_span Pic04)"
read -r lit_from lit_to <<<"$(picture_span Pic05)"
read -r morning_from morning_to <<<"$(picture_span Pic06)"
check "music in the town" playing "$(music_between "$(plus "$title_from" 0.5)" "$title_to")"
check "music at the sea" playing "$(music_between "$sea_from" "$sea_to")"
check "music (the second tune from here on) in the room" playing "$(music_between "$(plus "$room_from" 0.5)" "$room_to")"
check "music at the dark lighthouse" playing \
  "$(music_between "$(plus "$dark_from" 0.3)" "$(plus "$dark_from" 1.5)")"
# "Z" stops the music for the one and a half seconds of timed waits before the lit lighthouse;
# then the bell rings and the first tune plays again.
read -r pause _ <<<"$(pause_between "$dark_from" "$(plus "$lit_from" 0.3)")"
check "the music stops before the light (a pause of at least 0.8 s)" yes "$(at_least "$pause" 0.8)"
check "music again at the lit lighthouse" playing \
  "$(music_between "$(plus "$lit_from" 0.5)" "$lit_to")"
check "music in the morning" playing "$(music_between "$morning_from" "$morning_to")"
finish
