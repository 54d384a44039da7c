#!/usr/bin/env bash
# Sauvegarder sous in the real program under its own X server: the patient
# name typed into the prompt, a full path without extension typed into the
# save dialog; the file must hold the Windows-1252 bytes of the expected
# report and nothing else. A second save under the name the dialog offers
# replaces the file without a question.
#   save.sh <BelvaMG> <expected_report>
set -uo pipefail
prog=${1:?usage: save.sh BelvaMG expected_report}
expected=${2:?usage: save.sh BelvaMG expected_report}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
x_need Xvfb xdotool xmodmap import iconv cmp od
x_init save

folder="$WORK/dossier patients"
mkdir -p "$folder"
target="$folder/bilan Élodie"
first_patient="Élodie Gênée-Çàs Bœuf"
second_patient="Jean Dupré"

x_start
keymap_add "$target$first_patient$second_patient"
app_start "$prog"

# save PATIENT [PATH]: Fichier > Sauvegarder sous..., the prompt answered,
# PATH typed into the dialog's file name (or the name it offers taken).
save() {
    local patient=$1 path=${2:-}
    # Sauvegarder sous... has no access key: five up from the first item,
    # past Quitter, Configuration imprimante, Imprimer and Exporter en PDF.
    menu f Up Up Up Up Up Return
    answer_prompt "$patient"
    wait_window '^Sauvegarder sous\.\.\.$' 100 || fail "the save dialog did not show"
    local dialog=$FOUND
    focus_window "$dialog"
    if [ -z "$path" ]; then
        shot dialog-offered
    else
        shot dialog
        xdotool key ctrl+a
        type_text "$path"
        shot dialog-typed
    fi
    xdotool key Return
    # A question would keep the dialog open.
    wait_for 50 window_gone "$dialog" || fail "the save dialog did not close"
}

# expect_file ANSWERS SCORES PATIENT: the saved file comes to hold the report
# of these fields in Windows-1252, alone in its folder; the date is taken
# before and after, for midnight. Then the command is over, and it must have
# shown nothing more: no error box.
expect_file() {
    local answers=$1 scores=$2 patient=$3 want=$WORK/want.cp1252 i
    saved() { [ "$(ls -A "$folder")" = "bilan Élodie.txt" ] && cmp -s "$want" "$target.txt"; }
    for i in 1 2; do
        "$expected" text "$patient" "$answers" "$scores" | iconv -f UTF-8 -t CP1252 >"$want" ||
            fail "no Windows-1252 form of the expected report"
        wait_for 50 saved && { main_idle; return 0; }
    done
    [ "$(ls -A "$folder")" = "bilan Élodie.txt" ] ||
        fail "the folder holds '$(ls -A "$folder" | tr '\n' '|')', not one file 'bilan Élodie.txt'"
    echo "--- expected (od -c)"
    od -c "$want" | head -30
    echo "--- file"
    od -c "$target.txt" | head -30
    fail "the saved file is not the expected report ($(cmp "$want" "$target.txt" 2>&1))"
}

echo "== first save, a new file"
type_answers 53012405123041035321
save "$first_patient" "$target"
expect_file 53012405123041035321 "46,67 45 26,67 55 43,33" "$first_patient"
[ "$(head -c 2 "$target.txt" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "the file does not start with CR LF"
[ "$(tail -c 3 "$target.txt" | od -An -c | tr -d ' ')" = '\r\n\t' ] || fail "the file does not end with CR LF and a tab"

echo "== second save, the same name replaced"
focus_main
# Item 20 is one Shift+Tab back from item 1.
xdotool key shift+Tab
xdotool type --delay 30 5
save "$second_patient"
expect_file 53012405123041035325 "46,67 45 26,67 75 48,33" "$second_patient"

app_running || fail "the program has ended"
echo "PASS"
