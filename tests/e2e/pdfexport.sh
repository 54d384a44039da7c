#!/usr/bin/env bash
# Exporter en PDF in the real program under its own X server: a new test, a
# cancelled export, a reopened test (its own date and name) and a follow-up
# of three tests (its button), each time under the name the dialog proposes;
# every document is read back by pdfa_check.py (qpdf, pdffonts, pikepdf,
# pdftotext -layout) against the lines the print command prints.
#   pdfexport.sh <BelvaMG> <expected_report> <saved_test>
set -uo pipefail
prog=${1:?usage: pdfexport.sh BelvaMG expected_report saved_test}
expected=${2:?usage: pdfexport.sh BelvaMG expected_report saved_test}
saved_test=${3:?usage: pdfexport.sh BelvaMG expected_report saved_test}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
x_need Xvfb xdotool xmodmap import qpdf pdffonts pdftotext /usr/bin/python3
/usr/bin/python3 -c 'import pikepdf' 2>/dev/null || skip_or_fail "python3-pikepdf is missing (run scripts/setup)"
x_init pdfexport

patient="Élodie Gênée-Çàs Bœuf"
answers=53012405123041035321
scores="46,67 45 26,67 55 43,33"
reopened="Dupont Jean-Étienne"
folder="$WORK/tests"
mkdir -p "$folder"
"$saved_test" "$folder/ancien.txt" 15/01/2026 "$reopened" 11111111111111111111 &&
    "$saved_test" "$folder/a.txt" 08/12/2025 "$reopened" 00000000000000000000 &&
    "$saved_test" "$folder/b.txt" 15/01/2026 "$reopened" 53012405123041035321 &&
    "$saved_test" "$folder/c.txt" 02/03/2026 "$reopened" 33333333333333333333 ||
    fail "the saved tests could not be written"

x_start
keymap_add "$patient$reopened$folder"
app_start "$prog"

# check_pdf FILE TITLE --lines|--rows EXPECTED: the document read back.
check_pdf() {
    local file=$1 title=$2 how=$3 want=$4
    /usr/bin/python3 "$here/../pdfa_check.py" "$file" --title "$title" --paper A4 "$how" "$want" ||
        fail "$(basename "$file"): the document is not what was expected"
}

# export_dialog SHOT: the "Exporter en PDF" dialog accepted with the name it
# proposes.
export_dialog() {
    wait_window '^Exporter en PDF$' 100 || fail "the Exporter en PDF dialog did not show"
    local dialog=$FOUND
    focus_window "$dialog"
    shot "dialog-$1"
    xdotool key Return
    wait_for 50 window_gone "$dialog" || fail "the Exporter en PDF dialog did not close"
}

today=$("$expected" date)
file_date=${today//\//-}

echo "== a new test, the proposed name taken"
type_answers "$answers"
menu f d
answer_prompt "$patient"
export_dialog new
new="$HOME/$patient $file_date.pdf"
wait_for 50 test -s "$new" || fail "no '$patient $file_date.pdf' in the home folder: $(ls -A "$HOME" | tr '\n' '|')"
main_idle
"$expected" print "$patient" "$answers" "$scores" >"$WORK/new.want"
check_pdf "$new" "BELVA MG 1.0 - $patient - $today" --lines "$WORK/new.want"

echo "== cancelled: nothing written"
before=$(ls -A "$HOME" | sort)
menu f d
answer_prompt --cancel
wait_window '^Exporter en PDF$' 100 || fail "the Exporter en PDF dialog did not show"
focus_window "$FOUND"
xdotool key Escape
wait_for 50 window_gone "$FOUND" || fail "Escape did not close the dialog"
main_idle
[ "$(ls -A "$HOME" | sort)" = "$before" ] || fail "a cancelled export changed the home folder"

echo "== a reopened test keeps its date and name"
focus_main
xdotool key ctrl+o
wait_window '^Ouvrir un test$' 100 || fail "the Ouvrir dialog did not show"
focus_window "$FOUND"
xdotool key ctrl+a
type_text "$folder/ancien.txt"
xdotool key Return
wait_for 50 window_gone "$FOUND" || fail "the Ouvrir dialog did not close"
menu f d
answer_prompt "" # the proposed name kept
export_dialog reopened
old="$folder/$reopened 15-01-2026.pdf"
wait_for 50 test -s "$old" || fail "no '$reopened 15-01-2026.pdf' beside the reopened test: $(ls -A "$folder" | tr '\n' '|')"
main_idle
"$expected" print "$reopened" 11111111111111111111 "20 20 20 20 20" 15/01/2026 >"$WORK/old.want"
check_pdf "$old" "BELVA MG 1.0 - $reopened - 15/01/2026" --lines "$WORK/old.want"

echo "== a follow-up of three tests"
menu f u
wait_window '^Suivi du patient$' 100 || fail "the Suivi du patient dialog did not show"
focus_window "$FOUND"
xdotool key ctrl+a
type_text '"a.txt" "b.txt" "c.txt"'
xdotool key Return
wait_window '^Suivi du patient - ' 100 || fail "the follow-up window did not show"
follow=$FOUND
focus_window "$follow"
shot followup
# Tab order: table, Copier, Imprimer..., Exporter en PDF...
xdotool key Tab Tab Tab space
export_dialog followup
suivi="$folder/Suivi $reopened 02-03-2026.pdf"
wait_for 50 test -s "$suivi" || fail "no 'Suivi $reopened 02-03-2026.pdf': $(ls -A "$folder" | tr '\n' '|')"
sep=$("$expected" decimal)
{
    echo "Suivi du patient : $reopened"
    echo "3 tests, du 08/12/2025 au 02/03/2026"
    echo "Date PS PH S DG Global"
    echo "08/12/2025 0 0 0 0 0"
    echo "15/01/2026 46${sep}67 45 26${sep}67 55 43${sep}33"
    echo "+46${sep}67 points +45 points +26${sep}67 points +55 points +43${sep}33 points"
    echo "02/03/2026 60 60 60 60 60"
    echo "+13${sep}33 points +15 points +33${sep}33 points +5 points +16${sep}67 points"
    echo "Évolution +60 points +60 points +60 points +60 points +60 points"
} >"$WORK/suivi.want"
check_pdf "$suivi" "BELVA MG 1.0 - $reopened - Suivi du patient" --rows "$WORK/suivi.want"

app_running || fail "the program has ended"
echo "PASS"
