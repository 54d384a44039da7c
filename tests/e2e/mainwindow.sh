#!/usr/bin/env bash
# Starts the real program under its own X server with Qt's accessibility on,
# types into it with xdotool and reads the window back through the
# accessibility bus: an answer rescores, a wrong character (typed, or a
# pasted tab) shows the error box and leaves the scores, "&Nouveau" resets
# and "&Quitter" ends. The scores are written with the decimal separator of
# the locale.
# Usage: mainwindow.sh /path/to/BelvaMG /path/to/expected_report
set -euo pipefail

prog=${1:?usage: mainwindow.sh /path/to/BelvaMG /path/to/expected_report}
expected=${2:?usage: mainwindow.sh /path/to/BelvaMG /path/to/expected_report}
launcher=/usr/libexec/at-spi-bus-launcher
for tool in Xvfb xdotool xprop xclip dbus-daemon gdbus "$launcher"; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAIL: $tool is missing (Debian packages xvfb xdotool x11-utils xclip dbus at-spi2-core)"
        exit 1
    fi
done

# wait_for, the bounded wait the other end-to-end tests use too; the locale.
source "$(dirname "$0")/xsession.sh"
use_locale
dec=$("$expected" decimal)

tmp=$(mktemp -d)
groups=()
cleanup() {
    for g in "${groups[@]}"; do kill -- "-$g" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

# After the library: its own fail() expects a work folder of its kind.
fail() {
    echo "FAIL: $*"
    [ -s "$tmp/app.log" ] && sed 's/^/  program: /' "$tmp/app.log"
    exit 1
}

# Each helper process gets its own process group, ended by its own id.
mkdir -m 700 "$tmp/run" "$tmp/home"
export HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/run
# -noreset: a reset when the last client leaves would refuse the program.
setsid Xvfb -displayfd 5 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp -noreset 5>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
groups+=($!)
wait_for 100 test -s "$tmp/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$tmp/display")"

setsid dbus-daemon --session --nofork --print-address=5 5>"$tmp/bus" >/dev/null 2>&1 &
groups+=($!)
wait_for 50 test -s "$tmp/bus" || fail "no session bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$tmp/bus")

setsid "$launcher" --launch-immediately >/dev/null 2>&1 &
groups+=($!)
a11y_address() {
    gdbus call --session -d org.a11y.Bus -o /org/a11y/bus -m org.a11y.Bus.GetAddress | sed -e "s/^('//" -e "s/',)$//"
}
wait_for 50 a11y_address || fail "no accessibility bus"
bus=$(a11y_address)

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 setsid "$prog" >"$tmp/app.log" 2>&1 &
app=$!
groups+=($app)

# --- reading the window through the accessibility bus
app_name=""
find_app() {
    local name
    for name in $(gdbus call --address "$bus" -d org.a11y.atspi.Registry -o /org/a11y/atspi/accessible/root \
        -m org.a11y.atspi.Accessible.GetChildren | grep -o "':[0-9.]*'" | tr -d "'"); do
        if gdbus call --address "$bus" -d "$name" -o /org/a11y/atspi/accessible/root \
            -m org.freedesktop.DBus.Properties.Get org.a11y.atspi.Accessible Name | grep -q "'BELVA MG 1.0'"; then
            app_name=$name
            return 0
        fi
    done
    return 1
}
child() { # PATH INDEX
    gdbus call --address "$bus" -d "$app_name" -o "$1" -m org.a11y.atspi.Accessible.GetChildAtIndex "$2" |
        grep -o "'/org/a11y/atspi/accessible/[^']*'" | tr -d "'"
}
name_of() {
    gdbus call --address "$bus" -d "$app_name" -o "$1" -m org.freedesktop.DBus.Properties.Get \
        org.a11y.atspi.Accessible Name | sed -e 's/^(<.//' -e 's/.>,)$//'
}
text_of() {
    gdbus call --address "$bus" -d "$app_name" -o "$1" -m org.a11y.atspi.Text.GetText -- 0 -1 |
        sed -e "s/^('//" -e "s/',)$//"
}
value_is() { [ "$("$1" "$2")" = "$3" ]; }
# expect WHAT GETTER PATH EXPECTED: waits up to 3 s for the value.
expect() {
    local what=$1 getter=$2 path=$3 expected=$4
    wait_for 30 value_is "$getter" "$path" "$expected" ||
        fail "$what is '$($getter "$path")', expected '$expected'"
}

