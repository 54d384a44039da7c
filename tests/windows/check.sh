#!/usr/bin/env bash
# BELVA MG for Windows under Wine (wine64), in a Wine prefix of its own on an
# X server of its own, driven as the end-to-end tests drive the Linux program:
# the programs are the ones in the zip, unpacked. What is compared comes from
# the Linux build: the expected reports (expected_report) and belvamg-score's
# output. Where Wine lacks what Windows has (a printer, a complete HTML Help
# viewer), one NOTE line says so and the check looks at what the program
# shows instead. Then the installer beside the zip is installed, upgraded and
# removed in the same prefix (installer.sh).
#   check.sh ZIP WINDOWS_BIN LINUX_BUILD
#     ZIP          BelvaMG-<version>-windows-x64.zip, the .msi beside it
#     WINDOWS_BIN  the Windows build's bin/ (clipboardtext.exe, shortcutinfo.exe)
#     LINUX_BUILD  the Linux build folder (bin/expected_report, bin/belvamg-score)
# Prints one line per check, then "N passed, N failed"; exits 1 on a failure.
# BELVA_KEEP=1 keeps the work folder (screenshots, logs, the prefix).
set -uo pipefail
zip=${1:?usage: check.sh ZIP WINDOWS_BIN LINUX_BUILD}
winbin=${2:?usage: check.sh ZIP WINDOWS_BIN LINUX_BUILD}
linux=${3:?usage: check.sh ZIP WINDOWS_BIN LINUX_BUILD}
here=$(cd "$(dirname "$0")" && pwd)
zip=$(realpath "$zip") winbin=$(realpath "$winbin") linux=$(realpath "$linux")
source "$here/../e2e/xsession.sh"
x_need Xvfb xdotool xmodmap xclip xwininfo import convert tesseract unzip iconv cmp od grep cmake wixl msibuild msiinfo
WINE=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
[ -x "$WINE" ] && [ -x "$wineserver" ] || { echo "FAIL: wine64 is missing (scripts/windows installs it)"; exit 1; }
expected=$linux/bin/expected_report
for tool in "$expected" "$linux/bin/belvamg-score" "$linux/bin/cp1252table" "$winbin/clipboardtext.exe" \
    "$winbin/cp1252table.exe" "$winbin/shortcutinfo.exe"; do
    [ -x "$tool" ] || [ -f "$tool" ] || { echo "FAIL: $tool is missing"; exit 1; }
done

# French regional settings: Wine takes its locale from them.
export BELVA_LOCALE=${BELVA_LOCALE:-fr_FR.UTF-8}
x_init windows

passed=0
failed=0
# check NAME FUNCTION: runs the function in a subshell, where fail() ends it.
check() {
    local name=$1
    shift
    if ("$@") >"$WORK/check.log" 2>&1; then
        passed=$((passed + 1))
        grep '^NOTE' "$WORK/check.log"
        echo "PASS: $name"
    else
        failed=$((failed + 1))
        sed 's/^/  /' "$WORK/check.log"
        echo "FAIL: $name"
    fi
}
note() { echo "NOTE: $*"; }

# --- Wine ----------------------------------------------------------------------

export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko installer: nothing is downloaded. No printing system
# reachable: the prefix has no printer. Wine's copy of Start menu shortcuts
# into the Linux desktop's menus is off: the user's registry and profile
# hold only what the installer writes there.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export CUPS_SERVER=$WORK/no-cups.sock
unset WINELOADER WINESERVER

finish() {
    [ -d "$WINEPREFIX" ] && timeout 30 "$wineserver" -k >/dev/null 2>&1
    x_finish
}
trap finish EXIT

# win_path UNIX_PATH: the same file seen from Windows (drive Z: is the root).
win_path() { printf 'Z:%s' "${1//\//\\}"; }

x_start
# Every character the check types, mapped before Wine reads the keymap.
patient="Élodie Gênée-Çàs Bœuf"
folder="$WORK/dossier patients"
target="$folder/bilan Élodie"
mkdir -p "$folder"
keymap_add "$patient$(win_path "$target")"

