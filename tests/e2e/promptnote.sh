#!/usr/bin/env bash
# The patient prompt in the real program under its own X server: a character
# a saved test cannot hold is refused, and the note naming it stays on screen
# while the physician types on, naming every character refused so far; the
# test copied holds the name as it was kept. The note is read through the
# accessibility bus.
#   promptnote.sh <BelvaMG>
set -uo pipefail
prog=${1:?usage: promptnote.sh BelvaMG}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
x_need Xvfb xdotool xmodmap xclip import gdbus
x_init promptnote

x_start
a11y_start
keymap_add "ễă"
app_start "$prog"
wait_for 100 a11y_find_app || fail "the program is not on the accessibility bus"

one='Caractère "ễ" refusé : il ne peut pas être enregistré.'
two='Caractères "ễ", "ă" refusés : ils ne peuvent pas être enregistrés.'

# note_is TEXT: the prompt's note says TEXT and is on screen.
note_is() {
    a11y_window 'Patient...' && a11y_named "$A11Y_WINDOW" "$1" && a11y_showing "$A11Y_FOUND"
}

echo "== Copier test, the name typed letter by letter"
menu e t
wait_window '^Patient\.\.\.$' 100 || fail "the Patient... prompt did not show"
prompt=$FOUND
focus_window "$prompt"
for c in N g u y ễ; do type_text "$c"; done
wait_for 30 note_is "$one" || fail "no note for the refused ễ: $(a11y_names "$A11Y_WINDOW" | paste -sd '|')"
type_text n
sleep 0.5
note_is "$one" || fail "the note went when n was typed: $(a11y_names "$A11Y_WINDOW" | paste -sd '|')"
shot note-one
for c in ' ' V ă n; do type_text "$c"; done
wait_for 30 note_is "$two" || fail "the note does not name both characters: $(a11y_names "$A11Y_WINDOW" | paste -sd '|')"
shot note-two
xdotool key Return
wait_for 50 window_gone "$prompt" || fail "the Patient... prompt did not close"

line6() { timeout 10 xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null | sed -n 6p | tr -d '\r'; }
name_copied() { [ "$(line6)" = "$(printf '\tNom patient : Nguyn Vn')" ]; }
wait_for 50 name_copied || fail "line 6 of the copied test is '$(line6)'"

app_running || fail "the program has ended"
echo "PASS"
