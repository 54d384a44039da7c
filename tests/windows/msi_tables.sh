#!/usr/bin/env bash
# The Windows installer built by packaging/windows/msi.cmake from stand-in
# files, read back with msitools: the tables Windows Installer acts on
# (where the files go, the shortcuts, the registry, the installed-programs
# entry, the upgrade rules), checked without Windows or Wine.
#   msi_tables.sh VERSION        VERSION: project()'s
set -uo pipefail
version=${1:?usage: msi_tables.sh VERSION}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../restrictions.sh"
need_tools cmake wixl msibuild msiinfo msiextract cmp iconv
script=$here/../../packaging/windows/msi.cmake
work=$(mktemp -d /tmp/belva-msi.XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# Four distinct stand-ins and an icon: each extracted file must be its own.
files=$work/files
mkdir -p "$files"
for name in BelvaMG.exe belvamg-score.exe BelvaMG.chm BelvaMG.ico; do
    { echo "$name"; head -c 2000 /dev/urandom; } >"$files/$name"
done
printf 'Qualit\xe9 de vie\r\n' >"$files/LISEZMOI.txt"

# build VERSION OUTPUT [FILES]: msi.cmake's status; its messages in OUTPUT.log.
build() {
    cmake -DVERSION="$1" -DFILES="${3:-$files}" -DICON="$files/BelvaMG.ico" -DOUTPUT="$2" \
        -P "$script" >"$2.log" 2>&1
}
# table MSI NAME: its rows, without the three header lines, sorted.
table() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r' | LC_ALL=C sort; }
# expect WHAT ACTUAL EXPECTED
expect() {
    [ "$2" = "$3" ] && return 0
    fail "$1"
    diff <(echo "$3") <(echo "$2") | sed 's/^/    /'
}
property() { table "$1" Property | awk -F'\t' -v p="$2" '$1 == p { print $2 }'; }

msi=$work/BelvaMG.msi
build "$version" "$msi" || { cat "$msi.log"; fail "msi.cmake failed for $version"; exit 1; }
upgrade='{A6F510A8-FDA2-44A3-9745-79727138D79B}'
T=$'\t'

echo "== the installed-programs entry, per machine, remove only"
expect "Property table" "$(table "$msi" Property | grep -v '^ProductCode')" "$(LC_ALL=C sort <<EOF
ALLUSERS${T}1
ARPCOMMENTS${T}Qualité de vie dans l'insuffisance veineuse chronique
ARPNOMODIFY${T}1
ARPNOREPAIR${T}1
ARPPRODUCTICON${T}BelvaMG.ico
Manufacturer${T}Équipe BELVA
ProductLanguage${T}1036
ProductName${T}BELVA MG
ProductVersion${T}$version
SecureCustomProperties${T}WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED
UpgradeCode${T}$upgrade
EOF
)"
msiinfo extract "$msi" Icon.BelvaMG.ico | cmp -s - "$files/BelvaMG.ico" || fail "the entry's icon is not BelvaMG.ico"
msiinfo suminfo "$msi" | grep -q '^Template: x64;' || fail "not a 64-bit package: $(msiinfo suminfo "$msi" | grep Template)"
# The summary's texts in its code page, Windows-1252, as Explorer shows them.
msiinfo suminfo "$msi" | LC_ALL=C grep -qx $'Author: \xc9quipe BELVA' ||
    fail "the summary's author is not Windows-1252: $(msiinfo suminfo "$msi" | grep Author | od -c | head -2)"
! msiinfo suminfo "$msi" | grep -v '^Author: ' | LC_ALL=C grep '[^ -~]' || fail "the summary holds non-ASCII texts"
# Its folder, set once costing has resolved INSTALLDIR, before the entry is written.
expect "ARPINSTALLLOCATION action" "$(table "$msi" CustomAction)" "SetInstallLocation${T}2099${T}ARPINSTALLLOCATION${T}[INSTALLDIR]${T}"
sequence=" $(table "$msi" InstallExecuteSequence | sort -t"$T" -k3,3n | cut -f1 | tr '\n' ' ')"
[[ $sequence == *" CostFinalize SetInstallLocation "*RegisterProduct* ]] ||
    fail "SetInstallLocation is not right after CostFinalize: $sequence"

