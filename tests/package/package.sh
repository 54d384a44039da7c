#!/usr/bin/env bash
# The Debian package built from this build tree: lintian finds no error in
# it, its control fields hold the dependencies loaded at run time, and once
# unpacked into a throwaway root the program starts to its main window and
# opens its help file beside it, and belvamg-score scores a small CSV.
#   package.sh <build dir>
set -uo pipefail
build=$(cd "${1:?usage: package.sh <build dir>}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e/xsession.sh"
x_need cpack dpkg-deb dpkg-shlibdeps lintian Xvfb xdotool xmodmap import
x_init package

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
deb=$WORK/out/belvamg_${version}_amd64.deb

echo "== cpack"
cpack --config "$build/CPackConfig.cmake" -B "$WORK/out" >"$WORK/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$WORK/cpack.log")"
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$WORK/out")"

echo "== control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = belvamg ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = science ] || fail "Section: $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
echo "Depends: $depends"
# Loaded at run time, then linked: both kinds must be there.
for dep in libchm1 qt6-translations-l10n qt6-qpa-plugins fonts-wine libqt6widgets6 libqt6printsupport6 libcsv3 libc6; do
    grep -Eq "(^|, )$dep( |,|$)" <<<"$depends" || fail "Depends lacks $dep"
done
description=$(field Description)
grep -q 'physician' <<<"$description" && grep -q 'médecin' <<<"$description" ||
    fail "the description is not in English and French"

echo "== lintian"
lintian --fail-on error "$deb" >"$WORK/lintian.log" 2>&1
status=$?
cat "$WORK/lintian.log"
((status == 0)) || fail "lintian reports errors"

echo "== unpacked"
root=$WORK/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
for f in usr/lib/belvamg/BelvaMG usr/lib/belvamg/BelvaMG.chm usr/bin/BelvaMG usr/bin/belvamg-score \
    usr/share/man/man1/BelvaMG.1.gz usr/share/man/man1/belvamg-score.1.gz \
    usr/share/doc/belvamg/copyright usr/share/applications/fr.belvamg.BelvaMG.desktop \
    usr/share/metainfo/fr.belvamg.BelvaMG.metainfo.xml usr/share/icons/hicolor/256x256/apps/fr.belvamg.BelvaMG.png; do
    [ -e "$root/$f" ] || fail "the package has no /$f"
done

echo "== belvamg-score"
printf '%s\n' 'Nom;q1;q2;q3;q4;q5;q6;q7;q8;q9;q10;q11;q12;q13;q14;q15;q16;q17;q18;q19;q20' \
    'Élodie Gênée;3;0;1;5;2;4;0;1;2;5;0;3;1;4;2;5;1;0;3;2' \
    'Paul Martin;3;0;1;5;2;4;x;1;2;5;0;3;1;4;2;5;1;0;3;2' >"$WORK/etude.csv"
printf '%s\n' 'Nom;q1;q2;q3;q4;q5;q6;q7;q8;q9;q10;q11;q12;q13;q14;q15;q16;q17;q18;q19;q20;PS;PH;S;DG;Global;Erreur' \
    'Élodie Gênée;3;0;1;5;2;4;0;1;2;5;0;3;1;4;2;5;1;0;3;2;40;45;73,33;30;47,08;' \
    "Paul Martin;3;0;1;5;2;4;x;1;2;5;0;3;1;4;2;5;1;0;3;2;;;;;;q7 : 'x' n'est pas une valeur entière correcte" \
    >"$WORK/expected.csv"
(cd "$WORK" && "$root/usr/bin/belvamg-score" etude.csv >scores.csv 2>score.err)
status=$?
((status == 1)) || fail "belvamg-score exited with $status, not 1: $(cat "$WORK/score.err")"
cmp -s "$WORK/scores.csv" "$WORK/expected.csv" ||
    fail "belvamg-score wrote $(diff "$WORK/expected.csv" "$WORK/scores.csv")"
[ "$(cat "$WORK/score.err")" = "etude.csv:3: q7 : 'x' n'est pas une valeur entière correcte" ] ||
    fail "belvamg-score said: $(cat "$WORK/score.err")"

echo "== BelvaMG"
x_start
app_start "$root/usr/bin/BelvaMG"
shot main
# Rubriques de l'aide: the viewer shows the help file found beside the program.
menu a r
wait_window '^Aide de BELVA MG' 100 || fail "the help viewer did not open"
shot help
echo "PASS"
