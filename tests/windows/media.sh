#!/usr/bin/env bash
# tessaro.exe under Wine: the music's MCI command strings and the sound effects, as sent to
# Windows and as it answered (TESSARO_MEDIA_TRACE), since nothing can be heard here. Without a
# sound card Wine's sequencer says "playing" for ever: the story must go on regardless. The
# music timer keeps asking while the game-over box is open. Then a story in a folder named in
# Japanese, under Wine's default locale and a Japanese one.
source "$(dirname "$0")/lib/wine.bash"
start_x

story="$SCRATCH/my story"  # a folder name the music device must be given in quotes
scenario "$story" 00 <<'TEXT'
B01W01あT200X音楽T999T500Z
B02W09い
B01XG
TEXT
mkdir -p "$story/Bgm" "$story/Wave"
cp "$(dirname "$0")/../../story/Bgm/Bgm01.mid" "$story/Bgm/BGM01.MID"  # names as Windows matches them
cp "$(dirname "$0")/../../story/Wave/Wave01.wav" "$story/Wave/Wave01.wav"
export TESSARO_MEDIA_TRACE="$SCRATCH/trace"
start_program "$story"
window=$(wait_window) || { echo "FAILED: no window"; exit 1; }
box=$(wait_message_box)
check "the game-over box" yes "$([ -n "$box" ] && echo yes || echo no)"
# The music timer goes on asking while the box is open.
before=$(grep -c $'\tstatus MIDI mode\t' "$SCRATCH/trace" || true)
sleep 2.5
after=$(grep -c $'\tstatus MIDI mode\t' "$SCRATCH/trace" || true)
check "the timer ticks while the box is open" yes "$([ $((after - before)) -ge 2 ] && echo yes || echo "$before then $after")"
[ -n "$box" ] && type_into "$box" Return
wait_exit 5
check "the story ends with status 0" 0 "$EXIT_STATUS"
dir=$(windows_path "$story")
# "kind TAB what was sent TAB Windows' answer (error code, text)", the status queries aside.
check "the commands, in order, and Windows' answers" "$(cat <<EXPECTED
mci	close MIDI notify	263	
mci	open "$dir\\Bgm\\Bgm01.mid" alias MIDI	0	
wave	$dir\\Wave\\Wave01.wav	1
mci	play MIDI notify	0	
mci	stop MIDI notify	0	
mci	close MIDI notify	0	
mci	open "$dir\\Bgm\\Bgm02.mid" alias MIDI	275	
wave	$dir\\Wave\\Wave09.wav	0
mci	close MIDI notify	263	
mci	open "$dir\\Bgm\\Bgm01.mid" alias MIDI	0	
mci	play MIDI notify	0	
EXPECTED
)" "$(grep -v $'\tstatus MIDI mode\t' "$SCRATCH/trace" || true)"
# While the music plays (from "play" to the next "stop" or "close") the answer is "playing"; it
# is never "stopped" there, so nothing restarts it.
answers=$(awk -F '\t' '$2 ~ /^play / { on = 1 } $2 ~ /^(stop|close) / { on = 0 }
                        on && $2 == "status MIDI mode" && $3 == 0 { print $4 }' "$SCRATCH/trace" |
          sort | uniq -c | awk '{ print ($1 >= 1 ? "asked" : "never"), $2 }')
check "the timer's status queries while the music plays" "asked playing" "$answers"
check "no restart without a stop" "" "$(grep $'\tseek MIDI to start\t' "$SCRATCH/trace" || true)"

# A folder named in Japanese. The music device takes the path through the ANSI code page, so
# under a locale without Japanese the name as it stands finds no file (275, then 281 for "no such
# device"): the program names the file by its short form, in plain ASCII, and the music opens
# under both locales. The effect is read by the program and played from memory in both: Wine's
# own trace shows it found the wave's data (without a sound card it then stops).
# locale|music's answers to open, play, stop
LOCALES=$(cat <<'TABLE'
C.UTF-8|0 0 0
ja_JP.UTF-8|0 0 0
TABLE
)
story="$SCRATCH/物語 フォルダ"
scenario "$story" 00 <<'TEXT'
B01W01あT300X音楽T300Z
TEXT
mkdir -p "$story/Bgm" "$story/Wave"
cp "$(dirname "$0")/../../story/Bgm/Bgm01.mid" "$story/Bgm/Bgm01.mid"
cp "$(dirname "$0")/../../story/Wave/Wave01.wav" "$story/Wave/Wave01.wav"
dir=$(windows_path "$story")
while IFS='|' read -r locale answers; do
  export LANG=$locale LC_ALL=$locale
  prepare_prefix  # Wine's settings for the locale, and the tests' own again
  rm -f "$SCRATCH/trace"
  WINEDEBUG=-all,trace+winmm start_program "$story" </dev/null
  wait_exit 20
  check "$locale: the story ends with status 0" 0 "$EXIT_STATUS"
  check "$locale: nothing for the reader on standard error" "" "$(program_errors)"
  check "$locale: the music's answers" "$answers" \
    "$(awk -F '\t' '$2 ~ /^(open|play|stop) / { printf "%s%s", sep, $3; sep = " " }' "$SCRATCH/trace")"
  check "$locale: the music's file named in ASCII" yes \
    "$(grep -P '^mci\topen "[\x20-\x7e]+" alias MIDI\t' "$SCRATCH/trace" >/dev/null && echo yes || grep '^mci.open' "$SCRATCH/trace")"
  check "$locale: the effect handed over" "wave	$dir\\Wave\\Wave01.wav	1" "$(grep '^wave' "$SCRATCH/trace" || true)"
  check "$locale: Wine found the effect's sound data" yes \
    "$(tr -d '\r' <"$SCRATCH/err" | grep -q 'proc_PlaySound Chunk Found ckid=data' && echo yes || echo no)"
done <<<"$LOCALES"
finish
