# Shared by the tests of the real program: a private X server, a scratch story folder, waiting
# for the window, reading its pixels, and checking results. Source it; $1 of the test is the
# program to run.
set -euo pipefail

TESSARO=${1:?usage: $0 path/to/tessaro}
SCRATCH=$(mktemp -d /tmp/tessaro-window-XXXXXX)
XVFB_PID=""
PROGRAM_PID=""
FAILURES=0
CHECKS=0

cleanup() {
  [ -n "$PROGRAM_PID" ] && kill "$PROGRAM_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$SCRATCH"
}
trap cleanup EXIT

# The reader's bookmarks and settings go to the scratch folder, never to the home folder; each
# start_program gets places of its own (a first start) unless the test names them in KEPT.
export XDG_STATE_HOME="$SCRATCH/kept/state" XDG_CONFIG_HOME="$SCRATCH/kept/config"
KEPT=""
RUNS=0

# Every question put to the X server is bounded: a window that has gone away, or a server that
# hangs, fails the check within seconds instead of holding the test to its overall time-out.
X_LIMIT=5
xdotool() { timeout "$X_LIMIT" xdotool "$@"; }
xwininfo() { timeout "$X_LIMIT" xwininfo "$@"; }
xprop() { timeout "$X_LIMIT" xprop "$@"; }
import() { timeout "$X_LIMIT" import "$@"; }
close_window() { timeout "$X_LIMIT" python3 "$(dirname "${BASH_SOURCE[0]}")/close_window.py" "$@"; }

# Starts Xvfb on a free display number and exports DISPLAY. Without -noreset the server resets
# each time its last client leaves, and a program started at that moment can lose its window.
# Only the server's built-in fonts, as on a stock machine: the program must not need X core fonts.
start_x() {
  exec 3>"$SCRATCH/display"
  Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-800x600x24}" -nolisten tcp -noreset -fp built-ins \
    >"$SCRATCH/xvfb.log" 2>&1 &
  XVFB_PID=$!
  # A loaded machine can take seconds to start it; a server that never says its number fails the
  # test here, by name, rather than every X call after it.
  for _ in $(seq 400); do
    [ -s "$SCRATCH/display" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  exec 3>&-
  [ -s "$SCRATCH/display" ] || { echo "FAILED: the X server did not start"; cat "$SCRATCH/xvfb.log"; exit 1; }
  export DISPLAY=":$(head -n1 "$SCRATCH/display")"
}

# Writes a scenario file from UTF-8 text, in code page 932 with CR LF line ends.
# scenario FOLDER NAME <<< "text"
scenario() {
  mkdir -p "$1/Data"
  sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$1/Data/Data$2.Dat"
}

# A one-question story: the first answer reaches the end mark, the second the game-over box.
question_story() {  # question_story FOLDER
  scenario "$1" 00 <<'TEXT'
Q先へ進みますか
はい
いいえ
FFFaeb
G
TEXT
}

# The reader's place's story: flag 05 set on the second page, a new picture on the third, and the
# fourth page's branch on the flag ends with the end mark (set) or the game-over box (clear).
resume_story() {  # resume_story FOLDER
  local sample
  sample="$(dirname "${BASH_SOURCE[0]}")/../../../story"
  mkdir -p "$1/Picture" "$1/Bgm"
  cp "$sample/Picture/Pic01.bmp" "$sample/Picture/Pic02.bmp" "$1/Picture/"
  cp "$sample/Bgm/Bgm01.mid" "$1/Bgm/"
  scenario "$1" 00 <<'TEXT'
L01B01X一頁目です。P
CS05二頁目です。P
CL02三頁目です。P
CF05a旗の道です。Pe
旗のない道です。G
TEXT
}

# Pixels of two shots in a rectangle of the client: "same" or how many differ.
same_in() {  # same_in A B WxH+X+Y
  local differ
  convert "$1" -crop "$3" +repage "$SCRATCH/a.png"
  convert "$2" -crop "$3" +repage "$SCRATCH/b.png"
  differ=$(timeout 5 compare -metric AE "$SCRATCH/a.png" "$SCRATCH/b.png" null: 2>&1 || true)
  [ "$differ" == 0 ] && echo same || echo "$differ differ"
}

# How many light pixels a window shows in the 12 x 12 cell at X Y (an answer's ⇒).
light() {  # light WINDOW X Y
  timeout 5 import -window "$1" -crop "12x12+$2+$3" -depth 8 gray:- 2>/dev/null |
    python3 -c 'import sys; print(sum(b > 128 for b in sys.stdin.buffer.read()))'
}

# Starts the program on a story folder in the background; its output goes to $SCRATCH/out.
start_program() {
  RUNS=$((RUNS + 1))
  local kept=${KEPT:-$SCRATCH/kept$RUNS}
  XDG_STATE_HOME="$kept/state" XDG_CONFIG_HOME="$kept/config" \
    SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} "$TESSARO" "$@" >"$SCRATCH/out" 2>"$SCRATCH/err" &
  PROGRAM_PID=$!
}

# Waits for the program's window and prints its id.
wait_window() {
  local id=""
  for _ in $(seq 400); do
    id=$(xdotool search --class '^tessaro$' 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  echo "FAILED: no window; the program said:" >&2
  cat "$SCRATCH/err" >&2
  kill -0 "$PROGRAM_PID" 2>/dev/null && echo "(it is still running)" >&2 || echo "(it has ended)" >&2
  return 1
}

# Waits at most $1 seconds for the program to end and sets EXIT_STATUS (or "still running").
# Runs in this shell, not in $(...), which cannot wait for the program.
wait_exit() {
  local limit=${1:-10}
  EXIT_STATUS="still running"
  for _ in $(seq $((limit * 20))); do
    if ! kill -0 "$PROGRAM_PID" 2>/dev/null; then
      set +e; wait "$PROGRAM_PID"; EXIT_STATUS=$?; set -e
      PROGRAM_PID=""
      return 0
    fi
    sleep 0.05
  done
}

# The colour of a pixel of a window, as "r,g,b"; x and y count from the window's client origin.
pixel() {
  import -window "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null |
    sed -n '2s/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}

# The program's message box (game over, or an error): a second top-level window captioned
# "Tessaro". xdotool's search does not read the name SDL gives it; xwininfo does.
message_box() {
  xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Tessaro".*/\1/p' | head -n1
}

# Waits up to 5 s for the message box and prints its id (nothing when it never came).
wait_message_box() {
  local box=""
  for _ in $(seq 100); do
    box=$(message_box)
    [ -n "$box" ] && break
    sleep 0.05
  done
  echo "$box"
}

# A window's place and size on the screen: "X Y WIDTH HEIGHT".
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }'
}

# How many pixels of a window's rectangle are dark (ink on a light face):
# ink WINDOW X Y WIDTH HEIGHT
ink() {
  import -window "$1" -crop "$4x$5+$2+$3" -depth 8 gray:- 2>/dev/null |
    python3 -c 'import sys; print(sum(b < 128 for b in sys.stdin.buffer.read()))'
}

# The window's caption as the window manager reads it.
caption() {
  xprop -id "$1" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'
}

check() {  # check DESCRIPTION EXPECTED ACTUAL
  CHECKS=$((CHECKS + 1))
  if [ "$2" == "$3" ]; then
    echo "ok: $1"
  else
    echo "FAILED: $1: expected '$2', got '$3'"
    FAILURES=$((FAILURES + 1))
  fi
}

finish() {
  echo "$((CHECKS - FAILURES)) passed, $FAILURES failed"
  [ "$FAILURES" -eq 0 ]
}
