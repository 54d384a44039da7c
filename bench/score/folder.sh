#!/usr/bin/env bash
# belvamg-score on folders of saved tests: peak memory and time for each
# COUNT of tests (copies of one saved test under different names), to show
# that memory stays flat as the folder grows. Run by hand (see
# bench/README.md), with the project built.
#   bench/score/folder.sh [RUNS] [COUNT...]   (3, 1000 10000 100000; BUILD_DIR build)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-3}
shift || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(1000 10000 100000)
score=${BUILD_DIR:-build}/bin/belvamg-score
[ -x "$score" ] || { echo "build first: $score is missing" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
printf '%s, load %s\n' "$(date -u +%F)" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%8s %10s %12s\n' tests 'wall (s)' 'peak (MiB)'
for count in "${counts[@]}"; do
  folder="$work/tests-$count"
  mkdir "$folder"
  python3 - "$folder" "$count" tests/data/score/saved/a-good.txt <<'PY'
import sys
folder, count, template = sys.argv[1], int(sys.argv[2]), open(sys.argv[3], "rb").read()
for n in range(count):
    with open(f"{folder}/Patient {n:06d}.txt", "wb") as f:
        f.write(template)
PY
  : >"$work/times"
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f '%e %M' -o "$work/time" "$score" "$folder" -o "$work/out.csv"
    cat "$work/time" >>"$work/times"
  done
  [ "$(wc -l <"$work/out.csv")" -eq $((count + 1)) ] || { echo "wrong row count for $count" >&2; exit 1; }
  w=$(cut -d' ' -f1 "$work/times" | median)
  m=$(cut -d' ' -f2 "$work/times" | median)
  awk -v c="$count" -v w="$w" -v m="$m" 'BEGIN { printf "%8d %10.2f %12.2f\n", c, w, m / 1024 }'
  rm -rf "$folder"
done