echo "== Wine prefix $WINEPREFIX"
timeout 180 "$WINE" wineboot -i >"$WORK/wineboot.log" 2>&1 || {
    cat "$WORK/wineboot.log"
    echo "FAIL: wineboot could not make the prefix"
    exit 1
}
echo "== $("$WINE" --version 2>/dev/null || echo wine)"
# Windows has Tahoma and MS Sans Serif; Debian's Wine leaves its own
# look-alikes (fonts-wine) out of a fresh prefix, where they stand in for them.
cp /usr/share/wine/fonts/tahoma*.ttf /usr/share/wine/fonts/ms_sans_serif.ttf /usr/share/wine/fonts/sserif*.fon \
    "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null ||
    echo "NOTE: Wine's own Tahoma and MS Sans Serif (fonts-wine) are missing: Wine substitutes other fonts"

appdir=""
unpack() {
    unzip -q "$zip" -d "$WORK/unpacked" || fail "the zip cannot be unpacked"
    local top
    top=$(ls "$WORK/unpacked")
    [ "$(echo "$top" | wc -l)" = 1 ] || fail "the zip holds several top folders: $top"
    local listed
    listed=$(cd "$WORK/unpacked/$top" && ls | LC_ALL=C sort | tr '\n' ' ')
    [ "$listed" = "BelvaMG.chm BelvaMG.exe LISEZMOI.txt belvamg-score.exe " ] ||
        fail "the zip's folder holds: $listed"
    iconv -f CP1252 -t UTF-8 "$WORK/unpacked/$top/LISEZMOI.txt" | grep -q 'Qualité de vie' ||
        fail "LISEZMOI.txt is not Windows-1252 text"
    [ "$(head -c 200 "$WORK/unpacked/$top/LISEZMOI.txt" | grep -c $'\r$')" -gt 0 ] ||
        fail "LISEZMOI.txt has no CR LF line ends"
    echo "$WORK/unpacked/$top" >"$WORK/appdir"
}
check "package: the programs, the help file and LISEZMOI.txt in one folder" unpack
appdir=$(cat "$WORK/appdir" 2>/dev/null)
[ -n "$appdir" ] || { echo "0 passed, 1 failed"; exit 1; }

# --- the program's session ----------------------------------------------------

# win_start ARGUMENTS...: BelvaMG.exe from its folder, in a process group of
# its own; its exit status goes to app.status. Another program and folder:
# WIN_PROGRAM (a Windows path) and WIN_RUNDIR; WIN_WRAP: a command Wine runs
# under. win_wait_main: $WIN, and $APP the program's process (the one its
# windows name).
win_start() {
    rm -f "$WORK/app.status"
    # Wine's notes on drive Z: (no volume label) are left out of the log.
    setsid bash -c 'cd "$1" || exit; shift
        "$@" > >(grep --line-buffered -v "FS volume label and serial" >"$0.log") 2>&1
        echo $? >"$0.status"' "$WORK/app" "${WIN_RUNDIR:-$appdir}" ${WIN_WRAP[@]+"${WIN_WRAP[@]}"} \
        "$WINE" "${WIN_PROGRAM:-$appdir/BelvaMG.exe}" "$@" &
    X_GROUPS+=($!)
}
main_window() { xdotool search --onlyvisible --name '^BELVA MG 1\.0 - ' 2>/dev/null | head -n1; }
win_wait_main() {
    wait_for 600 main_window || return 1
    WIN=$(main_window)
    APP=$(xdotool getwindowpid "$WIN")
}
# win_quit: Fichier > Quitter; the program ends with status 0.
win_quit() {
    menu f q
    wait_for 150 test -s "$WORK/app.status" || fail "the program did not end on Quitter"
    local status
    status=$(cat "$WORK/app.status")
    [ "$status" = 0 ] || fail "the program ended with status $status"
}
clipboard() { "$WINE" "$winbin/clipboardtext.exe"; }

