#!/usr/bin/env bash
# "tessaro publish" as an author uses it: the sample story (in a folder with a Japanese name)
# becomes a web zip and a Windows zip that unzip cleanly, each with its notices; a story without
# music goes out without the soundfont; a story with checker errors, or with a file of the wrong
# kind, is refused with nothing written and an earlier bundle left as it was; a missing runtime is
# named. The runtimes are the build's own when it has them (build/runtime/), otherwise stand-ins
# with the runtime's file names (the bundles' layout is what is tested here; the real runtimes
# play in tests/windows/published_story.sh and tests/web).
#   bundles.sh path/to/tessaro SOURCE-DIR
set -uo pipefail
tessaro=$(realpath "$1") source_dir=$(realpath "$2")
SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
check() { [ "$2" == "$3" ] && echo "ok: $1" || fail "$1: expected '$2', got '$3'"; }
has() { grep -qx -- "$2" <<<"$1" || fail "missing from the bundle: $2"; }

# The runtimes.
built=$(dirname "$tessaro")/runtime
runtime=$SCRATCH/runtime
mkdir -p "$runtime"
cp -r "$built/notices" "$runtime/" || fail "the build made no runtime/notices"
if [ -f "$built/web/tessaro.wasm" ]; then
  cp -r "$built/web" "$runtime/"
else
  mkdir -p "$runtime/web/licenses"
  for f in tessaro-page.js tessaro.js tessaro.wasm js-synthesizer.min.js js-synthesizer.worklet.min.js \
           libfluidsynth.js tessaro.css sw.js app.webmanifest icon.svg icon-192.png icon-512.png \
           licenses/LGPL-2.1.txt licenses/js-synthesizer.txt licenses/Emscripten.txt licenses/musl.txt; do
    echo "stand-in $f" >"$runtime/web/$f"
  done
  printf '// stand-in\nconst VERSION = "stand-in";\n' >"$runtime/web/sw.js"
  printf '<!DOCTYPE html>\n<html><head><title>Tessaro</title></head>\n<body><div id="prompt" hidden>Click, tap or press a key to start</div></body></html>\n' \
    >"$runtime/web/index.html"
fi
# A web build's folder may hold its own story, font and soundfont: publish leaves them out.
mkdir -p "$runtime/web/story/Data" && echo other >"$runtime/web/story/Data/Data00.Dat"
echo '{}' >"$runtime/web/manifest.json" && echo font >"$runtime/web/ipag.ttf"
if [ -f "$built/windows/tessaro.exe" ]; then
  cp -r "$built/windows" "$runtime/"
else
  mkdir -p "$runtime/windows/licenses"
  for f in tessaro.exe licenses/MinGW-w64.txt licenses/GCC-runtime.txt; do echo "stand-in $f" >"$runtime/windows/$f"; done
fi
export TESSARO_RUNTIME=$runtime

# --- the sample story, from a folder of another name, run from a folder that must stay as it is
story=$SCRATCH/灯台の鍵
cp -r "$source_dir/story" "$story"
mkdir -p "$SCRATCH/work/keep" && echo same >"$SCRATCH/work/keep/file"
# Every file and folder but the output folder's, with each file's size and time.
snapshot() { (cd "$SCRATCH" && find . -path ./work/out -prune -o -path ./said -prune -o \( -type f -printf '%p %s %T@\n' \) -o \( -type d -printf '%p\n' \) | sort); }
before=$(snapshot)
start=$(date +%s.%N)
(cd "$SCRATCH/work" && "$tessaro" publish --out out --title "灯台の鍵 — The lighthouse key" "$story") \
  >"$SCRATCH/said" 2>&1
check "publish exits 0" 0 $?
echo "  $(tr '\n' ' ' <"$SCRATCH/said")"
echo "  took $(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - s }') s"
check "publish wrote the two zips and nothing else into out" "灯台の鍵-web.zip 灯台の鍵-windows.zip" \
  "$(ls "$SCRATCH/work/out" | tr '\n' ' ' | sed 's/ $//')"
check "nothing written outside --out" "$before" "$(snapshot)"

