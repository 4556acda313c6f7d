#!/usr/bin/env bash
# What the real program costs while the story waits at a page for Space (the cursor blinking), in
# a private X server: CPU of all its threads and their wakeups (voluntary and involuntary context
# switches) per second over $SECONDS_MEASURED seconds (20), and its resident memory; for a story
# without sound, the same at --scale 3, and with the music playing. Medians of $RUNS runs (5).
# Usage: bench/page-wait.sh [path/to/tessaro]
# ROWS picks the stories measured ("silent scaled music" by default).
# SDL_AUDIODRIVER picks the audio driver (dummy by default: it takes the sound at the pace of a
# real device and throws it away).
XVFB_SCREEN=1920x1280x24  # room for the window at --scale 3
source "$(dirname "$0")/lib/bench.bash"
SECONDS_MEASURED=${SECONDS_MEASURED:-20}

start_x
silent="$SCRATCH/silent" music="$SCRATCH/music"
scenario "$silent" 00 <<<"ページの終わりで待ちますP"
mkdir -p "$music/Bgm"
cp "$BENCH_REPO/story/Bgm/Bgm01.mid" "$music/Bgm/"
scenario "$music" 00 <<<"B01X音楽を聴きながら待ちますP"

measure() {  # measure [OPTION...] STORY: prints "cpu-percent wakeups-per-second rss-MB threads"
  start_program "$@"  # no trace: writing it would be part of what is measured
  wait_shown || exit 1
  sleep 2  # past the text, into the page wait
  local c0 s0 t0 c1 s1 t1
  c0=$(cpu_ns) s0=$(switches) t0=$(date +%s%N)
  sleep "$SECONDS_MEASURED"
  c1=$(cpu_ns) s1=$(switches) t1=$(date +%s%N)
  kill -0 "$PROGRAM_PID" 2>/dev/null || { echo "FAILED: the program ended"; cat "$SCRATCH/err"; exit 1; }
  awk -v c=$((c1 - c0)) -v s=$((s1 - s0)) -v t=$((t1 - t0)) -v r="$(rss_kb)" -v n="$(threads)" \
    'BEGIN { printf "%.3f %.1f %.1f %d\n", 100 * c / t, s / (t / 1e9), r / 1024, n }'
  stop_program
}

# What waking costs on this machine now: a process that does nothing but sleep 50 ms at a time.
# The host's load moves every figure here by a third over an hour; this one moves with them.
reference() {
  perl -e 'select(undef, undef, undef, 0.05) while 1' &
  PROGRAM_PID=$!
  sleep 1
  local c0 t0 c1 t1
  c0=$(cpu_ns) t0=$(date +%s%N)
  sleep 10
  c1=$(cpu_ns) t1=$(date +%s%N)
  stop_program
  awk -v c=$((c1 - c0)) -v t=$((t1 - t0)) 'BEGIN { printf "%.3f\n", 100 * c / t }'
}
bare=$(reference)
note "a bare loop waking 20 times a second, CPU" "$bare" % "$bare"

for name in ${ROWS:-silent scaled music}; do
  cpus=() wakeups=() rss=()
  for _ in $(seq "$RUNS"); do
    if [ "$name" = scaled ]; then story=("--scale" 3 "$silent"); else story=("${!name}"); fi
    read -r cpu wake mb count < <(measure "${story[@]}")
    cpus+=("$cpu") wakeups+=("$wake") rss+=("$mb")
  done
  if [ "$name" = silent ]; then
    echo "page wait, no sound ($count threads):"
    figure "  CPU, % of one core" "$(median "${cpus[@]}")" % 0.25 "${cpus[@]}"
    figure "  wakeups per second" "$(median "${wakeups[@]}")" /s 25 "${wakeups[@]}"
    figure "  resident memory" "$(median "${rss[@]}")" MB 22 "${rss[@]}"
  elif [ "$name" = scaled ]; then
    echo "page wait, no sound, --scale 3 ($count threads):"
    figure "  CPU, % of one core" "$(median "${cpus[@]}")" % 1.0 "${cpus[@]}"
    note "  wakeups per second" "$(median "${wakeups[@]}")" /s "${wakeups[@]}"
    note "  resident memory" "$(median "${rss[@]}")" MB "${rss[@]}"
  else
    echo "page wait, music playing ($count threads):"
    figure "  CPU, % of one core" "$(median "${cpus[@]}")" % 2.0 "${cpus[@]}"
    note "  wakeups per second" "$(median "${wakeups[@]}")" /s "${wakeups[@]}"
    figure "  resident memory" "$(median "${rss[@]}")" MB 30 "${rss[@]}"
  fi
done
bench_finish
