#!/usr/bin/env bash
# The real program with the Orca screen reader, under its own X server,
# session bus and accessibility bus, with a speech server whose output goes
# nowhere; what Orca says is read from its speech log. Three answers filled
# by keyboard (two digits, an arrow) each make Orca say the new global score,
# once; a character refused beside an answer is not echoed; Tab reads the
# question without selection chatter; a copy does not read out the report;
# the patient prompt's refusal note is said; the follow-up window is a
# window. The names, descriptions and roles Orca reads are checked over the
# accessibility bus.
# Usage: orca.sh /path/to/BelvaMG /path/to/expected_report /path/to/saved_test
set -uo pipefail
prog=${1:?usage: orca.sh BelvaMG expected_report saved_test}
expected=${2:?usage: orca.sh BelvaMG expected_report saved_test}
saved_test=${3:?usage: orca.sh BelvaMG expected_report saved_test}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
x_need Xvfb xdotool xmodmap gdbus speech-dispatcher /usr/bin/python3 /usr/bin/orca \
    /usr/lib/speech-dispatcher-modules/sd_dummy
/usr/bin/python3 -c 'import pyatspi, speechd' 2>/dev/null ||
    skip_or_fail "Orca's Python modules are missing (run scripts/setup)"
x_init orca
dec=$("$expected" decimal) || fail "expected_report failed"
d() { printf '%s' "${1//,/$dec}"; }

folder="$WORK/tests"
mkdir -p "$folder"
"$saved_test" "$folder/a.txt" 08/12/2025 "Dupont Jean" 00000000000000000000 &&
    "$saved_test" "$folder/b.txt" 02/03/2026 "Dupont Jean" 53012405123041035321 ||
    fail "the saved tests could not be written"

x_start
a11y_start
keymap_add "ł"

# --- a speech server that speaks into ALSA's null device
mkdir -p "$WORK/speechd" "$WORK/orca"
cat >"$WORK/speechd/speechd.conf" <<'EOF'
AddModule "dummy" "sd_dummy" ""
DefaultModule dummy
DisableAutoSpawn
AudioOutputMethod "alsa"
EOF
printf 'pcm.!default { type null }\n' >"$HOME/.asoundrc"
spawn speech-dispatcher -s -t 0 -S "$WORK/speechd.sock" -C "$WORK/speechd" -L "$WORK/speechd" \
    >"$WORK/speechd/out.log" 2>&1
wait_for 100 test -S "$WORK/speechd.sock" ||
    fail "speech-dispatcher did not start: $(tail -n 5 "$WORK/speechd/speech-dispatcher.log" 2>/dev/null)"

# Key echo off and character echo on: a lone character in the log is an
# insertion the program reported.
cat >"$WORK/orca/user-settings.conf" <<'EOF'
{"general": {}, "pronunciations": {}, "keybindings": {},
 "profiles": {"default": {"profile": ["Default", "default"],
   "enableKeyEcho": false, "enableEchoByCharacter": true, "enableEchoByWord": false,
   "enableSound": false, "enableBraille": false}}}
EOF

app_start "$prog"
wait_for 100 a11y_find_app || fail "the program is not on the accessibility bus"

SPEECH=$WORK/speech.log
: >"$SPEECH"
SPEECHD_ADDRESS=unix_socket:$WORK/speechd.sock \
    spawn /usr/bin/python3 "$here/orca_speech.py" "$SPEECH" -u "$WORK/orca" >"$WORK/orca.log" 2>&1

# --- reading the speech log
MARK=0
mark() { MARK=$(wc -l <"$SPEECH"); }
since_mark() { tail -n +"$((MARK + 1))" "$SPEECH"; }
said() { since_mark | grep -qF -- "$1"; }
# expect_said TEXT WHAT: Orca says TEXT within 10 s of the mark.
expect_said() {
    wait_for 100 said "$1" || {
        since_mark | sed 's/^/  Orca: /'
        fail "Orca did not say $2"
    }
}
# The global scores Orca said, in order, one a line.
scores_said() { sed -n "s/.*Score global (%) : \([0-9.,]*[0-9]\)\.\{0,1\}'\$/\1/p" "$SPEECH"; }

