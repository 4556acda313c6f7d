#!/usr/bin/env bash
# "tessaro publish" given story folders as they really arrive: links out of the story (to a file,
# to a folder) refused with nothing written, a link inside followed, names that are not UTF-8
# refused, a "\" in the folder's name, folder names Windows cannot make, sparse 60 MiB pictures
# under a memory limit, a run killed in the middle of its write and the run after it, and the
# README's own steps from convert to publish. Every zip made opens in Python's zipfile with
# UTF-8 names, flagged so. The runtimes are stand-ins: the zips' contents are what is tested.
#   hostile.sh path/to/tessaro
set -uo pipefail
tessaro=$(realpath "$1")
SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
check() { [ "$2" == "$3" ] && echo "ok: $1" || { fail "$1: expected '$2', got '$3'"; return 1; }; }
cd "$SCRATCH" || exit 1

runtime=$SCRATCH/runtime
mkdir -p "$runtime/web/licenses" "$runtime/windows/licenses"
cp -r "$(dirname "$tessaro")/runtime/notices" "$runtime/" || fail "the build made no runtime/notices"
for f in tessaro-page.js tessaro.js tessaro.wasm js-synthesizer.min.js js-synthesizer.worklet.min.js libfluidsynth.js \
         app.webmanifest icon.svg icon-192.png icon-512.png licenses/LGPL-2.1.txt licenses/js-synthesizer.txt \
         licenses/Emscripten.txt licenses/musl.txt; do echo "stand-in $f" >"$runtime/web/$f"; done
printf '// stand-in
const VERSION = "stand-in";
' >"$runtime/web/sw.js"
printf '<html><head><title>T</title></head><body><div id="prompt" hidden>Start</div></body></html>\n' >"$runtime/web/index.html"
for f in tessaro.exe licenses/MinGW-w64.txt licenses/GCC-runtime.txt; do echo "stand-in $f" >"$runtime/windows/$f"; done
export TESSARO_RUNTIME=$runtime

# A story of one page (海が見えた。) in the folder named, with a picture it shows.
story() {
  mkdir -p "$1/Data" "$1/Picture"
  printf 'L01C\x8aC\x82\xaa\x8c\xa9\x82\xa6\x82\xbd\x81\x42P\r\n' >"$1/Data/Data00.Dat"
  bitmap "$1/Picture/Pic01.bmp" 4 4
}
# A 24-bit bitmap of WIDTH x HEIGHT, its pixels a hole in the file (sparse).
bitmap() {
  python3 - "$@" <<'PY'
import struct, sys
path, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
size = ((w * 3 + 3) // 4 * 4) * h
with open(path, "wb") as f:
    f.write(b"BM" + struct.pack("<IHHI", 54 + size, 0, 0, 54) + struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, size, 2835, 2835, 0, 0))
    f.truncate(54 + size)
PY
}
# Every zip in the folder opens in Python's zipfile, each name UTF-8 and flagged so; prints the names.
zip_names() {
  python3 - "$@" <<'PY'
import glob, os, sys, zipfile
for path in sorted(glob.glob(os.path.join(sys.argv[1], "*.zip"))):
    with zipfile.ZipFile(path) as z:
        assert z.testzip() is None, path
        for info in z.infolist():
            assert info.flag_bits & 0x800, info.filename
            info.filename.encode("utf-8")
            print(info.filename)
PY
}

