#!/usr/bin/env bash
# "tessaro paths" in time and memory. The sample story: every path played to its end, without a
# window, on a clock that does not wait (the median of RUNS runs, 5 by default). Then generated
# stories that would run away: a counter in 24 flags counted with S, R, F and J and no question
# (it never repeats a state, so it must stop at the step bound), the same counter chained between
# two files with D, four questions before it, 100,000 paths (17 questions, --max-paths 100000),
# and a row of 16,000 characters. Each figure is printed beside its target; exits 1 when one is
# missed or a story's paths are not the ones expected.
# Usage: bench/paths.sh [path/to/tessaro]
#   (the generated stories' seconds are processor time; targets: the sample under 1 s; each counter loop at most 2 s and 100 MB; 100,000 paths at
#    most 200 MB; the long row at most 0.5 s)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$here/build/tessaro}
runs=${RUNS:-5}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0

times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$program" paths "$here/story" >"$scratch/out"
  end=$(date +%s%N)
  times+=("$(awk -v ns=$((end - start)) 'BEGIN { printf "%.3f", ns / 1e9 }')")
done
# The sample story has two questions on every path: four paths, two endings.
grep -q "^4 paths: 2 end of file, 2 game over$" "$scratch/out" || { cat "$scratch/out" >&2; echo "FAILED: not the sample story's four paths" >&2; exit 1; }
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
verdict=ok
awk -v a="$median" 'BEGIN { exit !(a < 1) }' || verdict=MISSED failed=1
printf '%-44s %6.3f s   target under 1 s   %s   (runs: %s)\n' "tessaro paths, the sample story" "$median" "$verdict" "${times[*]}"

python3 - "$scratch" <<'PY'
import os, sys
root = sys.argv[1]

def write(story, name, lines):
    os.makedirs(os.path.join(root, story, "Data"), exist_ok=True)
    with open(os.path.join(root, story, "Data", name), "wb") as out:
        out.write("".join(line + "\r\n" for line in lines).encode("cp932"))

# A binary counter in flags 00 to 17: line 1 + i adds one at bit i; back to line 1 when the
# carry stops (by J, or by D through a second file).
def counter(first_line, back):
    lines = []
    for bit in range(24):
        here = first_line + bit
        lines.append(f"F{bit:02X}aR{bit:02X}J{here + 1:03d}bS{bit:02X}{back}")
    lines.append("e")
    return lines

write("loop", "Data00.Dat", ["C数える。P"] + counter(1, "J001"))
write("chain", "Data00.Dat", ["C数える。P"] + counter(1, "D01"))
write("chain", "Data01.Dat", ["D00"])
questions = []
for q in range(4):
    questions += [f"Q問{q}？", "はい", "いいえ"]
write("questions", "Data00.Dat", questions + ["C数える。P"] + counter(len(questions) + 1, f"J{len(questions) + 1:03d}"))
many = ["C始まり。P"]
for q in range(17):
    many += [f"Q問{q}？", "はい", "いいえ"]
write("many", "Data00.Dat", many + ["C終わり。Pe"])
write("row", "Data00.Dat", ["C" + "あ" * 16000 + "Pe"])
PY

# Runs the story; prints the processor seconds it took (user and system: what other programs on
# a busy machine take is not counted) and its peak megabytes, and checks its summary line.
measure() {
  local name=$1 story=$2 expect=$3 seconds_target=$4 megabytes_target=$5
  shift 5
  local seconds megabytes verdict=ok
  /usr/bin/time -f "%U %S %M" -o "$scratch/usage" "$program" paths "$@" "$scratch/$story" >"$scratch/out" || true
  seconds=$(awk '{ printf "%.3f", $1 + $2 }' "$scratch/usage")
  megabytes=$(awk '{ printf "%.0f", $3 / 1024 }' "$scratch/usage")
  if ! grep -q "$expect" "$scratch/out"; then
    tail -5 "$scratch/out" >&2
    echo "FAILED: $name: no \"$expect\"" >&2
    failed=1
  fi
  awk -v a="$seconds" -v t="$seconds_target" 'BEGIN { exit !(t == "-" || a <= t) }' || verdict=MISSED
  awk -v a="$megabytes" -v t="$megabytes_target" 'BEGIN { exit !(t == "-" || a <= t) }' || verdict=MISSED
  [ "$verdict" = ok ] || failed=1
  printf '%-44s %6.3f s %5d MB   target %s s, %s MB   %s\n' "$name" "$seconds" "$megabytes" \
    "$seconds_target" "$megabytes_target" "$verdict"
}

measure "counter loop in flags, no question" loop "stopped after 5000000 steps" 2 100
measure "the counter chained between two files" chain "stopped after 5000000 steps" 2 100
measure "four questions before the counter" questions "^16 paths: 16 stopped" - 100
measure "100,000 paths (--max-paths 100000)" many "^100000 paths: 100000 end mark" - 200 \
  --max-paths 100000 --max-seconds 600
measure "a row of 16,000 characters" row "^1 path: 1 end mark" 0.5 -
exit "$failed"
