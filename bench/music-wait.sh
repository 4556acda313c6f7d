#!/usr/bin/env bash
# What the program costs while music plays and the story waits: the real program in a private X
# server, on a story that starts the sample story's first piece and then waits. Prints the CPU
# time it takes of one core over the measured stretch, and its resident memory now and at its
# peak. Exits non-zero when a figure is above its target (3 % of a core, 45 MB).
#
#   bench/music-wait.sh [path/to/tessaro] [seconds]
#
# SDL_AUDIODRIVER picks the audio driver (dummy by default: it takes the sound at the pace of a
# real device and throws it away).
repo=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$repo/build/tessaro}")
seconds=${2:-10}
set -- "$program"
source "$repo/tests/window/lib/xvfb.bash"

readonly kCpuTarget=3 kMemoryTargetKb=$((45 * 1024))

start_x
story="$SCRATCH/story"
mkdir -p "$story/Bgm"
cp "$repo/story/Bgm/Bgm01.mid" "$story/Bgm/"
# The piece starts, then a long chain of timed waits keeps the story waiting well past the
# measurement.
{
  echo "B01X"
  for _ in $(seq 12); do printf 'T999%.0s' $(seq 10); echo; done
} | scenario "$story" 00

start_program "$story"
wait_window >/dev/null || { echo "no window"; cat "$SCRATCH/err"; exit 1; }
sleep 2  # past start-up: the soundfont is loaded and the music has begun

cpu_ticks() {  # user + system time of the program, in clock ticks
  awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$PROGRAM_PID/stat"
}
status_kb() {  # a field of /proc/PID/status, in kB
  awk -v field="$1:" '$1 == field { print $2 }' "/proc/$PROGRAM_PID/status"
}

ticks_per_second=$(getconf CLK_TCK)
start_ticks=$(cpu_ticks)
start_time=$(date +%s.%N)
sleep "$seconds"
kill -0 "$PROGRAM_PID" 2>/dev/null || { echo "the program ended during the measurement (does this build have the timed wait T?)"; cat "$SCRATCH/err"; exit 1; }
end_ticks=$(cpu_ticks)
end_time=$(date +%s.%N)

cpu=$(awk -v t="$((end_ticks - start_ticks))" -v hz="$ticks_per_second" -v a="$start_time" -v b="$end_time" \
  'BEGIN { printf "%.2f", 100 * t / hz / (b - a) }')
rss=$(status_kb VmRSS)
hwm=$(status_kb VmHWM)

echo "CPU while waiting with music: $cpu % of one core over $seconds s (target under $kCpuTarget %)"
echo "Resident memory: $((rss / 1024)) MB now (VmRSS $rss kB), $((hwm / 1024)) MB at its peak (VmHWM $hwm kB); target under 45 MB"
[ -s "$SCRATCH/err" ] && { echo "The program said:"; cat "$SCRATCH/err"; }

over=0
awk -v c="$cpu" -v t="$kCpuTarget" 'BEGIN { exit !(c >= t) }' && { echo "ABOVE TARGET: CPU"; over=1; }
[ "$hwm" -ge "$kMemoryTargetKb" ] && { echo "ABOVE TARGET: memory"; over=1; }
exit "$over"
