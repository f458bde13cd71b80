#!/usr/bin/env bash
# Builds the Debian package into a temp folder, unpacks it there with
# dpkg-deb -x and checks what it would install: the program runs through
# the /usr/bin link and finds its own folder behind it, the desktop entry,
# metainfo and manual page pass their validators, every command and option
# of --help is in the manual page and the completion, and lintian finds no
# error. Nothing is installed on this machine.
#
# Usage: PackageTest.sh BUILD_FOLDER CPACK VERSION
set -euo pipefail
build=$1 cpack=$2 version=$3

for tool in dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli man gzip; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
tmp=$(realpath "$tmp")
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

if ! (cd "$build" && "$cpack" -G DEB -B "$tmp/out") >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log"
    exit 1
fi
deb=$tmp/out/velmarch_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "FAIL: no $(basename "$deb") among: $(ls "$tmp/out")"; exit 1; }
root=$tmp/root
dpkg-deb -x "$deb" "$root"

# Libraries from the binary, the driver manager and the ASE driver.
depends=$(dpkg-deb -f "$deb" Depends)
for p in unixodbc libodbc2 libqt6core6; do
    [[ ", $depends," == *", $p"[\ ,]* ]] || fail "Depends lacks $p: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = tdsodbc ] || fail "Recommends is not tdsodbc"

program=$root/usr/bin/velmarch
[ "$(readlink "$program")" = ../lib/velmarch/velmarch ] || fail "usr/bin/velmarch is not a link to ../lib/velmarch/velmarch"
[ "$("$program" --version)" = "velmarch $version" ] || fail "--version does not print velmarch $version"
help=$("$program" --help)
[[ $help == *": $root/usr/lib/velmarch" ]] || fail "--help does not name $root/usr/lib/velmarch as the program's folder"

desktop=$(echo "$root"/usr/share/applications/*.desktop)
desktop-file-validate "$desktop" || fail "desktop-file-validate $(basename "$desktop")"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon $icon.svg"
metainfo=$root/usr/share/metainfo/$(basename "$desktop" .desktop).metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $(basename "$metainfo")"

manual=$root/usr/share/man/man1/velmarch.1.gz
warnings=$(MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null) || fail "man cannot render velmarch.1"
[ -z "$warnings" ] || fail "man warns about velmarch.1: $warnings"
page=$(MANWIDTH=200 man -l "$manual" 2>/dev/null)
completion=$(cat "$root/usr/share/bash-completion/completions/velmarch")
words=$(grep -oE -- '(^|[ [|])--?[a-z][a-z-]*|velmarch [a-z]+' <<<"$help" | sed 's/^[ [|]//; s/^velmarch //' | sort -u)
for word in $words; do
    grep -qE -- "(^|[^a-z-])$word([^a-z-]|$)" <<<"$page" || fail "the manual page lacks $word"
    grep -qE -- "(^|[^a-z-])$word([^a-z-]|$)" <<<"$completion" || fail "the completion lacks $word"
done

if ! lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1; then
    fail "lintian reports errors"
fi
grep -v 'running with root privileges' "$tmp/lintian.log" || true

[ "$failures" -eq 0 ] && echo "velmarch_${version} package: all checks passed"
[ "$failures" -eq 0 ]
