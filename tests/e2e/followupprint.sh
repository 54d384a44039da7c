#!/usr/bin/env bash
# The follow-up printed through a CUPS scheduler of this test's own: each
# job has the pages and copies asked for and an empty name, and its text
# starts with the title, the period, the warning, the threshold and the table
# the driver expects (a long table goes on over the next pages).
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
    grep -v -x -e '' -e Date -e Patient -e PS -e PH -e S -e DG -e Global
}

# The document's words, page by page, without the title that starts each
# page after the first.
pdf_words() {
  local pdf=$1 pages p
  pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
  for ((p = 1; p <= pages; p++)); do
    if ((p == 1)); then
      pdftotext -raw -f $p -l $p "$pdf" -
    else
      pdftotext -raw -f $p -l $p "$pdf" - | sed '0,/(suite)$/d'
    fi
  done | words
}

# check_job NAME COPIES PAGES (a number, or "several")
check_job() {
  local name=$1 copies=$2 pages=$3 pdf=$work/cups/out/$1.pdf got
  [ -s "$pdf" ] || { fail "$name: no document reached the queue"; return; }
  [ "$(sed -n 4p "$work/cups/out/$name.args")" = "$copies" ] || fail "$name: backend not asked for $copies copies"
  [ -z "$(sed -n 3p "$work/cups/out/$name.args")" ] || fail "$name: the job has a name"
  got=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
  if [ "$pages" = several ]; then
    ((got > 1)) || fail "$name: one page, not several"
  else
    [ "$got" = "$pages" ] || fail "$name: $got pages, not $pages"
  fi
  words <"$BELVA_PRINT_OUT/$name.expected" >"$work/$name.want"
  pdf_words "$pdf" | head -n "$(wc -l <"$work/$name.want")" >"$work/$name.got"
  diff -u "$work/$name.want" "$work/$name.got" >"$work/$name.diff" ||
    { fail "$name: the page does not start with the table"; head -20 "$work/$name.diff"; }
  pdftotext -raw "$pdf" - | grep -q 'Score global' || fail "$name: no legend on the page"
  pdftoppm -r 50 -png "$pdf" "$work/$name" || fail "$name: the pages cannot be rendered"
}

cups_start "$work/cups" Belva_PDF
timeout 120 "$driver" || fail "print driver failed"
for i in $(seq 1 300); do
  [ "$(ls "$work/cups/out/" | grep -c '\.pdf$')" -ge 2 ] && [ -z "$(lpstat -W not-completed -o 2>/dev/null)" ] && break
  sleep 0.1
done
check_job Belva_PDF-1 2 1
check_job Belva_PDF-2 1 several
[ "$(ls "$work/cups/out/" | grep -c '\.pdf$')" = 2 ] || fail "not exactly two jobs: $(ls "$work/cups/out/")"
((failed)) && exit 1
echo "PASS"
