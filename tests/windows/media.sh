#!/usr/bin/env bash
# tessaro.exe under Wine: the music's MCI command strings and the sound effects, as sent to
# Windows and as it answered (TESSARO_MEDIA_TRACE), since nothing can be heard here. Without a
# sound card Wine's sequencer says "playing" for ever: the story must go on regardless.
source "$(dirname "$0")/lib/wine.bash"
start_x

story="$SCRATCH/story"
scenario "$story" 00 <<'TEXT'
B01W01あT200X音楽T999T500Z
B02W09い
TEXT
mkdir -p "$story/Bgm" "$story/Wave"
cp "$(dirname "$0")/../../story/Bgm/Bgm01.mid" "$story/Bgm/BGM01.MID"  # names as Windows matches them
cp "$(dirname "$0")/../../story/Wave/Wave01.wav" "$story/Wave/Wave01.wav"
export TESSARO_MEDIA_TRACE="$SCRATCH/trace"
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
wait_exit 15
check "the story ends with status 0" 0 "$EXIT_STATUS"
dir=$(windows_path "$story")
# "kind TAB what was sent TAB Windows' answer (error code, text)", the status queries aside.
check "the commands, in order, and Windows' answers" "$(cat <<EXPECTED
mci	close MIDI notify	263	
mci	open $dir\\Bgm\\Bgm01.mid alias MIDI	0	
wave	$dir\\Wave\\Wave01.wav	1
mci	play MIDI notify	0	
mci	stop MIDI notify	0	
mci	close MIDI notify	0	
mci	open $dir\\Bgm\\Bgm02.mid alias MIDI	275	
wave	$dir\\Wave\\Wave09.wav	1
EXPECTED
)" "$(grep -v $'\tstatus MIDI mode\t' "$SCRATCH/trace" || true)"
# The music timer asks once a second while the music is open; the answer is never "stopped".
answers=$(awk -F '\t' '$2 == "status MIDI mode" && $3 == 0 { print $4 }' "$SCRATCH/trace" | sort | uniq -c | awk '{ print ($1 >= 1 ? "asked" : "never"), $2 }')
check "the timer's status queries while the music is open" "asked playing" "$answers"
check "no restart without a stop" "" "$(grep $'\tseek MIDI to start\t' "$SCRATCH/trace" || true)"
finish
