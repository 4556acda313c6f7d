#!/usr/bin/env bash
# tessaro.exe under Wine reads every variant of the bitmap format that the Linux build reads
# (lib/bitmaps.py: 1 to 32 bits a pixel, run-length, bit fields, rows from the top, the OS/2
# header): each picture shows at the top-left with its four quadrants in their colours.
source "$(dirname "$0")/lib/wine.bash"
start_x

story="$SCRATCH/story"
mkdir -p "$story/Picture"
mapfile -t variants < <(python3 "$(dirname "$0")/lib/bitmaps.py" "$story/Picture")
for variant in "${variants[@]}"; do echo "L${variant%% *}P"; done | scenario "$story" 00
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
focus "$window"
for variant in "${variants[@]}"; do
  sleep 0.4
  # Quadrant centres, in client pixels (picture area + 2): a 1-bit picture has red over blue.
  shown="$(pixel "$window" 12 12) $(pixel "$window" 32 12) $(pixel "$window" 12 32) $(pixel "$window" 32 32)"
  expected="255,0,0 0,255,0 0,0,255 255,255,255"
  [[ $variant == *1-bit ]] && expected="255,0,0 255,0,0 0,0,255 0,0,255"
  check "${variant#* }" "$expected" "$shown"
  type_into "$window" space
done
wait_exit 10
check "exit status after the last picture" 0 "$EXIT_STATUS"
finish
