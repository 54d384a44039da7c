# Sourced by the scorer's benchmarks, from the checkout's top, with rows and
# encoding set: the program ($score), Debian's Python with pandas ($py), a
# work folder removed at exit ($work) holding the generated study (in.csv)
# and a tenth of it (small.csv), and the helpers measure and median.
score=${BUILD_DIR:-build}/bin/belvamg-score
py=/usr/bin/python3 # Debian's Python, where python3-pandas installs
[ -x "$score" ] || { echo "build first: $score is missing" >&2; exit 1; }
if ! "$py" -c 'import pandas' 2>/dev/null; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends python3-pandas >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$py" bench/score/generate.py "$rows" ${encoding:+"$encoding"} >"$work/in.csv"
"$py" bench/score/generate.py $((rows / 10)) ${encoding:+"$encoding"} >"$work/small.csv"

# measure NAME COMMAND...: appends "seconds peak-KiB" to $work/NAME.
measure() {
  local name=$1
  shift
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null
  cat "$work/time" >>"$work/$name"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
