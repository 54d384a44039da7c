#!/usr/bin/env bash
# Suivi du patient in the real program under its own X server: saved tests
# chosen in the file dialog, dated in the forms the program writes under
# several locales; the refused files (one not a test, one whose date reads in
# no form) listed in the error box; tests of two names shown only after the
# question (read through the accessibility bus) is answered Oui; Copier puts
# the patients, the period and the table with each change on the clipboard.
# The screenshots are kept with BELVA_KEEP=1.
#   followup.sh <BelvaMG> <saved_test> <expected_report>
set -uo pipefail
prog=${1:?usage: followup.sh BelvaMG saved_test expected_report}
saved_test=${2:?usage: followup.sh BelvaMG saved_test expected_report}
expected=${3:?usage: followup.sh BelvaMG saved_test expected_report}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
x_need Xvfb xdotool xmodmap xclip import convert cmp od timeout gdbus
x_init followup

folder="$WORK/tests"
mkdir -p "$folder"
long="Dupont-Lefebvre Jean-Étienne Marie Alexandre Hippolyte de la Tour d'Auvergne"
# French, C and English short dates; 05/07/26 reads two ways (5 July first).
"$saved_test" "$folder/a.txt" 15/01/2026 "$long" 53012405123041035321 &&
  "$saved_test" "$folder/b.txt" 08/12/2025 "$long" 00000000000000000000 &&
  "$saved_test" "$folder/c.txt" "le lendemain de l'intervention" "$long" 11111111111111111111 &&
  "$saved_test" "$folder/d.txt" 02/03/2026 "Dupont Jean" 22222222222222222222 &&
  "$saved_test" "$folder/e.txt" "20 Jun 2026" "$long" 33333333333333333333 &&
  "$saved_test" "$folder/f.txt" 11/30/26 "$long" 55555555555555555555 &&
  "$saved_test" "$folder/g.txt" 05/07/26 " $long " 44444444444444444444 ||
  fail "the saved tests could not be written"
printf 'pas un test\r\n' >"$folder/refus.txt"

x_start
a11y_start
keymap_add "$long$folder"
app_start "$prog"
wait_for 100 a11y_find_app || fail "the program is not on the accessibility bus"

clipboard() { timeout 10 xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null; }

# follow_up FILE...: Fichier > Suivi du patient..., the files chosen.
follow_up() {
    local list="" f
    for f in "$@"; do list+="\"$f\" "; done
    menu f u
    wait_window '^Suivi du patient$' 100 || fail "the file dialog did not show"
    local dialog=$FOUND
    focus_window "$dialog"
    # Into the folder first, then the names.
    xdotool key ctrl+a
    type_text "$folder"
    xdotool key Return
    xdotool key ctrl+a
    type_text "$list"
    xdotool key Return
    wait_for 50 window_gone "$dialog" || fail "the file dialog did not close"
}

# box_says TEXT: the open message box shows TEXT.
box_says() {
    wait_window '^BELVA MG 1\.0$' 100 || fail "no message box"
    BOX=$FOUND
    wait_for 30 a11y_box_message || fail "the message box is not on the accessibility bus"
    a11y_expect "the box's message" a11y_name "$A11Y_MESSAGE" "$(a11y_escaped "$1")"
}

# window_shot NAME: the follow-up window's picture once it is drawn (more
# than a handful of colours: text, table, chart).
window_shot() {
    drawn() {
        import -display "$DISPLAY" -window "$FOLLOW" "$WORK/$1.png" 2>/dev/null &&
            [ "$(convert "$WORK/$1.png" -format %k info:)" -gt 16 ]
    }
    wait_for 50 drawn "$1" || fail "$1: the window was not drawn"
}

# copied WANT: Copier puts the file WANT on the clipboard.
copied() {
    a11y_window "$(xdotool getwindowname "$FOLLOW")" || fail "the follow-up window is not on the accessibility bus"
    a11y_named "$A11Y_WINDOW" Copier || fail "no Copier button"
    a11y_press "$A11Y_FOUND"
    clipboard_is() { clipboard >"$WORK/got" && cmp -s "$1" "$WORK/got"; }
    if ! wait_for 50 clipboard_is "$1"; then
        diff "$1" "$WORK/got" | head -20
        fail "Copier did not put the expected text on the clipboard"
    fi
}

