#!/usr/bin/env bash
# belvamg-score's outputs for the statistician against its CSV output, on the
# same generated study (generate.py): --format=sav, --format=dta and
# --reliability. Each round runs the four one after the other, so that a busy
# moment of a shared machine weighs on all; the medians of wall time and peak
# memory are printed, with the medians of the round-by-round ratios to the
# CSV run, and the peak memory for a tenth of the rows. The .dta file is read
# back with pandas once: as many rows as the CSV output. Run by hand (see
# bench/README.md), with the project built.
#   bench/score/formats.sh [RUNS] [ROWS] [ENCODING]   (5, 1000000, ASCII; BUILD_DIR build)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-5}
rows=${2:-1000000}
encoding=${3:-}
source bench/score/study.sh

for ((i = 0; i < runs; i++)); do
  measure csv "$score" "$work/in.csv" -o "$work/out.csv"
  measure sav "$score" --format=sav "$work/in.csv" -o "$work/out.sav"
  measure dta "$score" --format=dta "$work/in.csv" -o "$work/out.dta"
  measure reliability "$score" --reliability "$work/in.csv" -o "$work/reliability.csv"
  measure small-sav "$score" --format=sav "$work/small.csv" -o "$work/small.sav"
  measure small-dta "$score" --format=dta "$work/small.csv" -o "$work/small.dta"
done
"$py" -c 'import pandas, sys; n = len(pandas.read_stata(sys.argv[1], convert_categoricals=False)); sys.exit(n != int(sys.argv[2]))' \
  "$work/out.dta" "$rows" || { echo "the .dta file does not hold $rows rows" >&2; exit 1; }

printf '%s rows%s, %s runs, %s, load %s\n' "$rows" "${encoding:+ in $encoding}" "$runs" "$(date -u +%F)" \
  "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-12s %10s %12s %14s %12s\n' output 'wall (s)' 'peak (MiB)' 'paired ratio' 'size (MB)'
for t in csv sav dta reliability; do
  case $t in
    csv) f=out.csv ;; sav) f=out.sav ;; dta) f=out.dta ;; reliability) f=reliability.csv ;;
  esac
  w=$(cut -d' ' -f1 "$work/$t" | median)
  m=$(cut -d' ' -f2 "$work/$t" | median)
  r=$(paste -d' ' "$work/$t" "$work/csv" | awk '{ print $1 / $3 }' | median)
  awk -v t="$t" -v w="$w" -v m="$m" -v r="$r" -v s="$(stat -c %s "$work/$f")" \
    'BEGIN { printf "%-12s %10.2f %12.1f %14.2f %12.1f\n", t, w, m / 1024, r, s / 1e6 }'
done
for t in sav dta; do
  awk -v t="$t" -v a="$(cut -d' ' -f2 "$work/small-$t" | median)" -v b="$(cut -d' ' -f2 "$work/$t" | median)" -v n="$rows" \
    'BEGIN { printf "peak memory of --format=%s: %.2f MiB for %d rows, %.2f MiB for %d rows\n", t, a / 1024, n / 10, b / 1024, n }'
done
