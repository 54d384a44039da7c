#!/usr/bin/env bash
# Suivi du patient in the real program under its own X server: saved tests
# chosen in the file dialog (one refused), the refusal shown, the window
# opened with the others in date order; Copier puts the table on the
# clipboard. The screenshots are kept with BELVA_KEEP=1.
#   followup.sh <BelvaMG> <saved_test> <expected_report>
set -uo pipefail
prog=${1:?usage: followup.sh BelvaMG saved_test expected_report}
saved_test=${2:?usage: followup.sh BelvaMG saved_test expected_report}
expected=${3:?usage: followup.sh BelvaMG saved_test expected_report}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
x_need Xvfb xdotool xmodmap xclip import convert cmp od timeout
x_init followup

folder="$WORK/tests"
mkdir -p "$folder"
long="Dupont-Lefebvre Jean-Étienne Marie Alexandre Hippolyte de la Tour d'Auvergne"
"$saved_test" "$folder/a.txt" 15/01/2026 "$long" 53012405123041035321 &&
  "$saved_test" "$folder/b.txt" 08/12/2025 "$long" 00000000000000000000 &&
  "$saved_test" "$folder/c.txt" "le lendemain de l'intervention" "$long" 11111111111111111111 &&
  "$saved_test" "$folder/d.txt" 02/03/2026 "Dupont Jean" 22222222222222222222 &&
  "$saved_test" "$folder/e.txt" 20/06/2026 "$long" 33333333333333333333 &&
  "$saved_test" "$folder/f.txt" 30/11/2026 "$long" 55555555555555555555 ||
  fail "the saved tests could not be written"
printf 'pas un test\r\n' >"$folder/refus.txt"

x_start
keymap_add "$long$folder"
app_start "$prog"

clipboard() { timeout 10 xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null; }

# follow_up SHOT FILE...: Fichier > Suivi du patient..., the files chosen.
follow_up() {
    local name=$1 list="" f
    shift
    for f in "$@"; do list+="\"$f\" "; done
    menu f u
    wait_window '^Suivi du patient$' 100 || fail "the file dialog did not show"
    local dialog=$FOUND
    xdotool windowfocus --sync "$dialog" 2>/dev/null || true
    # Into the folder first, then the names.
    xdotool key ctrl+a
    type_text "$folder"
    xdotool key Return
    xdotool key ctrl+a
    type_text "$list"
    xdotool key Return
    wait_for 50 window_gone "$dialog" || fail "$name: the file dialog did not close"
}

expect_window() {
    wait_window '^Suivi du patient - ' 100 || fail "$1: the follow-up window did not show"
    FOLLOW=$FOUND
}

# window_shot WINDOW NAME: the window's picture once it is drawn (more than
# a handful of colours: text, table, chart).
window_shot() {
    drawn() {
        import -display "$DISPLAY" -window "$1" "$WORK/$2.png" 2>/dev/null &&
            [ "$(convert "$WORK/$2.png" -format %k info:)" -gt 16 ]
    }
    wait_for 50 drawn "$1" "$2" || fail "$2: the window was not drawn"
}

sep=$("$expected" decimal)
d() { printf '%s' "${1//,/$sep}"; }

echo "== six tests, one refused, one date unreadable"
# In the order of their names: the dialog may give them back in the order
# it lists them, whatever order they were typed in.
follow_up six a.txt b.txt c.txt d.txt e.txt f.txt refus.txt
wait_window '^BELVA MG 1\.0$' 100 || fail "no message for the refused file"
box=$FOUND
shot refused
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Return
wait_for 50 window_gone "$box" || fail "the message did not close"
expect_window six
window_shot "$FOLLOW" six-tests
shot six-screen

# Copier is the first button: Tab order is table, Copier, Imprimer, Fermer.
xdotool windowfocus --sync "$FOLLOW" 2>/dev/null || true
xdotool key Tab space
{
    printf 'Date\tPS\tPH\tS\tDG\tGlobal\r\n'
    printf '08/12/2025\t0\t0\t0\t0\t0\r\n'
    printf '%s\r\n' "15/01/2026	$(d 46,67)	45	$(d 26,67)	55	$(d 43,33)"
    printf "le lendemain de l'intervention\t20\t20\t20\t20\t20\r\n"
    printf '02/03/2026\t40\t40\t40\t40\t40\r\n'
    printf '20/06/2026\t60\t60\t60\t60\t60\r\n'
    printf '30/11/2026\t100\t100\t100\t100\t100\r\n'
    printf 'Évolution\t+100\t+100\t+100\t+100\t+100\r\n'
} >"$WORK/six.want"
clipboard_is() { clipboard >"$WORK/six.got" && cmp -s "$WORK/six.want" "$WORK/six.got"; }
if ! wait_for 50 clipboard_is; then
    diff "$WORK/six.want" "$WORK/six.got" | od -c | head -20
    fail "Copier did not put the table on the clipboard"
fi

xdotool key Escape
wait_for 50 window_gone "$FOLLOW" || fail "Escape did not close the follow-up window"

echo "PASS"
