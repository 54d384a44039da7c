# Sourced by the end-to-end tests that drive the real program: an X server of
# their own, a private HOME, the program in its own process group, the
# keyboard, the menus and screenshots. Every wait is bounded. What the machine
# lacks (a tool, a locale) skips the test, or fails it under CI.
#
#   x_need TOOL...          each tool there, or skip (fail under CI)
#   use_locale              LANG and LC_ALL from $BELVA_LOCALE
#   x_init NAME             work folder $WORK, failure handling, locale
#   x_start                 own Xvfb (DISPLAY), private HOME
#   a11y_start              private session bus and accessibility bus ($A11Y_BUS)
#   a11y_find_app           the program on that bus ($A11Y_APP), once it is there
#   a11y_child PATH INDEX   a child of an accessible object of the program
#   a11y_name PATH, a11y_text PATH   its name, its text
#   a11y_expect WHAT GETTER PATH VALUE   waits for GETTER PATH to give VALUE
#   a11y_box_message        the message of the open message box ($A11Y_MESSAGE)
#   a11y_escaped TEXT       TEXT as a11y_name gives it (GVariant's escapes)
#   a11y_window NAME        the program's top-level window of that name ($A11Y_WINDOW)
#   a11y_named PATH NAME    a widget of that name two levels down at most ($A11Y_FOUND)
#   a11y_names PATH         the names of its children, one a line
#   a11y_showing PATH       it is on screen
#   a11y_press PATH, a11y_focus PATH   presses a button, gives a widget the keyboard
#   keymap_add TEXT         gives each non-ASCII character of TEXT a keycode
#   app_start PROG          the program: $APP (pid), $WIN (main window)
#   focus_window ID         gives the keyboard to a window, waits until it has it
#   menu LETTER KEY...      opens a menu by its access key, then sends KEYs
#   main_idle               the last command is over, no window on top
#   type_text TEXT          types TEXT into the focused window
#   shot NAME               screenshot into $WORK/NAME.png
#   fail MESSAGE            prints the reason, keeps $WORK, exits 1
#
# Set BELVA_KEEP=1 to keep the work folder (screenshots, logs) after a pass.

source "$(dirname "${BASH_SOURCE[0]}")/../restrictions.sh"

x_need() { need_tools "$@"; }

