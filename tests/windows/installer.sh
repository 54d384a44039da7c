# Sourced by check.sh once the zip's programs are checked: the installer
# beside the zip (BelvaMG-<version>-windows-x64.msi) in the same Wine prefix,
# as an administrator deploys it: installed silently, the program started
# from its Start menu shortcut's target, the installed scorer run, installed
# again, replaced by a later version, an earlier one refused, removed, and
# nothing of it left. Uses check.sh's check, note, fail, win_start...

msi=${zip%.zip}.msi
version=${msi##*/BelvaMG-}
version=${version%-windows-x64.msi}
icon=$(realpath -m "$winbin/../packaging/windows/BelvaMG.ico")
installed='C:\Program Files\BELVA MG'
pf=$WINEPREFIX/drive_c/Program\ Files/BELVA\ MG
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
products='HKLM\Software\Classes\Installer\Products'
files="BelvaMG.chm BelvaMG.exe LISEZMOI.txt belvamg-score.exe "
upgrade_code=$(sed -n 's/.*UpgradeCode="\([0-9A-F-]*\)".*/\1/p' "$here/../../packaging/windows/BelvaMG.wxs")

# msiexec NAME ARGUMENTS...: Windows Installer without any dialog, its log
# in NAME.log; its exit status (Wine keeps the low 8 bits of it).
msiexec() {
    local name=$1
    shift
    timeout 300 "$WINE" msiexec "$@" /qn /l*v "$(win_path "$WORK/$name.log")" >/dev/null 2>&1
}
# unix_path WINDOWS_PATH
unix_path() { "$WINE" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
# packed_guid GUID: the form Windows Installer names its registry keys with.
packed_guid() {
    local g=${1//[\{\}-]/} out="" i
    for i in 7 6 5 4 3 2 1 0 11 10 9 8 15 14 13 12; do out+=${g:i:1}; done
    for ((i = 16; i < 32; i += 2)); do out+=${g:i+1:1}${g:i:1}; done
    echo "$out"
}
listing() { (cd "$1" 2>/dev/null && ls -A | LC_ALL=C sort | tr '\n' ' '); }

# reg_text KEY: the key and its subkeys as reg export writes them, in UTF-8
# with LF; fails when the key is not there.
reg_text() {
    rm -f "$WORK/export.reg"
    "$WINE" reg export "$1" "$(win_path "$WORK/export.reg")" /y >/dev/null 2>&1 &&
        iconv -f UTF-16 -t UTF-8 "$WORK/export.reg" | tr -d '\r'
}
# reg_rows KEY FIELD...: one line per subkey of KEY named "BELVA MG" (by its
# DisplayName or ProductName): the subkey's name and FIELDs' values, '|'
# between them, strings unquoted and unescaped.
reg_rows() {
    local key=$1
    shift
    reg_text "$key" | awk -v fields="$*" '
        /^\[/ { sub(/\]$/, ""); n = split($0, part, "\\"); sub_key = part[n]; next }
        /^"[^"]*"=/ {
            name = substr($0, 2, index($0, "\"=") - 2)
            value = substr($0, index($0, "\"=") + 2)
            if (value ~ /^".*"$/) { value = substr(value, 2, length(value) - 2); gsub(/\\\\/, "\\", value) }
            values[sub_key, name] = value
            if ((name == "DisplayName" || name == "ProductName") && value == "BELVA MG") ours[sub_key] = 1
        }
        END {
            count = split(fields, field, " ")
            for (k in ours) {
                line = k
                for (i = 1; i <= count; i++) line = line "|" values[k, field[i]]
                print line
            }
        }'
}
entries() { reg_rows "$uninstall" DisplayVersion Publisher NoModify NoRepair InstallLocation; }

# What Windows Installer must leave as it found it: the user's profile, the
# shared folders, its own cache (temporary files left out).
snapshot() {
    (cd "$WINEPREFIX/drive_c" && find users ProgramData "Program Files" windows/Installer -mindepth 1 2>/dev/null |
        grep -v '/Temp\(/\|$\)' | LC_ALL=C sort)
}
start_menu() {
    local common=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/BELVA\ MG dir
    [ -d "$common" ] && { echo "$common"; return; }
    for dir in "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/BELVA\ MG; do
        [ -d "$dir" ] && echo "$dir"
    done
}
# expect_entry VERSION: one installed-programs entry, of VERSION.
expect_entry() {
    entries >"$WORK/entries"
    [ "$(wc -l <"$WORK/entries")" = 1 ] || fail "$(wc -l <"$WORK/entries") entries named BELVA MG: $(cat "$WORK/entries")"
    local code shown publisher nomodify norepair location
    IFS='|' read -r code shown publisher nomodify norepair location <"$WORK/entries"
    [ "$shown" = "$1" ] || fail "the entry shows version '$shown', not $1"
    echo "$code" >"$WORK/product"
    echo "entry $code: version $shown, publisher $publisher, NoModify $nomodify, NoRepair $norepair, in $location"
    [ "$publisher" = "Équipe BELVA" ] || fail "publisher '$publisher'"
    [ "$nomodify $norepair" = "dword:00000001 dword:00000001" ] || fail "the entry offers Modify or Repair"
    [ "$location" = "$installed\\" ] || fail "InstallLocation '$location'"
}

# traces FILE: the lines of a registry export that name BELVA MG or one of
# the codes of the packages tried (upgrade, product and component codes),
# as they are or packed as Windows Installer writes them in key names.
traces() {
    local patterns=(-e belva) code package
    for package in "$msi" "$later_msi"; do
        [ -f "$package" ] || continue
        for code in $( (msiinfo export "$package" Property; msiinfo export "$package" Component) |
                      grep -o '{[0-9A-F-]\{36\}}' | sort -u); do
            patterns+=(-e "$code" -e "$(packed_guid "$code")")
        done
    done
    grep -iF "${patterns[@]}" "$1" | LC_ALL=C sort
}
# same_traces KEY NAME: KEY holds what it held before the install (saved as NAME).
same_traces() {
    reg_text "$1" >"$WORK/$2.after" || fail "$1 cannot be read"
    diff <(traces "$WORK/$2.before") <(traces "$WORK/$2.after")
}

echo "== the installer $(basename "$msi")"
[ -f "$msi" ] || { echo "FAIL: no $msi"; failed=$((failed + 1)); return 0; }
snapshot >"$WORK/before.files"
later=${version%.*}.$((${version##*.} + 1))
later_msi=$WORK/BelvaMG-$later-windows-x64.msi
reg_text 'HKCU\Software' >"$WORK/hkcu.before"
reg_text 'HKLM\Software' >"$WORK/hklm.before"

install_msi() {
    msiexec install /i "$(win_path "$msi")" || fail "msiexec /i ended with status $?: see $WORK/install.log"
    [ "$(listing "$pf")" = "$files" ] || fail "$installed holds: $(listing "$pf")"
    local file
    for file in $files; do
        cmp -s "$appdir/$file" "$pf/$file" || fail "the installed $file is not the zip's"
    done
    expect_entry "$version"
    # The entry's icon: the one Windows Installer keeps for the product.
    local rows path
    rows=$(reg_rows "$products" ProductIcon)
    path=$(unix_path "${rows#*|}")
    [ -n "$path" ] && cmp -s "$path" "$icon" || fail "the product's icon '${rows#*|}' is not BelvaMG.ico"
    reg_text 'HKLM\Software\BELVA MG' | grep -qxF "\"InstallDir\"=\"${installed//\\/\\\\}\\\\\"" ||
        fail "no InstallDir in HKLM\\Software\\BELVA MG"
    same_traces 'HKCU\Software' hkcu || fail "written in the user's registry (> above)"
    snapshot | LC_ALL=C comm -13 "$WORK/before.files" - >"$WORK/added.files"
    local menu
    menu=$(start_menu)
    [ -n "$menu" ] || fail "no Start menu folder BELVA MG"
    if [[ $menu == */users/* ]]; then
        note "Wine puts a per-machine install's Start menu in the user's profile; Windows puts it in the Start menu of all users (ProgramData)"
        grep -v '^users/[^/]*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/BELVA MG' "$WORK/added.files" >"$WORK/profile.files"
    else
        cp "$WORK/added.files" "$WORK/profile.files"
    fi
    ! grep '^users/' "$WORK/profile.files" || fail "written in the user's profile"
}
check "installer: msiexec /i /qn puts the zip's four files in Program Files, one entry, nothing in the user's profile" install_msi

shortcuts() {
    local menu
    menu=$(start_menu)
    [ "$(listing "$menu")" = "Aide de BELVA MG.lnk BELVA MG.lnk " ] || fail "the Start menu folder holds: $(listing "$menu")"
    "$WINE" "$winbin/shortcutinfo.exe" "$(win_path "$menu/BELVA MG.lnk")" >"$WORK/program.lnk.txt" ||
        fail "BELVA MG.lnk cannot be read"
    "$WINE" "$winbin/shortcutinfo.exe" "$(win_path "$menu/Aide de BELVA MG.lnk")" >"$WORK/help.lnk.txt" ||
        fail "Aide de BELVA MG.lnk cannot be read"
    local target dir arguments icon_at
    { read -r target; read -r dir; read -r arguments; read -r icon_at; } <"$WORK/program.lnk.txt"
    echo "BELVA MG: $target in ${dir:-?}, icon $icon_at"
    [ "$target" = "$installed\\BelvaMG.exe" ] || fail "BELVA MG leads to '$target'"
    [ "${dir%\\}" = "$installed" ] || fail "BELVA MG starts in '$dir'"
    [ -z "$arguments" ] || fail "BELVA MG passes '$arguments'"
    [[ $icon_at == *,0 ]] && cmp -s "$(unix_path "${icon_at%,0}")" "$icon" || fail "BELVA MG's icon is '$icon_at'"
    { read -r target; read -r dir; } <"$WORK/help.lnk.txt"
    [ "$target" = "$installed\\BelvaMG.chm" ] || fail "Aide de BELVA MG leads to '$target'"
    [ "${dir%\\}" = "$installed" ] || fail "Aide de BELVA MG starts in '$dir'"
}
check "Start menu: « BELVA MG » to the program with its icon and folder, « Aide de BELVA MG » to the help file" shortcuts

from_shortcut() {
    local target dir
    { read -r target; read -r dir; } <"$WORK/program.lnk.txt"
    WIN_PROGRAM=$target WIN_RUNDIR=$(unix_path "$dir") win_start
    win_wait_main || fail "no main window from $target"
    local caption
    caption=$(xdotool getwindowname "$WIN")
    [ "$caption" = "BELVA MG 1.0 - Qualité de vie dans l'insuffisance veineuse chronique." ] ||
        fail "the main window's title is '$caption'"
    focus_main
    shot installed-main
    win_quit
    # Its write probe left nothing in the folder.
    [ "$(listing "$pf")" = "$files" ] || fail "the program left in its folder: $(listing "$pf")"
}
check "the installed program, started as its shortcut says: the main window and its title" from_shortcut

installed_score() {
    mkdir -p "$WORK/study"
    printf '%s\r\n' "Nom;q1;q2;q3;q4;q5;q6;q7;q8;q9;q10;q11;q12;q13;q14;q15;q16;q17;q18;q19;q20" \
        "Élodie Gênée;3;0;1;5;2;4;0;1;2;5;0;3;1;4;2;5;1;0;3;2" \
        "Paul Martin;3;0;1;5;2;4;x;1;2;5;0;3;1;4;2;5;1;0;3;2" >"$WORK/study/etude.csv"
    (cd "$WORK/study" && "$linux/bin/belvamg-score" etude.csv >"$WORK/study/linux.out" 2>"$WORK/study/linux.err")
    local want=$?
    (cd "$WORK/study" && "$WINE" "$installed\\belvamg-score.exe" etude.csv >"$WORK/study/win.out" 2>"$WORK/study/win.err")
    local got=$?
    [ "$got" = "$want" ] || fail "exit status $got, not $want"
    cmp -s "$WORK/study/linux.out" "$WORK/study/win.out" || fail "the scores differ: $(cat "$WORK/study/win.out")"
    cmp -s "$WORK/study/linux.err" "$WORK/study/win.err" || fail "the messages differ: $(cat "$WORK/study/win.err")"
    grep -q ';47,08;' "$WORK/study/win.out" || fail "no global score 47,08: $(cat "$WORK/study/win.out")"
}
check "the installed belvamg-score: a small study scored as on Linux" installed_score

# The install folder read-only, as it is for a user without administrator
# rights: the program's own Wine server sees it through a read-only mount of
# its own (as root) or without write permission (another user).
debug_read_only() {
    local temp log
    temp=$("$WINE" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
    log=$(unix_path "$temp")/HHDebug.txt
    rm -f "$log"
    timeout 30 "$wineserver" -k >/dev/null 2>&1
    timeout 30 "$wineserver" -w >/dev/null 2>&1
    local wrap=()
    if [ "$(id -u)" = 0 ]; then
        unshare -m true 2>/dev/null || fail "no private mount namespace here (unshare -m)"
        wrap=(unshare -m bash -c 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" && shift && exec "$@"' ro "$pf")
    else
        chmod a-w "$pf"
    fi
    local status=0
    (
        WIN_WRAP=("${wrap[@]}") WIN_PROGRAM="$installed\\BelvaMG.exe" WIN_RUNDIR=$WORK
        win_start /DEBUG
        win_wait_main || fail "no main window with /DEBUG"
        wait_for 50 test -s "$log" || fail "no HHDebug.txt in the temporary folder $temp"
        win_quit
    ) || status=1
    # The server that saw the read-only folder goes with the program.
    timeout 30 "$wineserver" -k >/dev/null 2>&1
    timeout 30 "$wineserver" -w >/dev/null 2>&1
    chmod u+w "$pf"
    ((status == 0)) || exit 1
    head -n1 "$log" | iconv -f CP1252 -t UTF-8 | tr -d '\r' | grep -qxF "Filename:             	${temp%\\}\\HHDebug.txt" ||
        fail "the log names itself: $(head -n1 "$log")"
    [ "$(listing "$pf")" = "$files" ] || fail "the program wrote in its read-only folder: $(listing "$pf")"
    echo "the log in $temp"
    rm -f "$log"
}
check "/DEBUG with the install folder read-only: the log in the temporary folder" debug_read_only

again() {
    msiexec again /i "$(win_path "$msi")" || fail "msiexec /i a second time ended with status $?"
    expect_entry "$version"
    [ "$(listing "$pf")" = "$files" ] || fail "$installed holds: $(listing "$pf")"
}
check "installed a second time: still one entry" again

upgrade() {
    local earlier
    earlier=$(cat "$WORK/product")
    cmake -DVERSION="$later" -DFILES="$appdir" -DICON="$icon" -DOUTPUT="$later_msi" \
        -P "$here/../../packaging/windows/msi.cmake" >"$WORK/later.log" 2>&1 || fail "no $later installer: $(cat "$WORK/later.log")"
    msiexec upgrade /i "$(win_path "$later_msi")" || fail "installing $later ended with status $?"
    expect_entry "$later"
    [ "$(cat "$WORK/product")" != "$earlier" ] || fail "$later has the product code of $version"
    [ "$(listing "$pf")" = "$files" ] || fail "$installed holds: $(listing "$pf")"
    if msiexec downgrade /i "$(win_path "$msi")"; then
        fail "$version installed over $later"
    fi
    expect_entry "$later"
    [ "$(listing "$pf")" = "$files" ] || fail "$installed holds: $(listing "$pf")"
}
check "$later replaces $version (one entry); $version is then refused" upgrade

remove() {
    # What an administrator's session may leave beside the program: its debug
    # log and the marker file that asks for it.
    echo "log" >"$pf/HHDebug.txt"
    : >"$pf/debug.debug"
    msiexec remove /x "$(win_path "$later_msi")" || fail "msiexec /x ended with status $?"
    [ ! -e "$pf" ] || fail "$installed is left, with: $(listing "$pf")"
    [ -z "$(start_menu)" ] || fail "the Start menu keeps $(start_menu): $(listing "$(start_menu)")"
    [ -z "$(entries)" ] || fail "installed-programs entries left: $(entries)"
    [ -z "$(reg_rows "$products")" ] || fail "Windows Installer still knows the product: $(reg_rows "$products")"
    ! reg_text 'HKLM\Software\BELVA MG' >/dev/null || fail "HKLM\\Software\\BELVA MG is left"
    same_traces 'HKCU\Software' hkcu || fail "left in the user's registry (> above)"
    same_traces 'HKLM\Software' hklm || fail "left in the machine's registry (> above)"
    snapshot | LC_ALL=C diff "$WORK/before.files" - || fail "files are left (> above)"
}
check "msiexec /x /qn: no file, folder, shortcut, entry or registry key left" remove

note "Wine could not check: deployment by group policy (no domain here), the UAC prompt and a user without administrator rights (Wine runs everything as an administrator; the read-only folder was made by a mount), the Start menu of all users, how Settings shows the entry (icon, no Modify), files in use during an upgrade or a removal, Windows' warning for an unsigned package"
