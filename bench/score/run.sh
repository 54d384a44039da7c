#!/usr/bin/env bash
# belvamg-score against two yardsticks doing the same scoring on the same
# generated study: a plain Python csv script and pandas. Each run takes the
# three in turn, so that each yardstick's time is paired with the program's
# time of the same moment on a shared machine; the medians are printed, the
# medians of the pair-by-pair ratios, and the peak memory of belvamg-score for
# a tenth of the rows and for all. The three outputs must be the same bytes.
# ENCODING windows-1252 writes the ids with accented names in that encoding,
# as a French Excel saves them (the output keeps it). Run by hand (see
# bench/README.md), with the project built.
#   bench/score/run.sh [RUNS] [ROWS] [ENCODING]   (5, 1000000, ASCII; BUILD_DIR build)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-5}
rows=${2:-1000000}
encoding=${3:-}
source bench/score/study.sh

for ((i = 0; i < runs; i++)); do
  measure score "$score" "$work/in.csv" -o "$work/score.csv"
  measure csv "$py" bench/score/baseline_csv.py "$work/in.csv" "$work/csv.csv" "${encoding:-utf-8}"
  measure pandas "$py" bench/score/baseline_pandas.py "$work/in.csv" "$work/pandas.csv" "${encoding:-utf-8}"
  measure small "$score" "$work/small.csv" -o "$work/small-score.csv"
done
cmp "$work/score.csv" "$work/csv.csv"
cmp "$work/score.csv" "$work/pandas.csv"

s=$(cut -d' ' -f1 "$work/score" | median)
printf '%s rows%s, %s runs, %s, load %s\n' "$rows" "${encoding:+ in $encoding}" "$runs" "$(date -u +%F)" \
  "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-8s %10s %12s %18s %16s\n' tool 'wall (s)' 'peak (MiB)' 'wall / belvamg' 'paired ratio'
for t in score csv pandas; do
  w=$(cut -d' ' -f1 "$work/$t" | median)
  m=$(cut -d' ' -f2 "$work/$t" | median)
  # Each run's time over the program's time of the same round.
  r=$(paste -d' ' "$work/$t" "$work/score" | awk '{ print $1 / $3 }' | median)
  awk -v t="$t" -v w="$w" -v m="$m" -v s="$s" -v r="$r" \
    'BEGIN { printf "%-8s %10.2f %12.1f %18.1f %16.1f\n", t, w, m / 1024, w / s, r }'
done
awk -v a="$(cut -d' ' -f2 "$work/small" | median)" -v b="$(cut -d' ' -f2 "$work/score" | median)" -v n="$rows" \
  'BEGIN { printf "belvamg-score peak memory: %.2f MiB for %d rows, %.2f MiB for %d rows\n", a / 1024, n / 10, b / 1024, n }'
echo "the three outputs are the same bytes"
