#!/usr/bin/env bash
# Copier scores and Copier test in the real program under its own X server:
# answers typed with xdotool, the menus driven by their access keys, an
# accented patient name typed into the prompt; the clipboard, read with xclip
# while the program still owns it, must equal the expected report byte for
# byte (UTF-8, CR LF line ends, a final CR LF and tab). A copied line pasted
# into the prompt gives its first line, tabs as blanks.
#   clipboard.sh <BelvaMG> <expected_report>
set -uo pipefail
prog=${1:?usage: clipboard.sh BelvaMG expected_report}
expected=${2:?usage: clipboard.sh BelvaMG expected_report}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
x_need Xvfb xdotool xmodmap xclip import cmp od timeout
x_init clipboard

answers=53012405123041035321
scores="46,67 45 26,67 55 43,33"
patient="Élodie Gênée-Çàs Bœuf"

x_start
keymap_add "$patient"
app_start "$prog"
shot start
type_answers "$answers"
shot answers

clipboard() { timeout 10 xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null; }

# expect_clipboard WHAT KIND PATIENT: waits up to 5 s for the clipboard to
# hold the report; the date is taken before and after, for a run at midnight.
expect_clipboard() {
    local what=$1 kind=$2 name=$3
    "$expected" "$kind" "$name" "$answers" "$scores" >"$WORK/$what.want" || fail "expected_report failed"
    clipboard_is() { clipboard >"$WORK/$what.got" && cmp -s "$WORK/$what.want" "$WORK/$what.got"; }
    wait_for 50 clipboard_is && return 0
    "$expected" "$kind" "$name" "$answers" "$scores" >"$WORK/$what.want2"
    cmp -s "$WORK/$what.want2" "$WORK/$what.got" && return 0
    echo "--- expected $what (od -c)"
    od -c "$WORK/$what.want" | head -40
    echo "--- clipboard"
    od -c "$WORK/$what.got" | head -40
    fail "$what: the clipboard does not hold the expected report ($(cmp "$WORK/$what.want" "$WORK/$what.got" 2>&1))"
}

echo "== Copier scores"
menu e s
expect_clipboard scores summary ""
shot scores

echo "== Copier test, with an accented patient name"
menu e t
answer_prompt "$patient"
expect_clipboard test text "$patient"
# The report keeps its own shape on the clipboard.
[ "$(head -c 2 "$WORK/test.got" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "the report does not start with CR LF"
[ "$(tail -c 3 "$WORK/test.got" | od -An -c | tr -d ' ')" = '\r\n\t' ] || fail "the report does not end with CR LF and a tab"
grep -q "Nom patient : $patient"$'\r' "$WORK/test.got" || fail "the patient name is not on line 6"

echo "== Copier test, prompt cancelled"
menu e t
answer_prompt --cancel
expect_clipboard cancelled text ""

echo "== Copier test, a copied line pasted as the name"
# Its tab becomes a blank; it ends at its first line end.
printf 'Jean\tDupont\r\n12 rue des Lilas\r\n' >"$WORK/line"
spawn xclip -quiet -selection clipboard -i "$WORK/line" >/dev/null 2>&1
line_offered() { clipboard | cmp -s - "$WORK/line"; }
wait_for 30 line_offered || fail "the copied line is not on the clipboard"
menu e t
wait_window '^Patient\.\.\.$' 100 || fail "the Patient... prompt did not show"
prompt=$FOUND
focus_window "$prompt"
xdotool key ctrl+v
shot prompt-pasted
xdotool key Return
wait_for 50 window_gone "$prompt" || fail "the Patient... prompt did not close"
expect_clipboard pasted text "Jean Dupont"

app_running || fail "the program has ended"
echo "PASS"
