#!/usr/bin/env bash
# Time of "tessaro paths" on the sample story: every path played to its end, without a window,
# on a clock that does not wait. Prints the median of RUNS runs (5 by default) beside its target,
# with each run's figure, and exits 1 when it is missed or a path is missing.
# Usage: bench/paths.sh [path/to/tessaro]   (target: under 1 s)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$here/build/tessaro}
runs=${RUNS:-5}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

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
awk -v a="$median" 'BEGIN { exit !(a < 1) }' || verdict=MISSED
printf '%-44s %6.3f s   target under 1 s   %s   (runs: %s)\n' "tessaro paths, the sample story" "$median" "$verdict" "${times[*]}"
[ "$verdict" = ok ]