# orca_menu LETTER KEY...: as menu in xsession.sh, with Alt held down until
# Qt has it. Qt hands every key to the screen reader and waits for its answer
# (up to 100 ms) before it takes the key itself; an Alt that comes after the
# menu's shortcut (Alt+letter is matched at once) makes the menu bar close the
# menu again.
orca_menu() {
    local letter=$1 before
    shift
    focus_main
    before=$(app_visible_windows | wc -l)
    xdotool keydown alt
    sleep 0.3
    xdotool key "$letter"
    xdotool keyup alt
    popup_open() { [ "$(app_visible_windows | wc -l)" -gt "$before" ]; }
    wait_for 30 popup_open || fail "the menu of Alt+$letter did not open"
    xdotool key --delay 60 "$@"
}

# --- the accessibility bus
a11y_get() { # PATH PROPERTY
    gdbus call --address "$A11Y_BUS" -d "$A11Y_APP" -o "$1" -m org.freedesktop.DBus.Properties.Get \
        org.a11y.atspi.Accessible "$2" | sed -e 's/^(<.//' -e 's/.>,)$//'
}
a11y_role() {
    gdbus call --address "$A11Y_BUS" -d "$A11Y_APP" -o "$1" -m org.a11y.atspi.Accessible.GetRoleName |
        sed -e "s/^('//" -e "s/',)\$//"
}
a11y_children() {
    gdbus call --address "$A11Y_BUS" -d "$A11Y_APP" -o "$1" -m org.a11y.atspi.Accessible.GetChildren |
        grep -o "'/org/a11y/atspi/accessible/[^']*'" | tr -d "'"
}
# a11y_find ROOT ROLE: the first object of that role under ROOT, breadth first.
a11y_find() {
    local queue=("$1") path
    while ((${#queue[@]})); do
        path=${queue[0]}
        queue=("${queue[@]:1}")
        if [ "$(a11y_role "$path")" = "$2" ]; then
            FOUND_OBJECT=$path
            return 0
        fi
        queue+=($(a11y_children "$path"))
    done
    return 1
}
expect_property() { # WHAT PATH PROPERTY VALUE
    [ "$(a11y_get "$2" "$3")" = "$4" ] || fail "$1: $3 is '$(a11y_get "$2" "$3")', expected '$4'"
}

# --- Orca reads the focused answer: its question, value and scale, nothing else
question1="Etre facilement irritable"
question2="Avoir des difficultés à se mettre en train le matin"
expect_said "$question1" "the first question at start"
expect_said "réponse de 0 à 5" "the scale of the first answer"

frame=$(a11y_child /org/a11y/atspi/accessible/root 0)
central=$(a11y_child "$frame" 0)
group1=$(a11y_child "$central" 1)
answer1=$(a11y_child "$group1" 1)
answer2=$(a11y_child "$group1" 3)
[ "$(a11y_role "$answer1")" = "combo box" ] || fail "item 1 is a '$(a11y_role "$answer1")'"
expect_property "item 1" "$answer1" Name "$question1"
expect_property "item 1" "$answer1" Description "réponse de 0 à 5"
expect_property "item 2" "$answer2" Name "$question2"
text2=$(a11y_child "$answer2" 1)
[ "$(a11y_role "$text2")" = "text" ] || fail "item 2's value is not in its text field"

# say_score STEP KEYS... GLOBAL: the keys change an answer; Orca says the new
# global score, the focus staying in the answer.
say_score() {
    local step=$1 global start ms
    shift
    global=$(d "${!#}")
    mark
    start=$(date +%s%N)
    xdotool key --delay 60 "${@:1:$#-1}"
    expect_said "Score global (%) : $global" "the global score $global after $step"
    ms=$((($(date +%s%N) - start) / 1000000))
    echo "global score said ${ms} ms after $step"
    ((ms <= ${BELVA_SPEECH_MS:-1000})) || fail "the global score came ${ms} ms after $step"
}

say_score "a typed 5" 5 2,78
a11y_expect "item 1's text" a11y_text "$(a11y_child "$answer1" 1)" 5

# --- Tab: the question of item 2 and its value, no selection chatter
mark
xdotool key Tab
expect_said "$question2" "the question of item 2 after Tab"
if since_mark | grep -iE "s[ée]lection|selected"; then
    fail "Tab was read with selection chatter"
fi

say_score "a typed 3" 3 4,44

# --- a second character beside the answer is refused: no echo, no score
mark
xdotool type --delay 60 7
say_score "the Down arrow" Down 5
if grep -qx "SPEECH OUTPUT: '7'" "$SPEECH"; then
    fail "the refused 7 was echoed as typed"
fi
a11y_expect "item 2's text" a11y_text "$text2" 4
expect_scores_once() {
    [ "$(scores_said | paste -sd ' ')" = "$(d 2,78) $(d 4,44) 5" ] ||
        fail "global scores said: $(scores_said | paste -sd ' '), expected each once"
}
expect_scores_once

announcer=
for child in $(a11y_children "$frame"); do
    [ "$(a11y_role "$child")" = notification ] && announcer=$child
done
[ -n "$announcer" ] || fail "no notification in the main window"
expect_property "the announcement" "$announcer" Name "Score global (%) : 5"

# --- Copier scores puts the report on the clipboard without reading it out
mark
orca_menu e s
expect_said "$question2" "the question of item 2 after Copier scores"

# --- the patient prompt says its refusal note
orca_menu e t
wait_window '^Patient\.\.\.$' 100 || fail "the Patient... prompt did not show"
prompt=$FOUND
focus_window "$prompt"
expect_said "Nom et Prénom ?" "the prompt"
if since_mark | grep -q "SCORES DU TEST\|(%) :"; then
    fail "Copier scores read the report out"
fi
mark
type_text "ł"
expect_said "refusé" "the refusal note"
xdotool key Escape
wait_for 50 window_gone "$prompt" || fail "the Patient... prompt did not close"
focus_main

# --- the follow-up window: a window, its table and chart named and described
mark
orca_menu f u
wait_window '^Suivi du patient$' 100 || fail "the file dialog did not show"
dialog=$FOUND
focus_window "$dialog"
xdotool key ctrl+a
type_text "$folder"
xdotool key Return
xdotool key ctrl+a
type_text '"a.txt" "b.txt"'
xdotool key Return
wait_for 50 window_gone "$dialog" || fail "the file dialog did not close"
wait_window '^Suivi du patient - ' 100 || fail "the follow-up window did not show"
follow=$FOUND
expect_said "Suivi du patient - Dupont Jean" "the follow-up window"
expect_said "Scores des tests" "the table's name"

window=
for child in $(a11y_children /org/a11y/atspi/accessible/root); do
    [ "$(a11y_get "$child" Name)" = "Suivi du patient - Dupont Jean" ] && window=$child
done
[ -n "$window" ] || fail "the follow-up window is not on the accessibility bus"
[ "$(a11y_role "$window")" = frame ] || fail "the follow-up window is a '$(a11y_role "$window")'"
a11y_find "$window" table || fail "no table in the follow-up window"
table=$FOUND_OBJECT
expect_property "the table" "$table" Name "Scores des tests"
header_description() {
    local header
    header=$(gdbus call --address "$A11Y_BUS" -d "$A11Y_APP" -o "$table" -m org.a11y.atspi.Table.GetColumnHeader "$1" |
        grep -o "'/org/a11y/atspi/accessible/[^']*'" | tr -d "'")
    a11y_get "$header" Description
}
[ "$(header_description 1)" = "Retentissement psychologique" ] || fail "PS is described as '$(header_description 1)'"
[ "$(header_description 5)" = "Score global" ] || fail "Global is described as '$(header_description 5)'"
a11y_find "$window" chart || fail "no chart in the follow-up window"
chart=$FOUND_OBJECT
expect_property "the chart" "$chart" Name "Graphique des scores"
description=$(a11y_get "$chart" Description)
[[ $description == "2 tests, premier : 08/12/2025, dernier : 02/03/2026. Retentissement psychologique : de 0 % à $(d 46,67) %, évolution +$(d 46,67) points, aggravation. "* ]] ||
    fail "the chart is described as '$description'"

focus_window "$follow"
xdotool key Escape
wait_for 50 window_gone "$follow" || fail "Escape did not close the follow-up window"

# Nothing said twice or out of turn meanwhile.
if grep -q "SCORES DU TEST" "$SPEECH"; then
    fail "a copy read the report out"
fi
expect_scores_once
[ "$(grep -c "refusé" "$SPEECH")" -eq 1 ] || fail "the refusal note was said $(grep -c "refusé" "$SPEECH") times"

orca_menu f q
app_ended() { ! app_running; }
wait_for 50 app_ended || fail "the program did not end on Quitter"
echo "PASS"
