#!/usr/bin/env bash
# Imprimer in the real program under its own X server, printing through a
# CUPS scheduler of this test's own: the prompt answered, the print dialog
# confirmed with Enter; the document the default queue receives must hold the
# words of the expected report, patient name included. With a scheduler that
# has no queue, the command shows the error box "Aucune imprimante par
# défaut sélectionnée." instead of the print dialog.
#   printcommand.sh <BelvaMG> <expected_report>
set -uo pipefail
prog=${1:?usage: printcommand.sh BelvaMG expected_report}
expected=${2:?usage: printcommand.sh BelvaMG expected_report}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
source "$here/private_cups.sh"
x_need Xvfb xdotool xmodmap import cupsd lpstat pdftotext timeout
x_init print

answers=53012405123041035321
scores="46,67 45 26,67 55 43,33"
patient="Élodie Gênée-Çàs Bœuf"

# The words of a text, one per line, ligatures spelt out.
words() {
    sed -e 's/ﬀ/ff/g; s/ﬁ/fi/g; s/ﬂ/fl/g; s/ﬃ/ffi/g; s/ﬄ/ffl/g; s/ﬅ/st/g; s/ﬆ/st/g' |
        tr -s ' \t\f\r\n' '\n' | sed '/^$/d'
}

documents() { ls "$WORK/cups/out/" 2>/dev/null | grep -c '\.pdf$'; }

echo "== printing on the default queue"
cups_start "$WORK/cups" Belva_PDF
x_start
a11y_start
keymap_add "$patient"
app_start "$prog"
type_answers "$answers"
menu f i
answer_prompt "$patient"
# The print dialog: the first other window of the program.
print_dialog() {
    FOUND=$(app_visible_windows | grep -vx "$WIN" | head -n1) && [ -n "$FOUND" ] &&
        [ "$(xdotool getwindowname "$FOUND" 2>/dev/null)" != "BELVA MG 1.0" ]
}
wait_for 150 print_dialog || fail "the print dialog did not show"
dialog=$FOUND
focus_window "$dialog"
shot print-dialog
xdotool key Return
wait_for 100 window_gone "$dialog" || fail "the print dialog did not close on Enter"
job_done() { [ "$(documents)" -ge 1 ] && [ -z "$(lpstat -W not-completed -o 2>/dev/null)" ]; }
wait_for 300 job_done || fail "no document reached the queue: $(lpstat -W all -o 2>&1 | head -3)"
[ "$(documents)" = 1 ] || fail "$(documents) documents reached the queue, not 1"
pdf=$(ls "$WORK"/cups/out/*.pdf)
pdftotext -raw "$pdf" - | words >"$WORK/print.got" || fail "pdftotext cannot read the document"
"$expected" print "$patient" "$answers" "$scores" | words >"$WORK/print.want"
if ! cmp -s "$WORK/print.want" "$WORK/print.got"; then
    # A run at midnight: the date taken again.
    "$expected" print "$patient" "$answers" "$scores" | words >"$WORK/print.want"
    diff -u "$WORK/print.want" "$WORK/print.got" | head -30
    cmp -s "$WORK/print.want" "$WORK/print.got" || fail "the printed words are not those of the report"
fi
grep -qx "Bœuf" "$WORK/print.got" || fail "the patient name is not printed"
app_running || fail "the program ended after printing"
kill -- "-$APP" 2>/dev/null
wait "$APP" 2>/dev/null
APP=
cups_stop

echo "== a scheduler without any queue"
cups_start "$WORK/empty"
app_start "$prog"
menu f i
answer_prompt ""
wait_window '^BELVA MG 1\.0$' 100 || fail "no error box instead of the print dialog"
box=$FOUND
shot no-printer
[ "$(app_visible_windows | grep -vx -e "$WIN" -e "$box")" = "" ] || fail "a window other than the error box showed"
# The box's message, read through the accessibility bus.
wait_for 100 a11y_find_app || fail "the program is not on the accessibility bus"
wait_for 30 a11y_box_message || fail "the error box is not on the accessibility bus"
a11y_expect "the error box's message" a11y_name "$A11Y_MESSAGE" "Aucune imprimante par défaut sélectionnée."
xdotool key Return
wait_for 50 window_gone "$box" || fail "the error box did not close"
[ "$(ls "$WORK/empty/out/")" = "" ] || fail "a scheduler without queues received a job"
app_running || fail "the program ended after the error box"
echo "PASS"