sep=$("$expected" decimal)
d() { printf '%s' "${1//,/$sep}"; }
changes() { # SCORE CHANGE DIRECTION: the five cells of a row whose scores all moved alike
    local i out=""
    for i in 1 2 3 4 5; do out+=$'\t'"$1 ($(d "$2") points, $3)"; done
    printf '%s' "$out"
}
refused="Ces 2 fichiers n'ont pas été retenus :
\"c.txt\" : date du test illisible (« le lendemain de l'intervention »).
\"refus.txt\" n'est pas un test BELVA MG enregistré (ligne 1)."
question="Les tests choisis portent des noms différents :
$long
Dupont Jean
Les afficher comme ceux d'un même patient ?"

echo "== two names: the question, answered Non"
follow_up a.txt b.txt c.txt d.txt e.txt f.txt g.txt refus.txt
box_says "$refused"
shot refused
focus_window "$BOX"
xdotool key Return
wait_for 50 window_gone "$BOX" || fail "the message did not close"
box_says "$question"
a11y_window "BELVA MG 1.0" || fail "the question is not on the accessibility bus"
a11y_named "$A11Y_WINDOW" Oui || fail "no Oui button"
a11y_named "$A11Y_WINDOW" Non || fail "no Non button"
shot question
focus_window "$BOX"
xdotool key Return # Non, the default
wait_for 50 window_gone "$BOX" || fail "the question did not close"
sleep 0.5
main_idle

echo "== the same, answered Oui"
follow_up a.txt b.txt c.txt d.txt e.txt f.txt g.txt refus.txt
box_says "$refused"
focus_window "$BOX"
xdotool key Return
wait_for 50 window_gone "$BOX" || fail "the message did not close"
box_says "$question"
focus_window "$BOX"
xdotool key alt+o
wait_window '^Suivi du patient - ' 100 || fail "Oui did not open the follow-up window"
FOLLOW=$FOUND
window_shot mixed
{
    printf 'Suivi du patient : « %s », « Dupont Jean »\r\n' "$long"
    printf '6 tests, du 08/12/2025 au 11/30/26\r\n'
    printf "Attention : ces tests portent des noms différents (colonne Patient) ; ils sont montrés comme ceux d'un même patient.\r\n\r\n"
    printf 'Date\tPatient\tPS\tPH\tS\tDG\tGlobal\r\n'
    printf '08/12/2025\t%s\t0\t0\t0\t0\t0\r\n' "$long"
    printf '15/01/2026\t%s\t%s\t%s\t%s\t%s\t%s\r\n' "$long" \
        "$(d '46,67 (+46,67') points, aggravation)" "45 (+45 points, aggravation)" \
        "$(d '26,67 (+26,67') points, aggravation)" "55 (+55 points, aggravation)" \
        "$(d '43,33 (+43,33') points, aggravation)"
    printf '02/03/2026\tDupont Jean\t%s\t%s\t%s\t%s\t%s\r\n' \
        "40 ($(d -6,67) points, amélioration)" "40 (-5 points, amélioration)" \
        "40 ($(d +13,33) points, aggravation)" "40 (-15 points, amélioration)" \
        "40 ($(d -3,33) points, amélioration)"
    printf '20 Jun 2026\t%s%s\r\n' "$long" "$(changes 60 +20 aggravation)"
    printf '05/07/26\t%s%s\r\n' "$long" "$(changes 80 +20 aggravation)"
    printf '11/30/26\t%s%s\r\n' "$long" "$(changes 100 +20 aggravation)"
    printf 'Évolution\t'
    for i in 1 2 3 4 5; do printf '\t+100 points, aggravation'; done
    printf '\r\n'
} >"$WORK/mixed.want"
copied "$WORK/mixed.want"
xdotool windowfocus --sync "$FOLLOW" 2>/dev/null
xdotool key Escape
wait_for 50 window_gone "$FOLLOW" || fail "Escape did not close the follow-up window"

echo "== one name (blanks around it apart), no question"
follow_up a.txt b.txt e.txt f.txt g.txt
wait_window '^Suivi du patient - ' 100 || fail "the follow-up window did not show"
FOLLOW=$FOUND
[ "$(xdotool getwindowname "$FOLLOW")" = "Suivi du patient - $long" ] || fail "the title is '$(xdotool getwindowname "$FOLLOW")'"
a11y_window "Suivi du patient - $long" || fail "the follow-up window is not on the accessibility bus"
a11y_named "$A11Y_WINDOW" "5 tests, du 08/12/2025 au 11/30/26" || fail "no period: $(a11y_names "$A11Y_WINDOW" | paste -sd '|')"
window_shot single
xdotool windowfocus --sync "$FOLLOW" 2>/dev/null
xdotool key Escape
wait_for 50 window_gone "$FOLLOW" || fail "Escape did not close the follow-up window"

app_running || fail "the program has ended"
echo "PASS"
