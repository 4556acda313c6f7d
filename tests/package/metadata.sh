#!/usr/bin/env bash
# What the package installs for desktops and for man: the desktop entry, the AppStream metadata
# and the man page pass their own validators, the names that tie them together agree, and the
# icons are sound PNG files, the large one the small one scaled up pixel for pixel.
#   metadata.sh SOURCE-DIR BUILD-DIR
set -euo pipefail
source_dir=$1 build=$2
desktop="$source_dir/package/org.tessaro.Tessaro.desktop"
metainfo="$build/org.tessaro.Tessaro.metainfo.xml"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

desktop-file-validate "$desktop" || fail "desktop entry"
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "AppStream: $(appstreamcli validate --no-net "$metainfo")"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$build/tessaro.6" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man page: $warnings"
grep -q '@' "$build/tessaro.6" "$metainfo" && fail "an unreplaced @VARIABLE@"

icon=$(sed -n 's/^Icon=//p' "$desktop")
grep -q "<launchable type=\"desktop-id\">${desktop##*/}</launchable>" "$metainfo" ||
  fail "AppStream does not launch ${desktop##*/}"
python3 - "$build/icons/32/$icon.png" "$build/icons/256/$icon.png" <<'PY' || fail "icons"
import struct, sys, zlib

def rows(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", f"{path}: not a PNG"
    at, chunks = 8, {}
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        crc, = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        assert zlib.crc32(kind + body) == crc, f"{path}: bad CRC in {kind}"
        chunks[kind] = chunks.get(kind, b"") + body
        at += 12 + length
    width, height, depth, kind = struct.unpack(">IIBB", chunks[b"IHDR"][:10])
    assert (depth, kind) == (8, 3), f"{path}: not an 8-bit palette image"
    raw = zlib.decompress(chunks[b"IDAT"])
    palette = chunks[b"PLTE"]
    stride = width + 1
    assert len(raw) == stride * height and all(raw[y * stride] == 0 for y in range(height))
    return width, height, [[palette[3 * i:3 * i + 3] for i in raw[y * stride + 1:(y + 1) * stride]]
                           for y in range(height)]

small, large = rows(sys.argv[1]), rows(sys.argv[2])
assert small[:2] == (32, 32) and large[:2] == (256, 256), "sizes"
assert len({c for row in small[2] for c in row}) >= 4, "the small icon is nearly blank"
for y in range(256):
    for x in range(256):
        assert large[2][y][x] == small[2][y // 8][x // 8], f"256 px icon differs at {x},{y}"
PY
echo "$failures failed"
[ "$failures" -eq 0 ]
