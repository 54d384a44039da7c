#!/usr/bin/env bash
# Installs the build into a private prefix and checks what a Linux desktop
# finds there: the program with its help file beside it, the link on the
# PATH, the menu entry, the AppStream metadata and the icon.
#   install.sh <build dir>
set -uo pipefail
build=${1:?usage: install.sh <build dir>}
source "$(dirname "$0")/../restrictions.sh"
need_tools cmake desktop-file-validate appstreamcli
prefix=$(mktemp -d /tmp/belva-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log"; rm -f "$prefix.log"; fail "cmake --install failed"; exit 1; }
rm -f "$prefix.log"

program=$prefix/lib/belvamg/BelvaMG
[ -x "$program" ] || fail "no program in lib/belvamg"
[ -s "$prefix/lib/belvamg/BelvaMG.chm" ] || fail "no help file beside the program"
[ "$(readlink -f "$prefix/bin/BelvaMG")" = "$(readlink -f "$program")" ] || fail "bin/BelvaMG does not lead to the program"
"$prefix/bin/belvamg-score" --help | grep -q '^Usage : belvamg-score' || fail "no belvamg-score in bin"

desktop=$prefix/share/applications/fr.belvamg.BelvaMG.desktop
metainfo=$prefix/share/metainfo/fr.belvamg.BelvaMG.metainfo.xml
[ -f "$desktop" ] && desktop-file-validate "$desktop" || fail "desktop entry missing or invalid"
grep -q '^Categories=.*MedicalSoftware;' "$desktop" || fail "desktop entry not in MedicalSoftware"
grep -q '^Name=BELVA MG$' "$desktop" || fail "desktop entry has no name"
[ -f "$metainfo" ] && appstreamcli validate --no-net "$metainfo" >/dev/null || fail "metainfo missing or invalid"
# Its release is the version the program shows: major and minor of project().
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=\([0-9]*\.[0-9]*\).*/\1/p' "$build/CMakeCache.txt")
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo release is not $version"
icon=$(sed -n 's/^Icon=//p' "$desktop")
ls "$prefix"/share/icons/hicolor/*/apps/"$icon".* >/dev/null 2>&1 || fail "icon $icon not installed"

((failed)) && exit 1
echo "PASS"
