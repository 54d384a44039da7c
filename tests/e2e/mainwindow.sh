#!/usr/bin/env bash
# Starts the real program under its own X server with Qt's accessibility on,
# types into it with xdotool and reads the window back through the
# accessibility bus: an answer rescores, a wrong character (typed, or a
# pasted tab) shows the error box and leaves the scores, "&Nouveau" resets
# and "&Quitter" ends. The scores are written with the decimal separator of
# the locale.
# Usage: mainwindow.sh /path/to/BelvaMG /path/to/expected_report
set -uo pipefail
prog=${1:?usage: mainwindow.sh /path/to/BelvaMG /path/to/expected_report}
expected=${2:?usage: mainwindow.sh /path/to/BelvaMG /path/to/expected_report}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
x_need Xvfb xdotool xprop xclip
x_init mainwindow
dec=$("$expected" decimal) || fail "expected_report failed"

x_start
a11y_start
app_start "$prog"

# --- the window
caption="BELVA MG 1.0 - Qualité de vie dans l'insuffisance veineuse chronique."
[ "$(xdotool getwindowname "$WIN")" = "$caption" ] || fail "title is '$(xdotool getwindowname "$WIN")'"
hints=$(xprop -id "$WIN" WM_NORMAL_HINTS)
min=$(sed -n 's/.*minimum size: //p' <<<"$hints")
max=$(sed -n 's/.*maximum size: //p' <<<"$hints")
[[ $min == "585 by "* && $min == "$max" ]] || fail "size not held fixed: minimum '$min', maximum '$max'"

wait_for 100 a11y_find_app || fail "the program is not on the accessibility bus"
frame=$(a11y_child /org/a11y/atspi/accessible/root 0)
central=$(a11y_child "$frame" 0)
scores=$(a11y_child "$central" 5)
ps_caption=$(a11y_child "$scores" 0)
ps_field=$(a11y_child "$scores" 1)
status_bar=$(a11y_child "$frame" 2)
status=$(a11y_child "$status_bar" 1)
[ "$(a11y_name "$ps_caption")" = "Retentissement psychologique (%) :" ] || fail "unexpected window layout"
a11y_expect "status panel" a11y_name "$status" "Score global (%) : 0"

# --- item 1 starts with the focus and its "0" selected: "5" replaces it
xdotool type --delay 60 5
a11y_expect "PS score" a11y_text "$ps_field" "11${dec}11"
a11y_expect "status panel" a11y_name "$status" "Score global (%) : 2${dec}78"

# --- Tab, then a letter: the error box, the scores unchanged
xdotool key Tab
xdotool type --delay 60 x
wait_for 50 xdotool search --onlyvisible --name '^BELVA MG 1\.0$' || fail "no error box after typing x"
wait_for 30 a11y_box_message || fail "the error box is not on the accessibility bus"
a11y_expect "error message" a11y_name "$A11Y_MESSAGE" "'x' n'est pas une valeur entière correcte."
a11y_expect "status panel" a11y_name "$status" "Score global (%) : 2${dec}78"
xdotool key Return
wait_for 50 sh -c "! xdotool search --onlyvisible --name '^BELVA MG 1\\.0\$'" || fail "the error box did not close"

# --- back in item 2 with the "x" selected: a digit corrects it
focused() { [ "$(xdotool getwindowfocus)" = "$WIN" ]; }
wait_for 30 focused || fail "the keyboard did not come back to the window"
xdotool type --delay 60 4
a11y_expect "PS score" a11y_text "$ps_field" "20"
a11y_expect "status panel" a11y_name "$status" "Score global (%) : 5"

# --- a tab pasted into item 3 is its answer: the box shows it between the
# quotes (the bus writes it as \t)
printf '\t' >"$WORK/tab"
spawn xclip -quiet -selection clipboard -i "$WORK/tab" >/dev/null 2>&1
tab_offered() { xclip -o -selection clipboard | cmp -s - "$WORK/tab"; }
wait_for 30 tab_offered || fail "the tab is not on the clipboard"
xdotool key Tab ctrl+v
wait_for 50 xdotool search --onlyvisible --name '^BELVA MG 1\.0$' || fail "no error box after pasting a tab"
wait_for 30 a11y_box_message || fail "the error box is not on the accessibility bus"
a11y_expect "error message" a11y_name "$A11Y_MESSAGE" "'\\t' n'est pas une valeur entière correcte."
a11y_expect "status panel" a11y_name "$status" "Score global (%) : 5"
xdotool key Return
wait_for 50 sh -c "! xdotool search --onlyvisible --name '^BELVA MG 1\\.0\$'" || fail "the error box did not close"
wait_for 30 focused || fail "the keyboard did not come back to the window"

# --- menus: wait for the popup before sending the item's key
menu f n
a11y_expect "PS score" a11y_text "$ps_field" "0"
a11y_expect "status panel" a11y_name "$status" "Score global (%) : 0"

menu f q
app_ended() { ! app_running; }
wait_for 50 app_ended || fail "the program did not end on Quitter"
wait "$APP" || fail "the program ended with status $?"
echo "PASS"
