#!/usr/bin/env bash
# Real print jobs: the print driver (tst_printjob) prints the report through
# a CUPS scheduler of this test's own; the documents its queues received must
# hold the report's text on the expected number of pages, with the copies
# counted by the printing system, and no page range or page set. Without a
# default printer of the system, the user's CUPS setting or else the first
# queue is taken; a scheduler without any queue, or a default that is not
# installed, must give "no default printer" instead of a dialog.
#   printing.sh <tst_printjob>
set -uo pipefail
driver=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
source "$here/private_cups.sh"
cups_need cupsd lpstat ipptool pdftotext pdfinfo timeout
[ -f /usr/share/wine/fonts/tahoma.ttf ] || skip_or_fail "Tahoma of fonts-wine is missing (run scripts/setup)"

cups_work print

use_locale
export QT_QPA_PLATFORM=offscreen BELVA_PRINT_OUT=$work/expected
mkdir -p "$BELVA_PRINT_OUT"

cat >"$work/getjob.test" <<'TEST'
{
  OPERATION Get-Job-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR integer job-id $job_id
  ATTR name requesting-user-name root
  ATTR keyword requested-attributes copies,job-state,job-name,page-set,page-ranges
}
TEST

# The words of a text, one per line, ligatures spelt out.
words() {
  sed -e 's/ﬀ/ff/g; s/ﬁ/fi/g; s/ﬂ/fl/g; s/ﬃ/ffi/g; s/ﬄ/ffl/g; s/ﬅ/st/g; s/ﬆ/st/g' |
    tr -s ' \t\f\r\n' '\n' | sed '/^$/d'
}

# check_job QUEUE JOB COPIES PAGES PAGE_SIZE
check_job() {
  local queue=$1 job=$2 copies=$3 pages=$4 size=$5
  local name=$queue-$job pdf=$work/cups/out/$queue-$job.pdf
  [ -s "$pdf" ] || { fail "$name: no document reached the queue"; return; }

  local socket uri attrs
  socket=$(printf '%s' "$CUPS_SERVER" | sed 's|/|%2F|g')
  uri="ipp://$socket/printers/$queue"
  attrs=$(ipptool -v -d job_id="$job" -t "$uri" "$work/getjob.test" 2>&1)
  grep -q 'job-state (enum) = completed' <<<"$attrs" || fail "$name: job not completed"
  # One copy is the default, which the job need not name.
  if grep -q 'copies (integer)' <<<"$attrs" || [ "$copies" != 1 ]; then
    grep -q "copies (integer) = $copies\$" <<<"$attrs" || fail "$name: copies is not $copies"
  fi
  grep -q 'job-name (nameWithoutLanguage) = $' <<<"$attrs" || fail "$name: the job name is not empty"
  # The report is printed whole.
  ! grep -E '^\s*page-(set|ranges) \(' <<<"$attrs" || fail "$name: the job does not print every page"
  # The backend was given the copies to make of one document.
  [ "$(sed -n 4p "$work/cups/out/$name.args")" = "$copies" ] || fail "$name: backend not asked for $copies copies"

  local info
  info=$(pdfinfo "$pdf")
  grep -q "^Pages: *$pages\$" <<<"$info" || fail "$name: not $pages page(s): $(grep '^Pages' <<<"$info")"
  grep -q "^Page size: *$size" <<<"$info" || fail "$name: page size is not $size: $(grep '^Page size' <<<"$info")"

  pdftotext -raw "$pdf" - | words >"$work/$name.got"
  words <"$BELVA_PRINT_OUT/$name.expected" >"$work/$name.want"
  if ! diff -u "$work/$name.want" "$work/$name.got" >"$work/$name.diff"; then
    fail "$name: the printed text differs from the report"
    head -20 "$work/$name.diff"
  fi
}

# Waits until COUNT documents arrived and no job is left in the queues.
wait_jobs() {
  local count=$1
  jobs_done() {
    [ "$(ls "$work/cups/out/" | grep -c '\.pdf$')" -ge "$count" ] && [ -z "$(lpstat -W not-completed -o 2>/dev/null)" ]
  }
  wait_for 300 jobs_done || fail "only $(ls "$work/cups/out/" | grep -c '\.pdf$') of $count jobs arrived"
}

echo "== with printers"
cups_start "$work/cups" Belva_PDF Second
timeout 120 "$driver" printDialogCancelled printReportThreeCopies copiesStayForTheNextDialog \
  refusedWhileJobOpen setupDialogCancelled setupDialogChoosesPrinter allPagesOnly || fail "print driver failed"
wait_jobs 5
check_job Belva_PDF 1 3 1 "595 x 842 pts (A4)"
check_job Belva_PDF 2 1 2 "595 x 842 pts (A4)"
check_job Belva_PDF 3 1 1 "595 x 842 pts (A4)"
check_job Second 4 1 2 "595 x 420 pts (A5)"
check_job Second 5 1 2 "595 x 420 pts (A5)"
echo "== a job that cannot start"
TMPDIR=$work/missing timeout 60 "$driver" printerCannotBeOpened || fail "driver failed when the job cannot start"
echo "== a default printer that is not installed"
LPDEST=Ghost timeout 60 "$driver" noDefaultPrinter || fail "driver failed with a default printer not installed"
extra=$(ls "$work/cups/out/" | grep '\.pdf$' | grep -v -x -e Belva_PDF-1.pdf -e Belva_PDF-2.pdf -e Belva_PDF-3.pdf -e Second-4.pdf -e Second-5.pdf)
[ -z "$extra" ] || fail "unexpected jobs: $extra"
cups_stop

echo "== printers installed, none marked as default"
cups_start "$work/nodefault" --no-default Second Belva_PDF
first=$(lpstat -e | head -n1)
[ -n "$first" ] || fail "no queue listed"
home=$HOME
# The user's setting, and the printer taken ("-": no default printer).
while read -r setting expected; do
  echo "-- $setting"
  export HOME=$work/home-${setting//[^A-Za-z]/_}
  mkdir -p "$HOME"
  vars=()
  case $setting in
    none) ;;
    lpoptions-d) lpoptions -d "$expected" >/dev/null || fail "lpoptions -d $expected failed" ;;
    stale-lpoptions) mkdir -p "$HOME/.cups" && echo "Default Ghost" >"$HOME/.cups/lpoptions" ;;
    *) vars=("$setting") ;;
  esac
  [ "$expected" = first ] && expected=$first
  if [ "$expected" = - ]; then
    env "${vars[@]}" timeout 60 "$driver" noDefaultPrinter || fail "$setting: a dialog or no message"
  else
    env "${vars[@]}" BELVA_DEFAULT_PRINTER="$expected" timeout 60 "$driver" defaultPrinter ||
      fail "$setting: the print dialog did not open on $expected"
  fi
done <<'CASES'
none            first
PRINTER=Second  Second
LPDEST=Second   Second
PRINTER=lp      first
lpoptions-d     Second
PRINTER=Ghost   -
stale-lpoptions -
CASES
export HOME=$home
cups_stop

echo "== without any printer"
cups_start "$work/empty"
timeout 60 "$driver" noDefaultPrinter || fail "no-printer driver failed"
cups_stop

((failed)) && exit 1
echo "PASS"
