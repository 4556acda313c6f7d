#!/usr/bin/env bash
# tessaro.exe under Wine draws the box's text pixel for pixel as the Linux build does: a page of
# ASCII with the page-wait "▲" after it, and a question with "⇒". Counting ink cannot tell a glyph
# from a hollow box; these compare every pixel of the box with text-pixels/*.png, the Linux
# build's own (build/tessaro under this X server). When a Linux build is at hand (TESSARO_LINUX,
# or build/tessaro beside the sources) its pixels are checked against the same pictures, so they
# cannot drift from it; TESSARO_WRITE_REFERENCES=1 writes them from it instead.
#
# Wine draws IPA Gothic with FreeType as the Linux build does, and the two agree to the pixel but
# for the lowest stroke of two glyphs: the tail of "y" and the "_" lie one pixel lower under Wine
# (where the row's clip cuts the "_" away). Those two have a case of their own with a bound of
# differing pixels (measured: 2 for each "y", 4 for each "_"); a missing glyph or a box in their
# place differs by tens of pixels. Every other case must match exactly.
source "$(dirname "$0")/lib/wine.bash"
start_x

REFERENCES="$(cd "$(dirname "$0")" && pwd)/text-pixels"
LINUX=${TESSARO_LINUX:-$(dirname "$0")/../../build/tessaro}
[ -x "$LINUX" ] || LINUX=""
[ -n "${TESSARO_WRITE_REFERENCES:-}" ] && [ -z "$LINUX" ] && { echo "FAILED: no Linux build to write from"; exit 1; }
# The message box with its outline: the picture area's (5, 200)-(295, 270), 2 pixels of border.
BOX=291x71+7+202
# Up to this many frames are looked at; the "▲" shows for about 51 ms in every 204.
FRAMES=80

# name|allowed differing pixels|the scenario's lines, "⏎" between them
CASES=$(cat <<'TABLE'
ascii|0|abcdfghijklmnopqrstuvwxz 0123456789⏎AHIKMNOUVY ?!#$%&*+-=@^~|;:'"<>/,.()[]{}`P
japanese|0|あいうえお、漢字とカタカナ。⏎全角　ＡＢＣ　１２３P
question|0|Q先へ進みますか? (ok/no)⏎はい (1)⏎いいえ (2)⏎G⏎G
lowest-strokes|16|quick brown fox jumps, lazy dog⏎y_y_yP
TABLE
)

write_scenario() { sed 's/⏎/\n/g' <<<"$1" | scenario "$SCRATCH/story" 00; }

# Samples the window's box; keeps the frame closest to REFERENCE (fewest differing pixels), or,
# without one, the frame with the most ink (the one that shows the "▲"). Stops at an exact match.
# Prints the differing pixels of the kept frame (or its ink) and leaves it in $SCRATCH/best.png.
best_frame() {  # best_frame WINDOW [REFERENCE]
  local window=$1 reference=${2:-} best="" score i
  for i in $(seq "$FRAMES"); do
    import -window "$window" -crop "$BOX" +repage "$SCRATCH/frame.png" 2>/dev/null || { sleep 0.05; continue; }
    if [ -n "$reference" ]; then
      score=$(compare -metric AE "$SCRATCH/frame.png" "$reference" null: 2>&1 || true)
      [[ $score =~ ^[0-9]+$ ]] || continue
      if [ -z "$best" ] || [ "$score" -lt "$best" ]; then best=$score; cp "$SCRATCH/frame.png" "$SCRATCH/best.png"; fi
      [ "$best" -eq 0 ] && break
    else
      score=$(convert "$SCRATCH/frame.png" -fill black +opaque white -fill white -opaque white \
                -format '%[fx:int(mean*w*h+0.5)]' info:)
      if [ -z "$best" ] || [ "$score" -gt "$best" ]; then best=$score; cp "$SCRATCH/frame.png" "$SCRATCH/best.png"; fi
    fi
    sleep "0.0$((i % 5 + 1))"  # uneven, so that the samples do not keep step with the blink
  done
  echo "${best:-none}"
}

# Starts the Linux build on the story and sets WINDOW (empty when none came).
run_linux() {
  SDL_AUDIODRIVER=dummy "$LINUX" "$SCRATCH/story" </dev/null >"$SCRATCH/out" 2>"$SCRATCH/err" &
  PROGRAM_PID=$!
  WINDOW=""
  for _ in $(seq 200); do
    WINDOW=$(xdotool search --class '^tessaro$' 2>/dev/null | head -n1 || true)
    [ -n "$WINDOW" ] && break
    sleep 0.05
  done
}

stop_program() {
  [ -n "$PROGRAM_PID" ] && kill "$PROGRAM_PID" 2>/dev/null || true
  wait_exit 5
}

while IFS='|' read -r name allowed lines; do
  write_scenario "$lines"
  reference="$REFERENCES/$name.png"
  if [ -n "$LINUX" ]; then
    run_linux
    window=$WINDOW
    [ -n "$window" ] || { echo "FAILED: no window of the Linux build"; exit 1; }
    sleep 1.5  # the text typed and the question shown
    if [ -n "${TESSARO_WRITE_REFERENCES:-}" ]; then
      best_frame "$window" >/dev/null
      cp "$SCRATCH/best.png" "$reference"
      echo "wrote $reference"
    else
      check "$name: the Linux build draws the reference (pixels differing)" 0 "$(best_frame "$window" "$reference")"
    fi
    stop_program
  fi
  [ -f "$reference" ] || { echo "FAILED: no $reference"; exit 1; }
  start_program "$SCRATCH/story" </dev/null  # not the table
  window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
  differing=$(best_frame "$window" "$reference")
  [ -n "${TESSARO_SHOTS:-}" ] && cp "$SCRATCH/best.png" "$TESSARO_SHOTS/text-$name.png"
  echo "$name: $differing pixels differ from the Linux build's"
  check "$name: tessaro.exe draws it as the Linux build (differing pixels within $allowed)" yes \
    "$([[ $differing =~ ^[0-9]+$ ]] && [ "$differing" -le "$allowed" ] && echo yes || echo "$differing")"
  stop_program
done <<<"$CASES"
[ -z "$LINUX" ] && echo "(no Linux build here: compared with the pictures in $REFERENCES only)"
finish