web=$SCRATCH/work/out/灯台の鍵-web.zip windows=$SCRATCH/work/out/灯台の鍵-windows.zip
unzip -tq "$web" >/dev/null || fail "the web zip does not test clean: $(unzip -tq "$web" 2>&1 | tail -2)"
unzip -tq "$windows" >/dev/null || fail "the Windows zip does not test clean"
mkdir "$SCRATCH/web" "$SCRATCH/windows"
unzip -q "$web" -d "$SCRATCH/web" && unzip -q "$windows" -d "$SCRATCH/windows"
webfiles=$(cd "$SCRATCH/web" && find . -type f | sed 's|^\./||' | sort)
for f in index.html tessaro.js tessaro.wasm libfluidsynth.js js-synthesizer.min.js manifest.json story-gothic.ttf \
         TimGM6mb.sf2 story/Data/Data00.Dat story/Picture/Pic01.bmp story/Bgm/Bgm01.mid story/Wave/Wave01.wav \
         licenses/NOTICES.txt licenses/Tessaro.txt licenses/IPA-Font-License.txt licenses/TimGM6mb.txt \
         licenses/GPL-2.txt licenses/LGPL-2.1.txt licenses/FreeType.txt licenses/Emscripten.txt \
         licenses/musl.txt licenses/js-synthesizer.txt sw.js app.webmanifest icon-192.png; do
  has "$webfiles" "$f"
done
check "no whole font, no other story, no expected-pixels in the web zip" "" \
  "$(grep -E '\.ttf$|^story/expected|manifest' <<<"$webfiles" | grep -v -x -e story-gothic.ttf -e manifest.json -e app.webmanifest)"
check "the story's files in the web zip are the story's" \
  "$(cd "$story" && find Data Picture Bgm Wave -type f | sort)" "$(sed -n 's|^story/||p' <<<"$webfiles" | sort)"
check "the page's title" 1 "$(grep -c '<title>灯台の鍵 — The lighthouse key</title>' "$SCRATCH/web/index.html")"
check "the start prompt names the story" 1 "$(grep -c 'id="prompt"[^>]*><div class="story-title">灯台の鍵 — The lighthouse key</div>' "$SCRATCH/web/index.html")"
python3 - "$SCRATCH/web" <<'PY' || fail "manifest.json"
import json, os, sys
root = sys.argv[1]
m = json.load(open(os.path.join(root, "manifest.json"), encoding="utf-8"))
for f in m["files"]:
    assert os.path.getsize(os.path.join(root, "story", f["path"])) == f["size"], f
for key in ("font", "soundFont"):
    assert os.path.getsize(os.path.join(root, m[key]["path"])) == m[key]["size"], key
assert m["font"]["path"] == "story-gothic.ttf" and m["soundFont"]["path"] == "TimGM6mb.sf2"
PY
font=$(stat -c %s "$SCRATCH/web/story-gothic.ttf") zip=$(stat -c %s "$web")
echo "  sizes: web zip $zip bytes, its font $font bytes (IPA Gothic: $(stat -c %s /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf))"
[ "$font" -lt 300000 ] || fail "the cut-down font is $font bytes"
[ "$zip" -le 8000000 ] || fail "the web zip is $zip bytes, over 8 MB"
grep -q "Derived Program" "$SCRATCH/web/licenses/NOTICES.txt" || fail "NOTICES.txt does not say the font is derived"
grep -q "IPA Font License Agreement" "$SCRATCH/web/licenses/IPA-Font-License.txt" || fail "the IPA Font License text"
grep -q "GNU GENERAL PUBLIC LICENSE" "$SCRATCH/web/licenses/GPL-2.txt" || fail "the GPL text"
grep -q "Permission is hereby granted" "$SCRATCH/web/licenses/Tessaro.txt" || fail "Tessaro's MIT licence"
grep -q "replace\|in its place" "$SCRATCH/web/licenses/NOTICES.txt" || fail "how to replace libfluidsynth.js"

winfiles=$(cd "$SCRATCH/windows" && find . -type f | sed 's|^\./||' | sort)
for f in 灯台の鍵/tessaro.exe 灯台の鍵/README.txt 灯台の鍵/Data/Data00.Dat 灯台の鍵/Picture/Pic01.bmp 灯台の鍵/Bgm/Bgm01.mid \
         灯台の鍵/licenses/Tessaro.txt 灯台の鍵/licenses/MinGW-w64.txt 灯台の鍵/licenses/GCC-runtime.txt 灯台の鍵/licenses/NOTICES.txt; do
  has "$winfiles" "$f"
done
check "tessaro.exe unzips executable" yes "$([ -x "$SCRATCH/windows/灯台の鍵/tessaro.exe" ] && echo yes || echo no)"
check "the read-me in Japanese and English" 2 \
  "$(grep -c -e 'ダブルクリック' -e 'Double-click tessaro.exe' "$SCRATCH/windows/灯台の鍵/README.txt")"
