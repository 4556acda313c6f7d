# Shared by the tests of tessaro.exe under Wine: the window tests' helpers (lib/xvfb.bash), with
# the X server started as on a stock machine (no core fonts), a private Wine prefix prepared once
# and kept beside the program, and the program started through wine. Source it; $1 of the test is
# tessaro.exe. Every wait is bounded: a missing window or box reports within seconds.
source "$(dirname "${BASH_SOURCE[0]}")/../../window/lib/xvfb.bash"

TESSARO_EXE="$(cd "$(dirname "$TESSARO")" && pwd)/$(basename "$TESSARO")"
export WINEPREFIX=${WINEPREFIX:-$(dirname "$TESSARO_EXE")/wine-prefix}
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs at the first start; no sound card is not an error.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

cleanup() {
  [ -n "$PROGRAM_PID" ] && kill "$PROGRAM_PID" 2>/dev/null || true
  # Wine's own processes of this prefix, and only those, go with the test's X server.
  timeout 10 wineserver -k 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$SCRATCH"
}

# The window tests' X server (no core fonts, as on a stock machine), then the prefix.
eval "x_server_$(declare -f start_x)"
start_x() {
  x_server_start_x
  prepare_prefix
}

# A Wine prefix for the tests alone, made once (10 to 20 s) and reused, with two font settings.
# The picture area's face, "ＭＳ ゴシック", is replaced by IPA Gothic, as a Japanese Windows has MS
# Gothic: left to itself, Wine takes whatever face fontconfig offers for Japanese, and with Droid
# Sans Fallback on the machine (which other packages bring) the ASCII, "▲" and "⇒" come out as
# hollow boxes. Message boxes take their Japanese from IPA Gothic through links: Wine's dialog faces
# have no Japanese glyphs of their own, and without the links the game-over box shows empty
# squares. Wine writes its own links back the first time a program with a window starts under
# another locale than before (media.sh runs under a Japanese one), so both settings are made again,
# after such a start, every time: the replacement by regedit, which is that start.
GOTHIC_FACE="ＭＳ ゴシック"
prepare_prefix() {
  if [ ! -f "$WINEPREFIX/.tessaro-ready" ]; then
    rm -rf "$WINEPREFIX"
    timeout 120 wineboot -i >"$SCRATCH/wineboot.log" 2>&1 || { echo "FAILED: wineboot"; cat "$SCRATCH/wineboot.log"; exit 1; }
    timeout 30 wineserver -w || true
    touch "$WINEPREFIX/.tessaro-ready"
  fi
  # The face's name is not ASCII: it goes in a registry file in UTF-16, which reaches Wine intact
  # whatever the locale (a command line is converted from the locale's character set).
  { printf '\xff\xfe'
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"%s"="IPAGothic"\r\n' \
      "$GOTHIC_FACE" | iconv -f UTF-8 -t UTF-16LE; } >"$SCRATCH/replacement.reg"
  timeout 30 wine regedit /S "$(windows_path "$SCRATCH/replacement.reg")" >/dev/null 2>&1 ||
    { echo "FAILED: the replacement of $GOTHIC_FACE"; exit 1; }
  timeout 30 wineserver -w || true
  fonts_pinned && return 0
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' face
  for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
    timeout 30 wine reg add "$key" /v "$face" /t REG_MULTI_SZ /d "ipag.ttf,IPAGothic" /f >/dev/null 2>&1 ||
      { echo "FAILED: the font link for $face"; exit 1; }
  done
  timeout 30 wineserver -w || true
  fonts_pinned || { echo "FAILED: the font settings did not reach the prefix"; exit 1; }
}

# Whether the prefix has the links and the replacement. Wine's registry files write a name that is
# not ASCII with each UTF-16 unit as \xNNNN (four hex digits).
fonts_pinned() {
  local name
  name=$(printf '%s' "$GOTHIC_FACE" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tu1 |
         awk '{ for (i = 1; i <= NF; i++) b[n++] = $i }
              END { for (i = 0; i < n; i += 2) { u = b[i] + 256 * b[i + 1]; printf (u < 128 ? "%c" : "\\x%04x"), u } }')
  grep -q '^"Tahoma"=str(7):"ipag.ttf,IPAGothic' "$WINEPREFIX/system.reg" &&
    grep -qFx "\"$name\"=\"IPAGothic\"" "$WINEPREFIX/user.reg"
}

# A Unix path as the Windows program sees it (Wine's drive Z: is the root).
windows_path() { echo "Z:${1//\//\\}"; }

# Starts tessaro.exe in the background, its output in $SCRATCH/out and $SCRATCH/err; arguments
# that are Unix paths go as Windows paths. Without a story folder it plays the story beside it, as
# after a double-click.
start_program() {
  local arguments=() a
  # The reader's bookmarks and settings live in the prefix's %APPDATA%\Tessaro (Wine sets APPDATA
  # itself): each start is a first start unless the test keeps them (KEPT set).
  [ -n "$KEPT" ] || rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Tessaro
  for a in "$@"; do
    if [[ $a == /* ]]; then arguments+=("$(windows_path "$a")"); else arguments+=("$a"); fi
  done
  wine "${PROGRAM_EXE:-$TESSARO_EXE}" "${arguments[@]}" >"$SCRATCH/out" 2>"$SCRATCH/err" &
  PROGRAM_PID=$!
}

# The window's id, by its caption.
wait_window() {
  local id=""
  for _ in $(seq 300); do
    id=$(timeout 2 xdotool search --name '^Velmarin$' 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$PROGRAM_PID" 2>/dev/null || break
    sleep 0.05
  done
  echo "FAILED: no window; the program said:" >&2
  grep -v '^ALSA\|^wine:' "$SCRATCH/err" >&2 || true
  return 1
}

message_box() {
  timeout 2 xwininfo -root -tree 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "Tessaro".*/\1/p' | head -n1
}

# Gives the window the keyboard focus; Wine takes a moment to act on it.
focus() {
  timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || true
  sleep 0.2
}

type_into() {  # type_into WINDOW KEY...
  local window=$1
  shift
  focus "$window"
  timeout 10 xdotool key --delay 80 "$@" 2>/dev/null || true
}

# The window's size as X sees it: "WIDTHxHEIGHT".
window_size() {
  timeout 2 xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'
}

# How many pixels of a region of a window are of a colour: count WINDOW X Y W H R,G,B
count_colour() {
  timeout 5 import -window "$1" -crop "$4x$5+$2+$3" -depth 8 txt:- 2>/dev/null |
    grep -c "($6)" || true
}

# The program's lines on standard error, without Wine's own.
program_errors() { tr -d '\r' <"$SCRATCH/err" | grep '^tessaro:' || true; }