# wait_for TENTHS COMMAND...: runs COMMAND every 0.1 s until it succeeds.
wait_for() {
    local tenths=$1 i
    shift
    for ((i = 0; i < tenths; i++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

has_locale() {
    local want=${1,,}
    locale -a 2>/dev/null | tr 'A-Z' 'a-z' | grep -qx "${want/utf-8/utf8}"
}

# The test runs in the locale $BELVA_LOCALE names (CTest runs each test in
# fr_FR.UTF-8 and in C.UTF-8); run by hand without it, in French where the
# machine has it. The expected texts are computed in the same locale.
use_locale() {
    local want=${BELVA_LOCALE:-}
    if [ -z "$want" ]; then
        want=C.UTF-8
        has_locale fr_FR.UTF-8 && want=fr_FR.UTF-8
    elif ! has_locale "$want"; then
        skip_or_fail "the locale $want is missing (run scripts/setup)"
    fi
    export LANG=$want LC_ALL=$want
    unset LANGUAGE
    echo "== locale $want"
}

x_init() {
    use_locale
    WORK=$(mktemp -d "/tmp/belva-$1.XXXXXX")
    chmod 0755 "$WORK"
    X_GROUPS=()
    X_FAILED=0
    trap x_finish EXIT
}

x_finish() {
    local g
    for g in "${X_GROUPS[@]}"; do kill -- "-$g" 2>/dev/null || true; done
    declare -F cups_stop >/dev/null && cups_stop
    wait 2>/dev/null || true
    if ((X_FAILED)) || [ -n "${BELVA_KEEP:-}" ]; then
        echo "Work files kept in $WORK"
    else
        rm -rf "$WORK"
    fi
}

fail() {
    echo "FAIL: $*"
    X_FAILED=1
    if [ -n "${X_DISPLAY:-}" ]; then
        import -display "$X_DISPLAY" -window root "$WORK/failure.png" 2>/dev/null &&
            echo "  screenshot: $WORK/failure.png"
    fi
    [ -s "$WORK/app.log" ] && sed 's/^/  program: /' "$WORK/app.log"
    exit 1
}

# Runs a command in a process group of its own, remembered for the cleanup.
spawn() {
    setsid "$@" &
    X_GROUPS+=($!)
}

x_start() {
    mkdir -p -m 700 "$WORK/run" "$WORK/home"
    export HOME=$WORK/home XDG_RUNTIME_DIR=$WORK/run
    # No session bus unless a11y_start gives one: nothing may autolaunch one.
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/run/no-bus
    unset SESSION_MANAGER
    # -noreset: the keymap set up below would go with the last client.
    spawn Xvfb -displayfd 5 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp -noreset 5>"$WORK/display" >"$WORK/xvfb.log" 2>&1
    wait_for 100 test -s "$WORK/display" || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    X_DISPLAY=":$(head -n1 "$WORK/display")"
    export DISPLAY=$X_DISPLAY
}

a11y_start() {
    local launcher=/usr/libexec/at-spi-bus-launcher
    x_need "$launcher" dbus-daemon gdbus
    spawn dbus-daemon --session --nofork --print-address=5 5>"$WORK/bus" >/dev/null 2>&1
    wait_for 50 test -s "$WORK/bus" || fail "no session bus"
    export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$WORK/bus")
    spawn "$launcher" --launch-immediately >/dev/null 2>&1
    wait_for 50 a11y_address || fail "no accessibility bus"
    A11Y_BUS=$(a11y_address)
}

a11y_address() {
    gdbus call --session -d org.a11y.Bus -o /org/a11y/bus -m org.a11y.Bus.GetAddress |
        sed -e "s/^('//" -e "s/',)$//"
}

# The program's connection on the accessibility bus, found by its name.
a11y_find_app() {
    local name
    for name in $(gdbus call --address "$A11Y_BUS" -d org.a11y.atspi.Registry -o /org/a11y/atspi/accessible/root \
        -m org.a11y.atspi.Accessible.GetChildren | grep -o "':[0-9.]*'" | tr -d "'"); do
        if gdbus call --address "$A11Y_BUS" -d "$name" -o /org/a11y/atspi/accessible/root \
            -m org.freedesktop.DBus.Properties.Get org.a11y.atspi.Accessible Name 2>/dev/null |
            grep -q "'BELVA MG 1.0'"; then
            A11Y_APP=$name
            return 0
        fi
    done
    return 1
}

a11y_child() { # PATH INDEX
    gdbus call --address "$A11Y_BUS" -d "$A11Y_APP" -o "$1" -m org.a11y.atspi.Accessible.GetChildAtIndex "$2" |
        grep -o "'/org/a11y/atspi/accessible/[^']*'" | tr -d "'"
}

a11y_name() {
    gdbus call --address "$A11Y_BUS" -d "$A11Y_APP" -o "$1" -m org.freedesktop.DBus.Properties.Get \
        org.a11y.atspi.Accessible Name | sed -e 's/^(<.//' -e 's/.>,)$//'
}

a11y_text() {
    gdbus call --address "$A11Y_BUS" -d "$A11Y_APP" -o "$1" -m org.a11y.atspi.Text.GetText -- 0 -1 |
        sed -e "s/^('//" -e "s/',)$//"
}

# a11y_expect WHAT GETTER PATH VALUE: waits up to 3 s for the value.
a11y_expect() {
    local what=$1 getter=$2 path=$3 want=$4
    a11y_value_is() { [ "$("$getter" "$path")" = "$want" ]; }
    wait_for 30 a11y_value_is || fail "$what is '$("$getter" "$path")', expected '$want'"
}

# A message box is the program's second top-level window; its message is the
# box's second child.
a11y_box_message() {
    A11Y_MESSAGE=$(a11y_child "$(a11y_child /org/a11y/atspi/accessible/root 1)" 1) && [ -n "$A11Y_MESSAGE" ]
}

a11y_escaped() {
    local t=${1//\\/\\\\}
    [[ $t == *"'"* ]] && t=${t//\"/\\\"}
    t=${t//$'\n'/\\n}
    t=${t//$'\t'/\\t}
    printf '%s' "$t"
}

a11y_count() {
    gdbus call --address "$A11Y_BUS" -d "$A11Y_APP" -o "$1" -m org.freedesktop.DBus.Properties.Get \
        org.a11y.atspi.Accessible ChildCount | sed -n 's/^(<\([0-9]*\)>,)$/\1/p'
}

a11y_window() {
    local root=/org/a11y/atspi/accessible/root i n path
    n=$(a11y_count "$root")
    for ((i = 0; i < ${n:-0}; i++)); do
        path=$(a11y_child "$root" "$i")
        [ -n "$path" ] && [ "$(a11y_name "$path")" = "$1" ] && { A11Y_WINDOW=$path; return 0; }
    done
    return 1
}

a11y_names() {
    local i n
    n=$(a11y_count "$1")
    for ((i = 0; i < ${n:-0}; i++)); do a11y_name "$(a11y_child "$1" "$i")"; done
}

# Tables are not searched: every cell of theirs is an object of its own.
a11y_named() {
    local path=$1 name=$2 depth=${3:-2} i n child
    n=$(a11y_count "$path")
    for ((i = 0; i < ${n:-0}; i++)); do
        child=$(a11y_child "$path" "$i")
        [ -n "$child" ] || continue
        [ "$(a11y_name "$child")" = "$name" ] && { A11Y_FOUND=$child; return 0; }
        ((depth > 1)) && [ "$(a11y_role "$child")" != table ] && a11y_named "$child" "$name" $((depth - 1)) && return 0
    done
    return 1
}

a11y_role() {
    gdbus call --address "$A11Y_BUS" -d "$A11Y_APP" -o "$1" -m org.a11y.atspi.Accessible.GetRoleName |
        sed -e "s/^('//" -e "s/',)$//"
}

# The first word of the state set holds "showing" at bit 25.
a11y_showing() {
    local word
    word=$(gdbus call --address "$A11Y_BUS" -d "$A11Y_APP" -o "$1" -m org.a11y.atspi.Accessible.GetState |
        sed 's/uint32 //g' | grep -o '[0-9]\+' | head -n1)
    (((${word:-0} >> 25) & 1))
}

a11y_press() {
    gdbus call --address "$A11Y_BUS" -d "$A11Y_APP" -o "$1" -m org.a11y.atspi.Action.DoAction 0 >/dev/null
}

a11y_focus() {
    gdbus call --address "$A11Y_BUS" -d "$A11Y_APP" -o "$1" -m org.a11y.atspi.Component.GrabFocus >/dev/null
}

# xdotool types characters it finds in the keymap; the others it maps itself
# for a moment, which Qt does not always see in time (letters come out
# lower-cased or not at all). Give each of them a spare keycode of its own
# before the program starts.
X_SPARE=()
X_MAPPED=""
keymap_add() {
    local text=$1 c i keysym
    if ((${#X_SPARE[@]} == 0)); then
        # Keycodes without any keysym; 8 is the lowest and left alone.
        X_SPARE=($(xmodmap -pke | awk '$1 == "keycode" && NF == 3 && $2 > 8 { print $2 }'))
    fi
    for ((i = 0; i < ${#text}; i++)); do
        c=${text:i:1}
        [[ $c == [[:ascii:]] || $X_MAPPED == *"$c"* ]] && continue
        ((${#X_SPARE[@]})) || fail "no spare keycode left for '$c'"
        # The same keysym on both levels: a lone capital would read as its
        # lower-case form without Shift.
        keysym=$(printf 'U%04X' "'$c")
        xmodmap -e "keycode ${X_SPARE[0]} = $keysym $keysym" || fail "xmodmap could not map '$c'"
        X_SPARE=("${X_SPARE[@]:1}")
        X_MAPPED+=$c
    done
}

type_text() {
    xdotool type --delay 40 -- "$1"
}

app_visible_windows() { xdotool search --onlyvisible --pid "$APP" 2>/dev/null | sort; }

app_start() {
    if [ -n "${A11Y_BUS:-}" ]; then
        QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 setsid "$1" >"$WORK/app.log" 2>&1 &
    else
        setsid "$1" >"$WORK/app.log" 2>&1 &
    fi
    APP=$!
    X_GROUPS+=($APP)
    wait_for 150 xdotool search --onlyvisible --name '^BELVA MG 1\.0 - ' || fail "no main window"
    WIN=$(xdotool search --onlyvisible --name '^BELVA MG 1\.0 - ' | head -n1)
    focus_main
}

app_running() { kill -0 "$APP" 2>/dev/null && [[ $(ps -o stat= -p "$APP") != Z* ]]; }

# focus_window ID: gives the keyboard to a window as a window manager would,
# and waits until it has it: keys typed earlier may land in the window that
# had it before.
focus_window() {
    local id=$1
    xdotool windowfocus --sync "$id" 2>/dev/null
    has_keyboard() { [ "$(xdotool getwindowfocus)" = "$id" ]; }
    wait_for 30 has_keyboard || fail "the window '$(xdotool getwindowname "$id" 2>/dev/null)' did not take the keyboard"
}

# Without a window manager the focus falls to the root window when a dialog
# closes: give it back to the main window.
focus_main() {
    app_running || fail "the program has ended"
    focus_window "$WIN"
}

# menu LETTER KEY...: Alt+LETTER, then the keys once the popup is mapped (a
# key sent earlier lands in the focused drop-down).
menu() {
    local letter=$1 before
    shift
    focus_main
    before=$(app_visible_windows | wc -l)
    xdotool key "alt+$letter"
    popup_open() { [ "$(app_visible_windows | wc -l)" -gt "$before" ]; }
    wait_for 30 popup_open || fail "the menu of Alt+$letter did not open"
    xdotool key --delay 60 "$@"
}

# main_idle: the last command is over and no window stands on the main one:
# no other window of the program shows, and the main window opens its Fichier
# menu and closes it again (a key it could not take while a box was up).
main_idle() {
    only_main() { [ "$(app_visible_windows)" = "$WIN" ]; }
    others() { app_visible_windows | grep -vx "$WIN" | xargs -r -n1 xdotool getwindowname | paste -sd '|'; }
    only_main || fail "another window showed: $(others)"
    # The first Escape closes the menu, the second leaves the menu bar.
    menu f Escape Escape
    wait_for 30 only_main || fail "another window showed: $(others)"
}

# wait_window REGEX TENTHS: the first visible window of the program whose
# title matches, into $FOUND.
wait_window() {
    local regex=$1 tenths=$2
    found_window() { FOUND=$(xdotool search --all --onlyvisible --pid "$APP" --name "$regex" 2>/dev/null | head -n1) && [ -n "$FOUND" ]; }
    wait_for "$tenths" found_window
}

window_gone() { ! app_visible_windows | grep -qx "$1"; }

# answer_prompt NAME|--cancel: answers the "Patient..." box.
answer_prompt() {
    wait_window '^Patient\.\.\.$' 100 || fail "the Patient... prompt did not show"
    local box=$FOUND
    focus_window "$box"
    shot prompt
    if [ "$1" = --cancel ]; then
        xdotool key Escape
    else
        type_text "$1"
        shot prompt-typed
        xdotool key Return
    fi
    wait_for 50 window_gone "$box" || fail "the Patient... prompt did not close"
}

# shot NAME: a screenshot of the whole screen, the first time NAME is taken.
shot() {
    [ -e "$WORK/$1.png" ] || import -display "$DISPLAY" -window root "$WORK/$1.png" 2>/dev/null || true
}

# type_answers DIGITS: from item 1, which has the focus with its text
# selected, one digit per item, Tab between them; the focus ends on item 1.
type_answers() {
    local digits=$1 i
    focus_main
    for ((i = 0; i < ${#digits}; i++)); do
        xdotool type --delay 30 "${digits:i:1}"
        xdotool key Tab
    done
}
