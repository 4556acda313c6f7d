# Shared by the tests that play the sample story to its endings: a copy of the story, a player
# that presses Space through it while noting what the window shows, and the loudness of what the
# program played (SDL's "disk" audio driver writes it to a file in real time). Source it after
# xvfb.bash.

SAMPLE_STORY="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../../story" && pwd)"
STORY_CHECK="$(dirname "${BASH_SOURCE[0]}")/story_check.py"
# The system's interpreter starts in a few tens of milliseconds; a version manager's shim may take
# ten times as long, and the player asks it twice a second.
PYTHON=/usr/bin/python3
[ -x "$PYTHON" ] || PYTHON=python3

AUDIO="$SCRATCH/audio.raw"
TIMELINE="$SCRATCH/timeline"
STARTED=""   # clock time when the window appeared (the audio starts then)
ENDED=""     # clock time when the program ended (the audio stops then)
GAME_OVER_BOX=""
GAME_OVER_SHOWN=""

now() { date +%s.%N; }

# Copies the sample story into $SCRATCH/story and starts the program on it, the audio going to
# $AUDIO; waits for the window and sets WINDOW.
start_sample_story() {
  cp -r "$SAMPLE_STORY" "$SCRATCH/story"
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$AUDIO" start_program "$SCRATCH/story"
  WINDOW=$(wait_window) || { echo "FAILED: no window"; exit 1; }
  STARTED=$(now)
}

# What the window shows now: sets PICTURE (PicNN or none), TEXT (text or empty) and QUESTION
# (first, second or none: where the arrow of a question points). Fails when the window is gone.
look() {
  import -window "$WINDOW" -depth 8 "rgb:$SCRATCH/shot.rgb" 2>/dev/null || return 1
  read -r PICTURE TEXT QUESTION < <("$PYTHON" "$STORY_CHECK" screen "$SCRATCH/shot.rgb" \
                                      "$SCRATCH/story/expected-pixels.txt")
}

# Plays on: presses Space in the window every ~0.3 s (a Space that comes while text is typing or
# during a timed wait is forgotten by the next step, so only the page waits and questions take
# them) until the program ends or the game-over box shows, at most $1 seconds. Each look at the
# window adds "SECONDS-SINCE-START PICTURE TEXT QUESTION" to $TIMELINE.
play_on() {
  local limit=$1 deadline
  deadline=$(($(date +%s) + limit))
  while kill -0 "$PROGRAM_PID" 2>/dev/null; do
    if [ "$(date +%s)" -gt "$deadline" ]; then
      echo "FAILED: the story did not end within $limit seconds"
      FAILURES=$((FAILURES + 1))
      return 1
    fi
    GAME_OVER_BOX=$(message_box)
    if [ -n "$GAME_OVER_BOX" ]; then
      GAME_OVER_SHOWN=$(now)
      return 0
    fi
    if look; then
      echo "$(since_start "$(now)") $PICTURE $TEXT $QUESTION" >>"$TIMELINE"
    fi
    xdotool windowfocus --sync "$WINDOW" key space 2>/dev/null || true
    sleep 0.25
  done
}

# Seconds from the window's appearance to clock time $1.
since_start() { awk -v t="$1" -v s="$STARTED" 'BEGIN { printf "%.3f", t - s }'; }

# The pictures in the order they were seen, each once: "Pic01 Pic02 ...".
pictures_seen() {
  awk '$2 != "none" && $2 != last { printf "%s%s", sep, $2; sep = " "; last = $2 }' "$TIMELINE"
}

# First and last second a picture was seen: "FIRST LAST".
picture_span() {
  awk -v p="$1" '$2 == p { if (first == "") first = $1; last = $1 } END { print first, last }' \
    "$TIMELINE"
}

# Whether text was seen in the box while the picture was on screen: yes or no.
text_with() {
  awk -v p="$1" '$2 == p && $3 == "text" { found = 1 } END { print found ? "yes" : "no" }' \
    "$TIMELINE"
}

# The arrow positions of the question screens seen, each run of looks once: "first second ...".
questions_seen() {
  awk '$4 != last && $4 != "none" { printf "%s%s", sep, $4; sep = " " } { last = $4 }' "$TIMELINE"
}

# Marks the program's end (call right after wait_exit).
note_end() { ENDED=$(now); }

# The audio file's second for a clock second since the window appeared. The disk driver's clock
# runs a little off the wall clock, so the two ends of the run are matched: the audio starts when
# the window appears and stops when the program ends.
audio_second() {  # audio_second SECONDS-SINCE-START
  local length run
  length=$("$PYTHON" "$STORY_CHECK" seconds "$AUDIO")
  run=$(since_start "$ENDED")
  awk -v t="$1" -v l="$length" -v r="$run" 'BEGIN { printf "%.3f", t * l / r }'
}

# The loudness of each 0.1 s block of the audio between two clock seconds since the start.
levels() {  # levels FROM TO
  "$PYTHON" "$STORY_CHECK" levels "$AUDIO" "$(audio_second "$1")" "$(audio_second "$2")"
}

# Below this a 0.1 s block is silence (what the program plays when nothing sounds is exact
# zeros); music and effects stay far above the other one.
SILENT_BELOW=50
LOUD_FROM=1000

# "playing" when at least nine in ten of the 0.1 s blocks between two seconds since the start are
# loud, else a summary of the blocks.
music_between() {  # music_between FROM TO
  levels "$1" "$2" | awk -v loud="$LOUD_FROM" '
    { n++; if ($1 >= loud) l++ }
    END { if (n >= 3 && l >= 0.9 * n) print "playing"; else printf "%d of %d blocks loud\n", l, n }'
}

# "silent" when every 0.1 s block between two seconds since the start is silent.
silence_between() {  # silence_between FROM TO
  levels "$1" "$2" | awk -v quiet="$SILENT_BELOW" '
    { n++; if ($1 >= quiet) s++ }
    END { if (n >= 3 && s == 0) print "silent"; else printf "%d of %d blocks sound\n", s, n }'
}

# The longest run of silent 0.1 s blocks between two seconds since the start, and whether
# sound follows it in that stretch: "PAUSE-SECONDS then sound" or "PAUSE-SECONDS".
pause_between() {  # pause_between FROM TO
  levels "$1" "$2" | awk -v quiet="$SILENT_BELOW" '
    $1 < quiet { run++; if (run > best) { best = run; after = 0 }; next }
    { run = 0; if (best > 0) after = 1 }
    END { printf "%.1f%s\n", best / 10, after ? " then sound" : "" }'
}

# "yes" when the number $1 is at least $2, else the number.
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { if (a + 0 >= b + 0) print "yes"; else print a }'; }

# A clock second since the start plus $2 seconds.
plus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a + b }'; }

# Checks the pictures seen in order, and that text stood in the box with each of them.
check_scenes() {  # check_scenes PICTURE...
  check "the pictures, in order" "$*" "$(pictures_seen)"
  local p
  for p in "$@"; do check "text in the box with $p" yes "$(text_with "$p")"; done
}

# Holds Down in the window from now on: every question then takes its second answer, however the
# Spaces fall (a question reads Down before Space in each pass). The key is let go at the end.
hold_down() {
  xdotool windowfocus --sync "$WINDOW" keydown Down
  trap 'xdotool keyup Down 2>/dev/null || true; cleanup' EXIT
}