# --- the window
caption="BELVA MG 1.0 - Qualité de vie dans l'insuffisance veineuse chronique."
wait_for 150 xdotool search --onlyvisible --name '^BELVA MG 1\.0 - ' || fail "no main window"
win=$(xdotool search --onlyvisible --name '^BELVA MG 1\.0 - ' | head -n1)
[ "$(xdotool getwindowname "$win")" = "$caption" ] || fail "title is '$(xdotool getwindowname "$win")'"
hints=$(xprop -id "$win" WM_NORMAL_HINTS)
min=$(sed -n 's/.*minimum size: //p' <<<"$hints")
max=$(sed -n 's/.*maximum size: //p' <<<"$hints")
[[ $min == "585 by "* && $min == "$max" ]] || fail "size not held fixed: minimum '$min', maximum '$max'"

wait_for 100 find_app || fail "the program is not on the accessibility bus"
frame=$(child /org/a11y/atspi/accessible/root 0)
central=$(child "$frame" 0)
scores=$(child "$central" 5)
ps_caption=$(child "$scores" 0)
ps_field=$(child "$scores" 1)
status_bar=$(child "$frame" 2)
status=$(child "$status_bar" 1)
[ "$(name_of "$ps_caption")" = "Retentissement psychologique (%) :" ] || fail "unexpected window layout"
expect "status panel" name_of "$status" "Score global (%) : 0"

# --- item 1 starts with the focus and its "0" selected: "5" replaces it
xdotool windowfocus --sync "$win"
xdotool type --delay 60 5
expect "PS score" text_of "$ps_field" "11${dec}11"
expect "status panel" name_of "$status" "Score global (%) : 2${dec}78"

# --- Tab, then a letter: the error box, the scores unchanged
xdotool key Tab
xdotool type --delay 60 x
wait_for 50 xdotool search --onlyvisible --name '^BELVA MG 1\.0$' || fail "no error box after typing x"
box_message() { message=$(child "$(child /org/a11y/atspi/accessible/root 1)" 1) && [ -n "$message" ]; }
wait_for 30 box_message || fail "the error box is not on the accessibility bus"
expect "error message" name_of "$message" "'x' n'est pas une valeur entière correcte."
expect "status panel" name_of "$status" "Score global (%) : 2${dec}78"
xdotool key Return
wait_for 50 sh -c "! xdotool search --onlyvisible --name '^BELVA MG 1\\.0\$'" || fail "the error box did not close"

# --- back in item 2 with the "x" selected: a digit corrects it
focused() { [ "$(xdotool getwindowfocus)" = "$win" ]; }
wait_for 30 focused || fail "the keyboard did not come back to the window"
xdotool type --delay 60 4
expect "PS score" text_of "$ps_field" "20"
expect "status panel" name_of "$status" "Score global (%) : 5"

# --- a tab pasted into item 3 is its answer: the box shows it between the
# quotes (the bus writes it as \t)
printf '\t' >"$tmp/tab"
setsid xclip -quiet -selection clipboard -i "$tmp/tab" >/dev/null 2>&1 &
groups+=($!)
wait_for 30 sh -c "xclip -o -selection clipboard | cmp -s - '$tmp/tab'" || fail "the tab is not on the clipboard"
xdotool key Tab ctrl+v
wait_for 50 xdotool search --onlyvisible --name '^BELVA MG 1\.0$' || fail "no error box after pasting a tab"
wait_for 30 box_message || fail "the error box is not on the accessibility bus"
expect "error message" name_of "$message" "'\\t' n'est pas une valeur entière correcte."
expect "status panel" name_of "$status" "Score global (%) : 5"
xdotool key Return
wait_for 50 sh -c "! xdotool search --onlyvisible --name '^BELVA MG 1\\.0\$'" || fail "the error box did not close"
wait_for 30 focused || fail "the keyboard did not come back to the window"

# --- menus: wait for the popup before sending the item's key
visible_windows() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l; }
windows=$(visible_windows)
menu_open() { [ "$(visible_windows)" -gt "$windows" ]; }
open_file_menu() {
    xdotool key alt+f
    wait_for 30 menu_open || fail "the Fichier menu did not open"
}
open_file_menu
xdotool key n
expect "PS score" text_of "$ps_field" "0"
expect "status panel" name_of "$status" "Score global (%) : 0"

open_file_menu
xdotool key q
ended() { [[ $(ps -o stat= -p "$app") != [^Z]* ]]; }
wait_for 50 ended || fail "the program did not end on Quitter"
wait "$app" || fail "the program ended with status $?"
echo "PASS"