# --- the table: a folder made hostile, what publish must say, and its exit status
outside=$SCRATCH/outside
mkdir -p "$outside/Picture" && echo "MY_API_TOKEN=stand-in-secret" >"$outside/secret" && bitmap "$outside/Picture/Pic01.bmp" 4 4
cases=(
  "link to a file outside|ln -s $outside/secret S/Data/Data05.Dat|Data/Data05.Dat: a link to $outside/secret|1"
  "link to /proc outside|ln -s /proc/self/environ S/Data/Data06.Dat|Data/Data06.Dat: a link to /proc/self/environ|1"
  "link to a folder outside|rm -r S/Picture && ln -s $outside/Picture S/Picture|Picture: a link to $outside/Picture|1"
  "link to a folder above|ln -s .. S/Data/up|Data/up: a link to ..|1"
  "links inside the story|mkdir S/art && mv S/Picture/Pic01.bmp S/art/ && rm -r S/Picture && ln -s art S/Picture && ln -s Pic01.bmp S/art/Pic02.bmp|out/S-web.zip|0"
  "a file nothing uses|bitmap S/Picture/Pic09.bmp 2 2|Picture/Pic09.bmp: nothing in the story uses it; it goes out|0"
  "a Shift-JIS name|cp S/Picture/Pic01.bmp S/Picture/Pic\$'\\x82\\xa0'.bmp|Picture/Pic\\\\x82\\\\xa0.bmp: the name is not UTF-8|1"
  "an invalid name|cp S/Picture/Pic01.bmp S/Picture/Pic\$'\\xff\\xfe'.bmp|Picture/Pic\\\\xff\\\\xfe.bmp: the name is not UTF-8|1"
  "names only case tells apart|cp S/Picture/Pic01.bmp S/Picture/PIC01.BMP|Picture/Pic01.bmp: Windows holds it and PIC01.BMP as one file|1"
  "a name Windows cannot hold|cp S/Picture/Pic01.bmp 'S/Picture/Pic:?.bmp'|Picture/Pic:?.bmp: Windows cannot hold a file of this name|1"
  "the line map and its source|printf 'L01C海が見えた。P\n' >S/Data/story.txt && \"$tessaro\" convert S/Data/story.txt S/Data/Data00.Dat|left out: Data/story.txt (a source the line map names|0"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name make said status <<<"$row"
  rm -rf S out && story S
  eval "$make" || fail "$name: the folder could not be made"
  "$tessaro" publish --out out S >said.txt 2>&1
  check "$name: exit status" "$status" $?
  grep -qF -- "$(printf '%b' "$said")" said.txt || fail "$name: says '$(cat said.txt)', not '$said'"
  if [ "$status" == 1 ]; then
    check "$name: nothing written" "" "$(ls out 2>/dev/null)"
  else
    names=$(zip_names out) || fail "$name: a zip does not open in Python"
    check "$name: the story's files in the Windows zip" "$(cd S && find -L Data Picture -type f | grep -E '[.](Dat|bmp)$' | sort | tr '\n' ' ')" \
      "$(grep '^S/[DP]' <<<"$names" | sed 's|^S/||' | sort | tr '\n' ' ')"
  fi
done

# --- the story folder's own name: "\" taken as a character, names Windows cannot make replaced
names=(
  'a\b|a\b|a_b'
  '..\..\x|..\..\x|.._.._x'
  'CON|CON|CON_'
  'Chapter 1: Lighthouse|Chapter 1: Lighthouse|Chapter 1_ Lighthouse'
  'tale.|tale.|tale'
)
for row in "${names[@]}"; do
  IFS='|' read -r folder zip top <<<"$row"
  rm -rf out && mkdir -p holder && story "holder/$folder"
  "$tessaro" publish --out out "$SCRATCH/holder/$folder" >said.txt 2>&1
  check "folder '$folder': published" 0 $? || cat said.txt
  check "folder '$folder': the zips' names" "$zip-web.zip $zip-windows.zip" "$(ls -A out | tr '\n' ' ' | sed 's/ $//')"
  zip_names out >/dev/null || fail "folder '$folder': a zip does not open in Python"
  check "folder '$folder': the Windows zip's folder" "$top" "$(unzip -Z1 "out/$zip-windows.zip" | cut -d/ -f1 | sort -u)"
  [ "$folder" == "$top" ] || grep -qF "Windows cannot make a folder named" said.txt || fail "folder '$folder': the new name is not said"
done
long=$(printf '灯%.0s' $(seq 84))
rm -rf out && story "holder/$long"
"$tessaro" publish --out out "holder/$long" >said.txt 2>&1
cut=$(printf '灯%.0s' $(seq 81))
check "a folder name of 84 kanji: published under a name that fits" "0 $cut-web.zip $cut-windows.zip" "$? $(ls out | tr '\n' ' ' | sed 's/ $//')"

# --- sparse 60 MiB pictures, under a memory limit far below what they hold together. The
# address sanitizer's build reserves terabytes of address space for its shadow memory and cannot
# start under any such limit: there the runs go without it (the plain build's run holds the bound).
limit=600000
grep -q __asan_init "$tessaro" && limit=unlimited
rm -rf S out && story S
for i in 02 03 04 05 06; do bitmap "S/Picture/Pic$i.bmp" 5120 4096; done
(ulimit -v $limit && exec "$tessaro" publish --out out S) >said.txt 2>&1
check "five sparse 60 MiB pictures under ulimit -v $limit: published" 0 $?
zip_names out >/dev/null || fail "the large zips do not open in Python"
for i in 07 08 09 10 11 12 13 14 15; do bitmap "S/Picture/Pic$i.bmp" 5120 4096; done
(ulimit -v $limit && exec "$tessaro" publish --out over S) >said.txt 2>&1
check "fourteen: past the story's cap, refused" "1 1" "$? $(grep -c 'a published story may hold 512 MiB at most' said.txt)"

# --- killed in the middle of its write: nothing left behind, and the next run is whole
rm -rf out S/Picture/Pic0[7-9].bmp S/Picture/Pic1?.bmp && mkdir out
"$tessaro" publish --out out S >/dev/null 2>&1 &
pid=$!
# Killed once it writes into out (its zip, still without a name, is open there).
for _ in $(seq 200); do ls -l "/proc/$pid/fd" 2>/dev/null | grep -q "$SCRATCH/out/" && break; sleep 0.05; done
kill -9 "$pid" 2>/dev/null || fail "the run had ended before it was killed"
wait "$pid" 2>/dev/null
check "a killed run leaves nothing in the output folder" "" "$(ls -A out)"
echo x >"out/.S-web.zip.abcd1234"  # what an earlier version's killed run left
"$tessaro" publish --out out S >said.txt 2>&1
check "the run after it: published, the leftover removed" "0 1" "$? $(grep -c 'removed .S-web.zip.abcd1234' said.txt)"
check "the output folder holds the two zips alone" "S-web.zip S-windows.zip" "$(ls -A out | tr '\n' ' ' | sed 's/ $//')"

# --- the README's own steps, from convert to publish, in a folder of the author's
mkdir -p "$SCRATCH/夜の海" && cd "$SCRATCH/夜の海" || exit 1
printf 'L01C夜の海に、月がのぼった。\n波の音だけが聞こえる。P\nおしまい。P\n' >story.txt
mkdir -p Picture && bitmap Picture/Pic01.bmp 300 200
mkdir -p Data && "$tessaro" convert story.txt Data/Data00.Dat && "$tessaro" check >/dev/null && "$tessaro" paths >/dev/null ||
  fail "the README's steps before publishing"
"$tessaro" publish . >said.txt 2>&1
check "the README's steps: publish . exits 0" 0 $?
check "the README's steps: both zips" "夜の海-web.zip 夜の海-windows.zip" "$(ls *.zip | tr '\n' ' ' | sed 's/ $//')"
check "the README's steps: the web zip holds the story alone" "story/Data/Data00.Dat story/Picture/Pic01.bmp" \
  "$(zip_names . | grep '^story/' | sort -u | tr '\n' ' ' | sed 's/ $//')"
check "the README's steps: the page's title" 1 "$(unzip -p 夜の海-web.zip index.html | grep -c '<title>夜の海</title>')"
cd "$SCRATCH" || exit 1

echo "$failures failed"
[ "$failures" -eq 0 ]