echo "== ProductCode: one per version, the same for the same version"
code=$(property "$msi" ProductCode)
[[ $code =~ ^\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\}$ ]] || fail "ProductCode '$code' is no braced UUID"
build "$version" "$work/again.msi" || fail "second build of $version failed"
expect "ProductCode of a rebuild" "$(property "$work/again.msi" ProductCode)" "$code"
later=${version%.*}.$((${version##*.} + 1))
build "$later" "$work/later.msi" || fail "msi.cmake failed for $later"
[ "$(property "$work/later.msi" ProductCode)" != "$code" ] || fail "$later has the ProductCode of $version"
expect "UpgradeCode of $later" "$(property "$work/later.msi" UpgradeCode)" "$upgrade"

echo "== major upgrade: an earlier version removed first, a later one refuses"
expect "Upgrade table" "$(table "$msi" Upgrade)" "$(LC_ALL=C sort <<EOF
$upgrade${T}${T}$version${T}${T}1${T}${T}WIX_UPGRADE_DETECTED
$upgrade${T}$version${T}${T}${T}2${T}${T}WIX_DOWNGRADE_DETECTED
EOF
)"
expect "LaunchCondition" "$(table "$msi" LaunchCondition)" \
    "NOT WIX_DOWNGRADE_DETECTED${T}Une version plus récente de BELVA MG est déjà installée."
[[ $sequence == *" FindRelatedProducts "*" InstallValidate RemoveExistingProducts InstallInitialize "* ]] ||
    fail "the earlier version is not removed between InstallValidate and InstallInitialize: $sequence"

echo "== folders: Program Files and the Start menu, nothing under the user's profile"
expect "Directory table" "$(table "$msi" Directory)" "$(LC_ALL=C sort <<EOF
INSTALLDIR${T}ProgramFiles64Folder${T}BELVA MG
ProgramFiles64Folder${T}TARGETDIR${T}.
ProgramMenuDir${T}ProgramMenuFolder${T}BELVA MG
ProgramMenuFolder${T}TARGETDIR${T}.
TARGETDIR${T}${T}SourceDir
EOF
)"
# File name, folder, 64-bit component (256) and its key path.
expect "files and their components" "$(join -t"$T" -1 2 -2 1 \
    <(table "$msi" File | awk -F'\t' -v OFS='\t' '{ print $1, $2, $3 }' | sort -t"$T" -k2,2) \
    <(table "$msi" Component | awk -F'\t' -v OFS='\t' '{ print $1, $3, int($4 / 256) % 2 * 256, $6 }' | sort -t"$T" -k1,1) |
    awk -F'\t' -v OFS='\t' '{ print $3, $4, $5, ($6 == $2) ? "key" : "not key" }' | LC_ALL=C sort)" "$(LC_ALL=C sort <<EOF
BelvaMG.chm${T}INSTALLDIR${T}256${T}key
BelvaMG.exe${T}INSTALLDIR${T}256${T}key
LISEZMOI.txt${T}INSTALLDIR${T}256${T}key
belvamg-score.exe${T}INSTALLDIR${T}256${T}key
EOF
)"
msiextract -C "$work/out" "$msi" >/dev/null || fail "msiextract failed"
for name in BelvaMG.exe belvamg-score.exe BelvaMG.chm LISEZMOI.txt; do
    cmp -s "$files/$name" "$work/out/BELVA MG/$name" || fail "$name in the package is not the given file"
done

echo "== shortcuts, registry, what removal deletes"
# Folder, name, target, description, icon, working folder.
expect "Shortcut table" "$(table "$msi" Shortcut | awk -F'\t' -v OFS='\t' '{ print $2, $3, $5, $7, $9, $12 }')" \
    "$(LC_ALL=C sort <<EOF
ProgramMenuDir${T}BELVA MG${T}[INSTALLDIR]BelvaMG.exe${T}Qualité de vie dans l'insuffisance veineuse chronique${T}BelvaMG.ico${T}INSTALLDIR
ProgramMenuDir${T}Aide de BELVA MG${T}[INSTALLDIR]BelvaMG.chm${T}${T}${T}INSTALLDIR
EOF
)"
# Root 2: HKEY_LOCAL_MACHINE; nothing in the user's hive.
expect "Registry table" "$(table "$msi" Registry | cut -f2-)" "2${T}Software\\BELVA MG${T}InstallDir${T}[INSTALLDIR]${T}Shortcuts"
expect "RemoveFile table" "$(table "$msi" RemoveFile)" "$(LC_ALL=C sort <<EOF
DebugLog${T}Program${T}HHDebug.txt${T}INSTALLDIR${T}2
DebugMarker${T}Program${T}debug.debug${T}INSTALLDIR${T}2
ProgramMenuDir${T}Shortcuts${T}${T}ProgramMenuDir${T}2
EOF
)"

echo "== refused: versions Windows Installer cannot compare, a missing file"
for bad in 1.0 1.0.0.1 1.0.0-rc1 256.0.0 1.256.0 1.0.65536 01.0.0; do
    if build "$bad" "$work/bad.msi"; then
        fail "version '$bad' accepted"
    elif ! grep -q "'$bad' is no installer version" "$work/bad.msi.log"; then
        fail "version '$bad': $(cat "$work/bad.msi.log")"
    fi
done
mkdir "$work/partial"
cp "$files"/BelvaMG.exe "$files"/belvamg-score.exe "$files"/BelvaMG.chm "$work/partial/"
build "$version" "$work/bad.msi" "$work/partial" && fail "built without LISEZMOI.txt"
grep -q 'LISEZMOI.txt is missing' "$work/bad.msi.log" || fail "missing file: $(cat "$work/bad.msi.log")"
[ ! -e "$work/bad.msi" ] && [ ! -e "$work/bad.msi.partial" ] || fail "a refused build left a package"

((failed)) && exit 1
echo "PASS"
