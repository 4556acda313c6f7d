#!/usr/bin/env bash
# The browser build in a real headless Chromium (tests/web/page_test.js, driven by puppeteer-core),
# against the Linux build on the same stories: the Linux program is run in Xvfb first and its
# window's pixels at each page (and its game-over box) are kept as the reference the page must
# match pixel for pixel. Then the page is played by keys, clicks, taps and the wheel.
#   web.sh TESSARO BUILD_WEB     TESSARO: the Linux program; BUILD_WEB: scripts/build-web's folder
source "$(dirname "$0")/../window/lib/xvfb.bash"
SITE=$(cd "${2:?usage: $0 path/to/tessaro path/to/build-web}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
start_x

stories="$SCRATCH/stories"
refs="$SCRATCH/refs"
mkdir -p "$stories" "$refs"

# --- the stories ---
cp -r "$HERE/../../story" "$stories/sample"
rm -f "$stories/sample/expected-pixels.txt"
scenario "$stories/glyphs" 00 <<'TEXT'
あいうえお、かきくけこ。漢字と「かぎかっこ」…―～！？
ＡＢＣ１２３　ｱｲｳｴｵ half-width: hallo, world! (gjpqy) 0123
①②③ ㈱ ♪★◆ §¶ 〒〆々〇P
C二ページ目の文です。改行のあとも、同じ字で。
灯台の鍵を、祖母からあずかった。P
TEXT
mkdir -p "$stories/pictures/Picture"
python3 "$HERE/../windows/lib/bitmaps.py" "$stories/pictures/Picture" >/dev/null
{
  for n in 01 02 03 04 05 06 07 08 09 10 11 12; do echo "CL${n}絵 ${n}P"; done
} | scenario "$stories/pictures" 00
# A question whose answer sets a flag, a branch on it that shows Pic01 or Pic02, and a chained file.
scenario "$stories/question" 00 <<'TEXT'
Q行きますか。
はい
いいえ
FFFaS01J004bJ004
F01aL01J005bL02J005
C選びました。P
D01
TEXT
scenario "$stories/question" 01 <<'TEXT'
C続きのファイルです。P
TEXT
mkdir -p "$stories/question/Picture"
python3 "$HERE/../windows/lib/bitmaps.py" "$stories/question/Picture" >/dev/null
# Names are matched without regard to letter case, as on the desktop.
mv "$stories/question/Picture/Pic02.bmp" "$stories/question/Picture/PIC02.BMP"
mv "$stories/question/Picture" "$stories/question/picture"
mv "$stories/question/Data/Data01.Dat" "$stories/question/Data/DATA01.DAT"
# Music: a half-second piece that must be heard again and again (looped), then stopped; an effect.
mkdir -p "$stories/music/Bgm" "$stories/music/Wave"
python3 - "$stories/music/Bgm/Bgm01.mid" <<'PY'
import struct, sys
track = bytes([0x00, 0xC0, 0x00, 0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00])
with open(sys.argv[1], "wb") as f:
    f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480) + b"MTrk" + struct.pack(">I", len(track)) + track)
PY
cp "$stories/sample/Wave/Wave01.wav" "$stories/music/Wave/Wave01.wav"
scenario "$stories/music" 00 <<'TEXT'
B01X音楽が鳴っています。P
CZ止めました。P
CW01効果音です。P
CX続きを鳴らします。P
TEXT
resume_story "$stories/resume"
scenario "$stories/gameover" 00 <<'TEXT'
箱の後ろの文です。T100
G
TEXT
# No music: its page is made without the soundfont.
scenario "$stories/silent" 00 <<'TEXT'
音のない話です。P
TEXT
scenario "$stories/error" 00 <<'TEXT'
絵がありません。L77
TEXT
# A picture the list names that never comes (page_test.js takes it off the server).
scenario "$stories/late" 00 <<'TEXT'
L01C一枚目です。P
L02C二枚目です。P
TEXT
mkdir -p "$stories/late/Picture"
python3 "$HERE/../windows/lib/bitmaps.py" "$stories/late/Picture" >/dev/null
# The reader's actions every machine is tested with.
scenario "$stories/actions" 00 <"$HERE/../actions/page-wait-story.txt"

# --- the Linux build's pixels: each page once its text is typed, and the game-over box ---
capture_pages() {  # capture_pages STORY PAGES
  mkdir -p "$refs/$1"
  start_program "$stories/$1"
  WINDOW=$(wait_window) || { echo "FAILED: no Linux window for $1"; exit 1; }
  local page
  for page in $(seq -f %02g 1 "$2"); do
    sleep 2.5
    import -window "$WINDOW" -depth 8 "rgb:$refs/$1/$page.rgb" || { echo "FAILED: no Linux window for $1, page $page"; cat "$SCRATCH/err"; exit 1; }
    xdotool windowfocus --sync "$WINDOW" key space 2>/dev/null || true
  done
  kill "$PROGRAM_PID" 2>/dev/null || true
  wait "$PROGRAM_PID" 2>/dev/null || true
  PROGRAM_PID=""
}
capture_pages sample 3
capture_pages glyphs 2
capture_pages pictures 12
start_program "$stories/gameover"
WINDOW=$(wait_window) || { echo "FAILED: no Linux window"; exit 1; }
BOX=$(wait_message_box)
[ -n "$BOX" ] || { echo "FAILED: no Linux message box"; exit 1; }
sleep 0.5
mkdir -p "$refs/box"
read -r _ _ bw bh <<<"$(geometry "$BOX")"
import -window "$BOX" -depth 8 "rgb:$refs/box/gameover.rgb"
echo "$bw $bh" > "$refs/box/gameover.size"
kill "$PROGRAM_PID" 2>/dev/null || true
PROGRAM_PID=""

# --- the page ---
# The browser's own temporary files go into the scratch folder, removed at the end.
node "$HERE/page_test.js" --site "$SITE" --stories "$stories" --refs "$refs" --scratch "$SCRATCH"
