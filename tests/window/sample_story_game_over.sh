#!/usr/bin/env bash
# The sample story played to its game-over ending with real keys: Space through every page wait,
# Down held so that both questions take their second answer (the room, then sleep). Checks the
# pictures of each scene, the text in the box, the music and its stop at "Z", the game-over box
# and the clean exit after it is dismissed with Return.
source "$(dirname "$0")/lib/xvfb.bash"
source "$(dirname "$0")/lib/sample_story.bash"
start_x

start_sample_story
hold_down
play_on 90
check "the game-over box" yes "$([ -n "$GAME_OVER_BOX" ] && echo yes || echo no)"
[ -n "$GAME_OVER_BOX" ] || { cat "$SCRATCH/err"; finish; exit 1; }
# The box waits for the player; meanwhile the music stays stopped.
sleep 2
check "the program waits while the box is open" yes \
  "$(kill -0 "$PROGRAM_PID" 2>/dev/null && echo yes || echo no)"
box_at=$(since_start "$GAME_OVER_SHOWN")
xdotool keyup Down
xdotool windowfocus --sync "$GAME_OVER_BOX" key Return
wait_exit 5
note_end
check "exit status after the game-over box" 0 "$EXIT_STATUS"
[ "$EXIT_STATUS" == 0 ] || { cat "$SCRATCH/err"; finish; exit 1; }

# The town, the entrance hall, the living room, then the room at dusk (no sea), the room at
# night, then the morning (no lighthouse).
check_scenes Pic01 Pic07 Pic08 Pic09 Pic03 Pic06

read -r title_from title_to <<<"$(picture_span Pic01)"
read -r room_from room_to <<<"$(picture_span Pic03)"
read -r morning_from morning_to <<<"$(picture_span Pic06)"
check "music in the town" playing "$(music_between "$(plus "$title_from" 0.5)" "$title_to")"
# The second question comes at least three seconds after the room at night shows.
check "music in the room at night" playing \
  "$(music_between "$(plus "$room_from" 0.3)" "$(plus "$room_from" 2.0)")"
# Sleep: "Z" stops the music; over a second later the waves sound once.
read -r pause then <<<"$(pause_between "$(plus "$room_from" 2.0)" "$(plus "$morning_from" 0.3)")"
check "the music stops at sleep (a pause of at least 0.8 s)" yes "$(at_least "$pause" 0.8)"
check "the waves after the pause" "then sound" "$then"
check "silence while the game-over box is open" silent \
  "$(silence_between "$(plus "$box_at" 0.3)" "$(plus "$box_at" 1.8)")"
finish