# expect_clipboard WHAT KIND PATIENT ANSWERS SCORES: the text on the Windows
# clipboard is the expected report, byte for byte (CR LF line ends).
expect_clipboard() {
    local what=$1 kind=$2 name=$3 answers=$4 scores=$5
    "$expected" "$kind" "$name" "$answers" "$scores" >"$WORK/$what.want" || fail "expected_report failed"
    clipboard_is() { clipboard >"$WORK/$what.got" && cmp -s "$WORK/$what.want" "$WORK/$what.got"; }
    wait_for 50 clipboard_is && return 0
    "$expected" "$kind" "$name" "$answers" "$scores" >"$WORK/$what.want"
    cmp -s "$WORK/$what.want" "$WORK/$what.got" && return 0
    echo "--- expected $what (od -c)"
    od -c "$WORK/$what.want" | head -20
    echo "--- clipboard"
    od -c "$WORK/$what.got" | head -20
    fail "$what: the clipboard does not hold the expected report"
}

# message_box: the text of the program's message box titled "BELVA MG 1.0",
# copied with Ctrl+C as the box offers it, into $BOX_TEXT; the box stays.
message_box() {
    wait_window '^BELVA MG 1\.0$' 100 || fail "no message box"
    BOX=$FOUND
    xdotool windowfocus --sync "$BOX" 2>/dev/null || true
    xdotool key ctrl+c
    box_copied() { BOX_TEXT=$(clipboard) && [[ $BOX_TEXT == *BELVA\ MG\ 1.0* ]]; }
    wait_for 50 box_copied || fail "the message box's text cannot be copied"
}
close_box() {
    xdotool windowfocus --sync "$BOX" 2>/dev/null || true
    xdotool key Return
    wait_for 50 window_gone "$BOX" || fail "the message box did not close"
}

answers=53012405123041035321
scores="46,67 45 26,67 55 43,33"

main_shown() {
    [ -n "$WIN" ] || fail "no main window within 60 s"
    local caption
    caption=$(xdotool getwindowname "$WIN")
    [ "$caption" = "BELVA MG 1.0 - Qualité de vie dans l'insuffisance veineuse chronique." ] ||
        fail "the main window's title is '$caption'"
    eval "$(xdotool getwindowgeometry --shell "$WIN")"
    # The client area with the menu bar: 585 pixels across.
    [ "$WIDTH" = 585 ] || fail "the main window is $WIDTH pixels wide, not 585"
    echo "$WIDTH x $HEIGHT at $X,$Y"
    shot main
}
WIN=""
win_start
win_wait_main
check "window: the main window with its title, 585 pixels across" main_shown
if [ -z "$WIN" ]; then
    echo "$passed passed, $failed failed"
    exit 1
fi

rescore() {
    type_answers "$answers"
    shot answers
    menu e s
    expect_clipboard scores summary "" "$answers" "$scores"
    # Wine hands the text on to X11 as UTF-8 (its line ends as LF).
    local x11
    x11=$(timeout 10 xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null)
    [ "$x11" = "$(tr -d '\r' <"$WORK/scores.want")" ] || fail "the X11 clipboard differs: $x11"
}
check "typed answers rescore: Copier scores gives the scores of the answers" rescore

error_box() {
    focus_main
    xdotool key Tab
    xdotool type --delay 60 x
    message_box
    local want=$'---------------------------\r\nBELVA MG 1.0\r\n---------------------------\r\n'
    want+=$'\'x\' n\'est pas une valeur entière correcte.\r\n'
    [[ $BOX_TEXT == "$want"* ]] || fail "the box says: $BOX_TEXT"
    shot error-box
    close_box
    # Back in item 2 with the "x": its own answer again, the same scores.
    focus_main
    xdotool key ctrl+a
    xdotool type --delay 60 "${answers:1:1}"
    menu e s
    expect_clipboard scores-again summary "" "$answers" "$scores"
}
check "a letter: the error box with its message, the scores unchanged" error_box

copy_test() {
    menu e t
    answer_prompt "$patient"
    expect_clipboard test text "$patient" "$answers" "$scores"
}
check "Copier test: the report with an accented patient name" copy_test

