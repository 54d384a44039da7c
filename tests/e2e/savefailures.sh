#!/usr/bin/env bash
# Sauvegarder sous where the save cannot succeed, in the real program under
# its own X server and in a mount namespace of this test's own: a named pipe
# that nobody reads, a new file on a full disk (a small tmpfs), and the
# process's file size limit (which must not end the program). Each gives the
# error box, read through the accessibility bus; no earlier file changes,
# under any of its names, and no new file is left behind.
#   savefailures.sh <BelvaMG>
set -uo pipefail
prog=${1:?usage: savefailures.sh BelvaMG}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../restrictions.sh"

if [ -z "${BELVA_PRIVATE_MOUNTS:-}" ]; then
    [ "$(id -u)" = 0 ] || skip_or_fail "a mount namespace of the test's own needs root"
    need_tools unshare
    BELVA_PRIVATE_MOUNTS=1 exec unshare -m --propagation private bash "$0" "$@"
fi

source "$here/xsession.sh"
x_need Xvfb xdotool xmodmap import gdbus mkfifo prlimit perl mount
x_init savefailures

mkdir -p "$WORK/petit" "$WORK/bilans"
mount -t tmpfs -o size=64k tmpfs "$WORK/petit" || fail "no tmpfs for the full disk"
{ yes 0123456789abcdef 2>/dev/null || true; } | head -c 1048576 >"$WORK/petit/plein" 2>/dev/null
mkfifo "$WORK/tube.txt" || fail "no named pipe"
printf 'ancien bilan\r\n' >"$WORK/bilans/bilan.txt"
ln "$WORK/bilans/bilan.txt" "$WORK/bilans/copie.txt"
printf 'autre bilan\r\n' >"$WORK/bilans/seul.txt"

x_start
a11y_start
keymap_add "$WORK"
app_start "$prog"
wait_for 100 a11y_find_app || fail "the program is not on the accessibility bus"

# system_text ERRNO: the system's text for it in the test's language.
system_text() {
    perl -Mlocale -MPOSIX -e 'setlocale(LC_ALL, ""); my $s = strerror($ARGV[0]); utf8::encode($s) if utf8::is_utf8($s); print $s' "$1"
}

# save_fails PATH MESSAGE: Sauvegarder sous... to PATH shows the error box
# with MESSAGE; OK closes it and the program goes on.
save_fails() {
    local path=$1 message=$2 dialog box
    # Sauvegarder sous... has no access key: five up from the first item,
    # past Quitter, Configuration imprimante, Imprimer and Exporter en PDF.
    menu f Up Up Up Up Up Return
    answer_prompt "Dupont Jean"
    wait_window '^Sauvegarder sous\.\.\.$' 100 || fail "the save dialog did not show"
    dialog=$FOUND
    focus_window "$dialog"
    xdotool key ctrl+a
    type_text "$path"
    xdotool key Return
    wait_for 50 window_gone "$dialog" || fail "the save dialog did not close for $path"
    wait_window '^BELVA MG 1\.0$' 100 || fail "no error box for $path"
    box=$FOUND
    wait_for 30 a11y_box_message || fail "the error box is not on the accessibility bus"
    a11y_expect "the error for $path" a11y_name "$A11Y_MESSAGE" "$message"
    shot "error-$(basename "$path")"
    focus_window "$box"
    xdotool key Return
    wait_for 50 window_gone "$box" || fail "the error box did not close"
    app_running || fail "the program has ended"
}

# holds FILE TEXT: FILE still holds TEXT and a CR LF.
holds() { [ "$(cat "$1")" = "$(printf '%s\r\n' "$2")" ] || fail "$1 now holds '$(head -c 80 "$1")'"; }

echo "== a named pipe that nobody reads"
save_fails "$WORK/tube.txt" "Impossible de créer le fichier \"$WORK/tube.txt\". $(system_text 6)."
[ -p "$WORK/tube.txt" ] || fail "the named pipe was replaced"

echo "== a new file on a full disk"
save_fails "$WORK/petit/nouveau.txt" "Erreur d'écriture dans le flux."
[ "$(ls -A "$WORK/petit")" = plein ] || fail "the full disk holds '$(ls -A "$WORK/petit" | paste -sd ' ')'"

echo "== the file size limit: a file of two names, a file of one, a new file"
prlimit --pid "$APP" --fsize=1024 || fail "the file size limit could not be set"
save_fails "$WORK/bilans/copie.txt" "Erreur d'écriture dans le flux."
holds "$WORK/bilans/bilan.txt" "ancien bilan"
holds "$WORK/bilans/copie.txt" "ancien bilan"
save_fails "$WORK/bilans/seul.txt" "Erreur d'écriture dans le flux."
holds "$WORK/bilans/seul.txt" "autre bilan"
save_fails "$WORK/bilans/nouveau.txt" "Erreur d'écriture dans le flux."
[ "$(ls -A "$WORK/bilans" | paste -sd ' ')" = "bilan.txt copie.txt seul.txt" ] ||
    fail "the folder holds '$(ls -A "$WORK/bilans" | paste -sd ' ')'"

echo "PASS"