check "the read-me's line ends" "" "$(grep -n -v $'\r$' "$SCRATCH/windows/灯台の鍵/README.txt" | head -1)"
cmp -s "$runtime/windows/tessaro.exe" "$SCRATCH/windows/灯台の鍵/tessaro.exe" || fail "tessaro.exe is not the runtime's"

# The same story again: the same bytes (nothing in a bundle depends on the time).
(cd "$SCRATCH/work" && "$tessaro" publish --web --out again --title "灯台の鍵 — The lighthouse key" "$story") >/dev/null 2>&1
cmp -s "$web" "$SCRATCH/work/again/灯台の鍵-web.zip" || fail "publishing twice gives different web zips"
check "--web makes the web zip alone" "灯台の鍵-web.zip" "$(ls "$SCRATCH/work/again")"

# --- a story without music: no soundfont and no GPL in the web zip
quiet=$SCRATCH/quiet
mkdir -p "$quiet/Data"
printf 'C\x8aC\x82\xaa\x8c\xa9\x82\xa6\x82\xbd\x81\x42P\r\n' >"$quiet/Data/Data00.Dat"  # 海が見えた。
"$tessaro" publish --web --out "$SCRATCH/quiet-out" "$quiet" >/dev/null 2>"$SCRATCH/said" || fail "quiet: $(cat "$SCRATCH/said")"
quietfiles=$(unzip -Z1 "$SCRATCH/quiet-out/quiet-web.zip")
check "no soundfont without music" "" "$(grep -e '\.sf2$' -e /GPL-2 -e TimGM6mb <<<"$quietfiles")"
check "no soundfont in the manifest" 0 "$(unzip -p "$SCRATCH/quiet-out/quiet-web.zip" manifest.json | grep -c soundFont)"
check "the title defaults to the folder's name" 1 "$(unzip -p "$SCRATCH/quiet-out/quiet-web.zip" index.html | grep -c '<title>quiet</title>')"

# --- refusals: nothing written, an earlier bundle kept
refused() {  # refused DESCRIPTION TEXT-EXPECTED STORY [OPTIONS...]
  local description=$1 expected=$2 folder=$3
  shift 3
  rm -rf "$SCRATCH/kept" && mkdir "$SCRATCH/kept" && echo earlier >"$SCRATCH/kept/$(basename "$folder")-web.zip"
  "$tessaro" publish --out "$SCRATCH/kept" "$@" "$folder" >"$SCRATCH/said" 2>&1
  check "$description: exit status" 1 $?
  grep -q -- "$expected" "$SCRATCH/said" || fail "$description: says '$(cat "$SCRATCH/said")', not '$expected'"
  check "$description: nothing written" "$(basename "$folder")-web.zip earlier" \
    "$(ls "$SCRATCH/kept") $(cat "$SCRATCH/kept/"*)"
}
faulty=$SCRATCH/faulty
mkdir -p "$faulty/Data"
printf 'L09C\x8aC\x81\x42P\r\n' >"$faulty/Data/Data00.Dat"  # a picture that is not there
refused "a story with a checker error" "Data00.Dat:1:1: error: \"L09\"" "$faulty"
wrong=$SCRATCH/wrong
cp -r "$quiet" "$wrong" && mkdir "$wrong/Picture" && printf '\x89PNG\r\n\x1a\n%030d' 0 >"$wrong/Picture/Pic01.bmp"
refused "a picture that is a PNG" "Picture/Pic01.bmp: it is not a Windows bitmap" "$wrong"
mv "$runtime/web/tessaro.wasm" "$SCRATCH/tessaro.wasm"
refused "no web runtime" "the web runtime is not there: .*tessaro.wasm" "$quiet"
mv "$SCRATCH/tessaro.wasm" "$runtime/web/tessaro.wasm"
mkdir -p "$SCRATCH/blocked/quiet-web.zip/inside"  # a folder where the zip would go
"$tessaro" publish --web --out "$SCRATCH/blocked" "$quiet" >"$SCRATCH/said" 2>&1
check "a zip that cannot be written" "1 yes" "$? $(grep -q 'quiet-web.zip not written' "$SCRATCH/said" && echo yes)"
check "the folder in its way is left" inside "$(ls "$SCRATCH/blocked/quiet-web.zip")"
"$tessaro" publish "$SCRATCH/nowhere" >"$SCRATCH/said" 2>&1
check "a folder that is not there" "1 yes" "$? $(grep -q 'nowhere: not a story folder' "$SCRATCH/said" && echo yes)"
"$tessaro" publish --frobnicate "$quiet" >/dev/null 2>&1
check "an unknown option is a usage error" 2 $?

echo "$failures failed"
[ "$failures" -eq 0 ]