# save PATIENT [PATH]: Fichier > Sauvegarder sous..., the prompt answered,
# PATH typed into the dialog (or the name it offers taken).
save() {
    local patient=$1 path=${2:-}
    # No access key: five up from the first item, past Quitter, Configuration
    # imprimante, Imprimer and Exporter en PDF.
    menu f Up Up Up Up Up Return
    answer_prompt "$patient"
    wait_window '^Sauvegarder sous\.\.\.$' 150 || fail "the save dialog did not show"
    local dialog=$FOUND
    xdotool windowfocus --sync "$dialog" 2>/dev/null || true
    if [ -n "$path" ]; then
        shot save-dialog
        type_text "$path"
    fi
    xdotool key Return
    wait_for 100 window_gone "$dialog" || fail "the save dialog did not close"
}
expect_file() {
    local patient=$1
    "$expected" text "$patient" "$answers" "$scores" | iconv -f UTF-8 -t CP1252 >"$WORK/want.cp1252" ||
        fail "no Windows-1252 form of the expected report"
    saved_is() { cmp -s "$WORK/want.cp1252" "$target.txt"; }
    wait_for 50 saved_is && return 0
    od -c "$target.txt" 2>&1 | head -20
    fail "the saved file is not the expected report"
}
save_file() {
    save "$patient" "$(win_path "$target")"
    # The file is written once the dialog has closed.
    wait_for 50 test -e "$target.txt"
    [ "$(ls -A "$folder")" = "bilan Élodie.txt" ] || fail "the folder holds: $(ls -A "$folder")"
    expect_file "$patient"
    echo "== saved again under the name the dialog offers, another patient"
    save "Jean Dupré"
    expect_file "Jean Dupré"
    [ "$(ls -A "$folder")" = "bilan Élodie.txt" ] || fail "the folder holds: $(ls -A "$folder")"
    # Qt's file dialog keeps its folder in the registry while the program runs.
    "$WINE" reg query 'HKCU\Software\QtProject' /s 2>/dev/null | grep -q lastVisited &&
        echo "the save dialog's folder is in the registry while the program runs"
    return 0
}
check "Sauvegarder sous: the Windows-1252 bytes of the report, replaced when saved again" save_file

