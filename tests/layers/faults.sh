#!/usr/bin/env bash
# devtools/check_layers.py on a small tree of known faults: each is found, by file and line, and
# what the rules allow passes (a machine named in an #if where machines are chosen, a machine
# folder taking a shared one).
#   tests/layers/faults.sh SOURCE-DIR
set -euo pipefail
source_dir=${1:?usage: faults.sh SOURCE-DIR}
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
put() { mkdir -p "$(dirname "$tree/$1")"; printf '%s\n' "$2" > "$tree/$1"; }

put script/Number.cpp $'#include <version>\n#ifdef __EMSCRIPTEN__\n#endif\n#if defined(__cpp_lib_to_chars)\n#endif'
put window/Mark.cpp $'// _WIN32 in a comment is no condition\n#if 1\n#elif defined(_WIN32) || 0\n#endif'
put system/Seam.h '#include "window/Mark.h"'
put window/Mark.h ''
put window/Crt.h '#include "window/Crt2.h"'
put window/Crt2.cpp '#include "window/Crt.h"'
put app/MachinePlatform.h $'#ifdef _WIN32\n#include "platform/win32/Machine.h"\n#endif'
put main/sdl/main.cpp $'#include "app/Main.h"\n#include "platform/sdl/Process.h"\n#ifdef __linux__\n#endif'
put platform/sdl/Process.cpp $'#include "platform/posix/Files.h"\n#ifndef __linux__\n#endif'
put platform/posix/Files.h ''
put platform/sdl/Other.cpp '#include "platform/win32/Machine.h"'
put platform/win32/Machine.h ''

status=0
out=$(python3 "$source_dir/devtools/check_layers.py" "$tree") || status=$?
expected="script/Number.cpp:2: script/ names a machine in #ifdef: __EMSCRIPTEN__
window/Mark.cpp:3: window/ names a machine in #elif: _WIN32
system/Seam.h: system/ may not include \"window/Mark.h\"
platform/sdl/Other.cpp: platform/sdl/ may not include \"platform/win32/Machine.h\"
include circle: window/Crt -> window/Crt2 -> window/Crt
5 layer faults in $tree"
sorted() { printf '%s\n' "$1" | sort; }
if [ "$status" -ne 1 ] || [ "$(sorted "$out")" != "$(sorted "$expected")" ]; then
  echo "check_layers said (exit $status):"; echo "$out"
  echo "expected (exit 1):"; echo "$expected"
  exit 1
fi
echo "check_layers finds each fault and passes what the rules allow"
