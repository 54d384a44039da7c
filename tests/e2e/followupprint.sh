#!/usr/bin/env bash
# The follow-up printed through a CUPS scheduler of this test's own: each
# job is one page with the copies asked for and an empty name, and its text
# starts with the title, the warning and the table the driver expects.
# BELVA_KEEP=1 keeps the pages rendered as PNG.
#   followupprint.sh <tst_followupprint>
set -uo pipefail
driver=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
source "$here/private_cups.sh"
cups_need cupsd lpstat pdftotext pdfinfo pdftoppm timeout

cups_work followupprint

export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 BELVA_PRINT_OUT=$work/expected
mkdir -p "$BELVA_PRINT_OUT"

# The words of a text, one per line, ligatures spelt out; the column
# captions are left out (a long table repeats them over each column block).
words() {
  sed -e 's/ﬀ/ff/g; s/ﬁ/fi/g; s/ﬂ/fl/g; s/ﬃ/ffi/g; s/ﬄ/ffl/g' | tr -s ' \t\f\r\n' '\n' |
    grep -v -x -e '' -e Date -e PS -e PH -e S -e DG -e Global
}

# check_job NAME COPIES
check_job() {
  local name=$1 copies=$2 pdf=$work/cups/out/$1.pdf
  [ -s "$pdf" ] || { fail "$name: no document reached the queue"; return; }
  [ "$(sed -n 4p "$work/cups/out/$name.args")" = "$copies" ] || fail "$name: backend not asked for $copies copies"
  [ -z "$(sed -n 3p "$work/cups/out/$name.args")" ] || fail "$name: the job has a name"
  pdfinfo "$pdf" | grep -q '^Pages: *1$' || fail "$name: not one page"
  words <"$BELVA_PRINT_OUT/$name.expected" >"$work/$name.want"
  pdftotext -raw "$pdf" - | words | head -n "$(wc -l <"$work/$name.want")" >"$work/$name.got"
  diff -u "$work/$name.want" "$work/$name.got" >"$work/$name.diff" ||
    { fail "$name: the page does not start with the table"; head -20 "$work/$name.diff"; }
  pdftotext -raw "$pdf" - | grep -q 'Score global' || fail "$name: no legend on the page"
  pdftoppm -r 50 -png -singlefile "$pdf" "$work/$name" || fail "$name: the page cannot be rendered"
}

cups_start "$work/cups" Belva_PDF
timeout 120 "$driver" || fail "print driver failed"
for i in $(seq 1 300); do
  [ "$(ls "$work/cups/out/" | grep -c '\.pdf$')" -ge 2 ] && [ -z "$(lpstat -W not-completed -o 2>/dev/null)" ] && break
  sleep 0.1
done
check_job Belva_PDF-1 2
check_job Belva_PDF-2 1
[ "$(ls "$work/cups/out/" | grep -c '\.pdf$')" = 2 ] || fail "not exactly two jobs: $(ls "$work/cups/out/")"
((failed)) && exit 1
echo "PASS"