about_box() {
    menu a p
    wait_window '^A propos de\.\.\.$' 100 || fail "the About box did not show"
    local box=$FOUND
    eval "$(xdotool getwindowgeometry --shell "$box")"
    [ "$WIDTH x $HEIGHT" = "294 x 268" ] || fail "the About box is $WIDTH x $HEIGHT, not 294 x 268"
    shot about
    import -display "$DISPLAY" -window root -crop "210x18+$((X + 84))+$((Y + 171))" +repage "$WORK/memory.png" ||
        fail "no screenshot of the memory line"
    # Read with OCR at several scales: one reading must give the figure.
    local total scale text read=""
    total=$(awk '/^MemTotal:/ { print $2 }' /proc/meminfo)
    for scale in 300 400 500 600; do
        convert "$WORK/memory.png" -colorspace Gray -filter Lanczos -resize "$scale%" \
            -bordercolor white -border 20 "$WORK/memory-$scale.png" || continue
        text=$(tesseract "$WORK/memory-$scale.png" - --psm 7 2>/dev/null)
        read+="$text | "
        if [[ $text =~ totale[[:space:]]*:[[:space:]]*([0-9][0-9[:space:]]*[0-9])[[:space:]]*K ]]; then
            local figure=${BASH_REMATCH[1]//[[:space:]]/}
            # Wine's figure is the kernel's, to within its page rounding;
            # above 4 GB it shows the whole 64-bit total.
            if ((figure > 0 && figure * 100 >= total * 99 && figure * 100 <= total * 101)); then
                echo "memory shown: $figure Ko (the kernel's MemTotal: $total kB)"
                xdotool key Return
                wait_for 50 window_gone "$box" || fail "the About box did not close"
                return 0
            fi
        fi
    done
    fail "the memory line does not show the machine's $total kB: read $read"
}
check "About box: the machine's memory total" about_box

# menu_clicked LETTER KEY...: as menu, the main window first clicked on its
# status bar: while another window of the program is active (the help
# viewer's), Wine gives the keyboard back to the main window on a click. The
# viewer may take it again while it builds its contents: a few tries.
menu_clicked() {
    local letter=$1 try before
    shift
    for try in 1 2 3 4 5; do
        eval "$(xdotool getwindowgeometry --shell "$WIN")"
        xdotool mousemove --window "$WIN" 300 $((HEIGHT - 6)) click 1
        focus_main
        before=$(app_visible_windows | wc -l)
        xdotool key "alt+$letter"
        popup_shown() { [ "$(app_visible_windows | wc -l)" -gt "$before" ]; }
        if wait_for 20 popup_shown; then
            xdotool key --delay 60 "$@"
            return 0
        fi
        xdotool key Escape
    done
    fail "the menu of Alt+$letter did not open beside the help viewer"
}

help_command() {
    local before
    before=$(app_visible_windows | wc -l)
    menu a r
    help_shown() { [ "$(app_visible_windows | wc -l)" -gt "$before" ]; }
    if ! wait_for 100 help_shown; then
        note "Wine's HTML Help showed no window for the help file"
        menu e s
    elif wait_window '^BELVA MG 1\.0$' 5; then
        message_box
        note "Wine: the help viewer is missing; the program says: $(tr -d '\r' <<<"$BOX_TEXT" | sed -n 4p)"
        close_box
        menu e s
    else
        wait_window '^Aide de BELVA MG 1\.0$' 50 || fail "the help window is not titled 'Aide de BELVA MG 1.0'"
        note "Wine's HTML Help shows the help file's contents but no page: Wine has no Internet Explorer engine here"
        menu_clicked e s
        shot help
    fi
    # The program goes on: Copier scores still answers.
    expect_clipboard scores-after-help summary "" "$answers" "$scores"
}
check "Rubriques de l'aide: the program goes on" help_command

no_printer() {
    note "Wine: a fresh prefix with no printing system has no printer"
    menu f Up Up Return
    message_box
    local want=$'---------------------------\r\nBELVA MG 1.0\r\n---------------------------\r\nAucune imprimante par défaut sélectionnée.\r\n'
    [[ $BOX_TEXT == "$want"* ]] || fail "Configuration imprimante... says: $BOX_TEXT"
    close_box
    menu f i
    answer_prompt "Jean Dupré"
    message_box
    [[ $BOX_TEXT == "$want"* ]] || fail "Imprimer... says: $BOX_TEXT"
    close_box
}
check "no printer: Configuration imprimante and Imprimer say so" no_printer

quit() {
    win_quit
    xdotool search --onlyvisible --classname '^belvamg\.exe$' >/dev/null 2>&1 &&
        fail "windows of the program are left: $(xdotool search --onlyvisible --classname '^belvamg\.exe$')"
    # Nothing kept between runs: Qt's file dialogs left nothing in the registry.
    "$WINE" reg query 'HKCU\Software\QtProject' >/dev/null 2>&1 &&
        fail "the registry keeps: $("$WINE" reg query 'HKCU\Software\QtProject' /s 2>&1 | tr -d '\r')"
    return 0
}
check "Quitter: the program ends, its help windows with it, nothing left in the registry" quit

# --- /debug -------------------------------------------------------------------

# pe_version FILE: the version of a Windows file's version resource.
pe_version() {
    local at
    at=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$1" | head -n1 | cut -d: -f1)
    [ -n "$at" ] || return 0
    od -An -tu2 -j $((at + 8)) -N 8 "$1" | awk '{ printf "%d.%d.%d.%d", $2, $1, $4, $3 }'
}

debug_header() {
    local log="$appdir/HHDebug.txt"
    rm -f "$log"
    win_start /DEBUG
    win_wait_main || fail "no main window with /DEBUG"
    wait_for 50 test -s "$log" || fail "no HHDebug.txt beside the program"
    win_quit
    iconv -f CP1252 -t UTF-8 "$log" >"$WORK/header.txt" || fail "HHDebug.txt is not Windows-1252 text"
    [ "$(grep -c $'\r$' "$WORK/header.txt")" = 22 ] || fail "HHDebug.txt has not 22 lines ending in CR LF"
    tr -d '\r' <"$WORK/header.txt" >"$WORK/header.lf"
    mapfile -t line <"$WORK/header.lf"
    local dir exe
    dir=$(win_path "$appdir")
    local dashes equals
    dashes=$(printf '%.0s-' {1..79})
    equals=$(printf '%.0s=' {1..79})
    expect_line() { [[ ${line[$1 - 1]} =~ $2 ]] || fail "line $1 is '${line[$1 - 1]}'"; }
    literal() { printf '%s' "$1" | sed 's/[][\.*^$(){}+?|]/\\&/g'; }
    expect_line 1 "^Filename:             	$(literal "$dir\\HHDebug.txt")\$"
    expect_line 2 '^Date:                 	[0-9]{2}/[0-9]{2}/[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}$'
    expect_line 3 '^Operating System:      	Windows NT [0-9]+\.[0-9]+\.[0-9]+$'
    expect_line 4 '^SysLocale\.DefaultLCID: 	0x040C$'
    expect_line 5 '^SysLocale\.PriLangID:   	0x000C$'
    expect_line 6 '^SysLocale\.SubLangID:   	0x0001$'
    expect_line 7 '^DecimalSeparator:      	,$'
    expect_line 8 "^$dashes\$"
    expect_line 9 '^EXE Path =          	.*BelvaMG\.exe$'
    expect_line 10 '^Cmdline Param\(s\) =  	/DEBUG$'
    expect_line 11 '^_RunDir =           	.*[^\\]$'
    expect_line 12 '^_ModuleName =       	BelvaMG\.exe$'
    expect_line 13 "^_ModuleDir =        	$(literal "$dir")\$"
    expect_line 14 "^$dashes\$"
    expect_line 18 "^$dashes\$"
    expect_line 22 "^$equals\$"
    # The viewer's and the browser component's versions are those of Wine's files.
    local hh ie system=$WINEPREFIX/drive_c/windows/system32
    hh=$(pe_version "$system/hhctrl.ocx")
    ie=$(pe_version "$system/shdocvw.dll")
    if [ -n "$hh" ]; then
        expect_line 15 '^_hhInstalled =      	YES$'
        expect_line 16 "^_hhVerStr =         	$(literal "$hh")\$"
        expect_line 17 '^_hhFriendlyVerStr = 	.+$'
    else
        expect_line 15 '^_hhInstalled =      	NO$'
    fi
    [ -n "$ie" ] || fail "Wine's shdocvw.dll has no version"
    expect_line 19 '^_ieInstalled =      	YES$'
    expect_line 20 "^_ieVerStr =         	$(literal "$ie")\$"
    expect_line 21 '^_ieFriendlyVerStr = 	.+$'
    sed -n '15,21p' "$WORK/header.lf"
    # The next start without /debug deletes the log.
    win_start
    win_wait_main || fail "no main window the second time"
    wait_for 50 sh -c "! test -e '$log'" || fail "the log of the run before was not deleted"
    win_quit
}
check "/DEBUG: the diagnostic header in HHDebug.txt; deleted at the next start" debug_header

# --- Windows-1252 ---------------------------------------------------------------

codepage() {
    "$WINE" "$winbin/cp1252table.exe" | tr -d '\r' >"$WORK/cp1252.windows" || fail "cp1252table.exe failed"
    "$linux/bin/cp1252table" >"$WORK/cp1252.linux" || fail "cp1252table failed"
    if ! cmp -s "$WORK/cp1252.linux" "$WORK/cp1252.windows"; then
        diff "$WORK/cp1252.linux" "$WORK/cp1252.windows" | head -20
        fail "the two tables differ (< Linux, > Windows)"
    fi
    echo "$(grep -vc -- ' --$' "$WORK/cp1252.windows") lines alike, $(grep -c -- ' --$' "$WORK/cp1252.windows") characters refused"
}
check "Windows-1252: the system's code page saves and reads every character as ICU does on Linux" codepage

# --- belvamg-score.exe ----------------------------------------------------------

score_cases() {
    local data="$WORK/score" n=0 args
    cp -r "$here/../data/score" "$data"
    # score ARGS [< INPUT]: both programs in the data folder, relative names.
    run_both() {
        local input=$1
        shift
        (cd "$data" && "$linux/bin/belvamg-score" "$@" <"$input" >"$WORK/linux.out" 2>"$WORK/linux.err")
        echo $? >"$WORK/linux.status"
        (cd "$data" && "$WINE" "$appdir/belvamg-score.exe" "$@" <"$input" >"$WORK/win.out" 2>"$WORK/win.err")
        echo $? >"$WORK/win.status"
        local part
        for part in out err status; do
            cmp -s "$WORK/linux.$part" "$WORK/win.$part" && continue
            echo "--- Linux $part"; head -c 600 "$WORK/linux.$part"
            echo "--- Windows $part"; head -c 600 "$WORK/win.$part"
            fail "belvamg-score $*: the $part differs"
        done
        n=$((n + 1))
    }
    for args in "excel-fr.csv" "utf8-bom.csv" "tab-export.txt" "failures.csv" "--missing=prorate prorate.csv" \
        "excel-fr.csv excel-fr.csv" "saved" "saved/a-good.txt" "nope.csv" "--frobnicate excel-fr.csv" \
        "--reliability reliability.csv" "--reliability excel-fr.csv"; do
        # shellcheck disable=SC2086
        run_both /dev/null $args
    done
    # Pseudonyms: the same folding and HMAC as on Linux.
    printf '0123456789abcdef0123456789abcdef\r\n' >"$data/cle.txt"
    chmod 600 "$data/cle.txt"
    run_both /dev/null --pseudonymize --key-file cle.txt --identifiers=Nom excel-fr.csv excel-fr.csv
    run_both /dev/null --pseudonymize --key-file cle.txt saved
    run_both "$data/failures.csv" -
    rm -f "$data/scores.csv"
    run_both /dev/null -o scores.csv excel-fr.csv
    cmp -s "$data/scores.csv" "$data/excel-fr.out.csv" || fail "-o scores.csv does not hold the scores"
    echo "$n runs alike"
}
check "belvamg-score.exe: the same output, messages and status as on Linux" score_cases

# The SPSS and Stata files of both programs, read back on Linux by PSPP and
# pandas (the files' own dates differ).
stat_files() {
    local data="$WORK/score" format status
    for format in sav dta; do
        (cd "$data" && "$WINE" "$appdir/belvamg-score.exe" --format=$format failures.csv -o win.$format 2>"$WORK/win.err")
        status=$?
        if [ $status -eq 2 ] && grep -q "construite sans ReadStat" "$WORK/win.err"; then
            note "belvamg-score.exe is built without ReadStat (its source was not fetched, or BELVAMG_WINDOWS_READSTAT=no): no SPSS or Stata file"
            return 0
        fi
        [ $status -eq 1 ] || { cat "$WORK/win.err"; fail "--format=$format: status $status, not 1"; return; }
        (cd "$data" && "$linux/bin/belvamg-score" --format=$format failures.csv -o linux.$format 2>/dev/null)
    done
    local side
    for side in win linux; do
        printf "GET FILE='%s'.\nDISPLAY DICTIONARY.\nLIST.\n" "$data/$side.sav" >"$WORK/$side.sps"
        pspp -O format=csv "$WORK/$side.sps" >"$WORK/$side.sav.txt" 2>&1
        /usr/bin/python3 "$here/../stata_read.py" "$data/$side.dta" >"$WORK/$side.dta.json" 2>&1
    done
    cmp -s "$WORK/win.sav.txt" "$WORK/linux.sav.txt" || fail "PSPP reads the two .sav files differently"
    cmp -s "$WORK/win.dta.json" "$WORK/linux.dta.json" || fail "pandas reads the two .dta files differently"
}
check "belvamg-score.exe: SPSS and Stata files read back as the Linux program's" stat_files

source "$here/installer.sh"

echo "$passed passed, $failed failed"
((failed == 0))
