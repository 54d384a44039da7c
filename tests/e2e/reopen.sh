#!/usr/bin/env bash
# Ouvrir in the real program under its own X server: a test saved, the window
# reset with Nouveau, the file reopened with Ctrl+O; Copier test with the
# proposed patient name kept must give back the saved file byte for byte.
#   reopen.sh <BelvaMG>
set -uo pipefail
prog=${1:?usage: reopen.sh BelvaMG}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
x_need Xvfb xdotool xmodmap xclip import iconv cmp od timeout
x_init reopen

folder="$WORK/dossier patients"
mkdir -p "$folder"
saved="$folder/suivi Éloïse.txt"
patient="Éloïse Lætitia-Çà"

x_start
keymap_add "$saved$patient"
app_start "$prog"

# file_dialog TITLE PATH: types PATH into the file dialog of that title.
file_dialog() {
    wait_window "^$1\$" 100 || fail "the dialog '$1' did not show"
    local dialog=$FOUND
    focus_window "$dialog"
    xdotool key ctrl+a
    type_text "$2"
    shot "dialog-$1"
    xdotool key Return
    wait_for 50 window_gone "$dialog" || fail "the dialog '$1' did not close"
}

echo "== save"
type_answers 53012405123041035321
# Sauvegarder sous..., five up from the first item (it has no access key).
menu f Up Up Up Up Up Return
answer_prompt "$patient"
file_dialog 'Sauvegarder sous\.\.\.' "$saved"
wait_for 50 test -s "$saved" || fail "nothing was saved"

echo "== Nouveau, then Ouvrir"
menu f n
focus_main
xdotool key ctrl+o
file_dialog 'Ouvrir un test' "$saved"
focus_main
shot reopened

echo "== Copier test"
menu e t
answer_prompt ""
clipboard_is_saved() {
    timeout 10 xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null | iconv -f UTF-8 -t CP1252 >"$WORK/copied" &&
        cmp -s "$WORK/copied" "$saved"
}
if ! wait_for 50 clipboard_is_saved; then
    echo "--- saved (od -c)"
    od -c "$saved" | head -20
    echo "--- copied"
    od -c "$WORK/copied" | head -20
    fail "the reopened test does not copy back to the saved file ($(cmp "$WORK/copied" "$saved" 2>&1))"
fi
app_running || fail "the program has ended"
echo "PASS"
