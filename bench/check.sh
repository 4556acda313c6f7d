#!/usr/bin/env bash
# Time of "tessaro check" on the sample story and on a generated story of 100 files of 500 lines
# each (every page four rows and a "P", a question and a branch on every page, the files chained
# by "D"); time and memory on one line of "F00ab" 10000 times (50 kB, two ways at every branch).
# Prints each figure beside its target and exits 1 when one is missed.
# Usage: bench/check.sh [path/to/tessaro]   (targets: under 0.2 s, under 1 s, under 1 s and 50 MB)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$here/build/tessaro}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

mkdir -p "$scratch/large/Data"
python3 - "$scratch/large/Data" <<'PY'
import os, sys
row = "月の光が、部屋の畳を白く照らしている。"
for f in range(100):
    lines = []
    while len(lines) + 7 <= 496:
        n = len(lines)
        lines += ["C" + row + "P", "Q今夜、灯台へ行ってみようか。", "行く", "眠る",
                  f"FFFaS01J{n + 6:03d}bR01", row, row + "P"]
    while len(lines) < 499:
        lines.append("C" + row + "P")
    lines.append("C" + row + "P" + (f"D{f + 1:02d}" if f < 99 else "G"))
    with open(os.path.join(sys.argv[1], f"Data{f:02d}.Dat"), "wb") as out:
        out.write("".join(line + "\r\n" for line in lines).encode("cp932"))
PY

# The best of five runs, in seconds; the check itself must find nothing.
best_time() {
  local best="" start end seconds
  for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    "$program" check "$1" >"$scratch/out" || { cat "$scratch/out" >&2; echo "FAILED: errors in $1" >&2; exit 1; }
    end=$(date +%s%N)
    seconds=$(awk -v ns=$((end - start)) 'BEGIN { printf "%.3f", ns / 1e9 }')
    if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$seconds; fi
  done
  grep -q "^0 errors, 0 warnings" "$scratch/out" || { head "$scratch/out" >&2; echo "FAILED: findings in $1" >&2; exit 1; }
  echo "$best"
}

missed=0
report() {  # report WHAT SECONDS TARGET
  local verdict=ok
  awk -v a="$2" -v b="$3" 'BEGIN { exit !(a < b) }' || { verdict=MISSED; missed=1; }
  printf '%-44s %6.3f s   target under %s s   %s\n' "$1" "$2" "$3" "$verdict"
}
report "tessaro check, the sample story" "$(best_time "$here/story")" 0.2
report "tessaro check, 100 files of 500 lines" "$(best_time "$scratch/large")" 1

# One line of branches: its findings do not matter here, only what finding them costs.
mkdir -p "$scratch/branches/Data"
python3 -c 'import sys; open(sys.argv[1], "wb").write(b"F00ab" * 10000 + b"P\r\n")' "$scratch/branches/Data/Data00.Dat"
read -r seconds megabytes < <(python3 - "$program" "$scratch/branches" <<'PY'
import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run([sys.argv[1], "check", sys.argv[2]], stdout=subprocess.DEVNULL)
seconds = time.monotonic() - start
print(f"{seconds:.3f} {resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024:.1f}")
PY
)
report "tessaro check, one line of F00ab x 10000" "$seconds" 1
verdict=ok
awk -v a="$megabytes" 'BEGIN { exit !(a < 50) }' || { verdict=MISSED; missed=1; }
printf '%-44s %6.1f MB  target under 50 MB   %s\n' "the same, peak memory" "$megabytes" "$verdict"
exit $missed
