#!/usr/bin/env bash
# Checks a built Debian package as a user would get it: unpacked with dpkg-deb into a temporary
# root, its file list, its Depends against the libraries its binaries load, the unpacked
# morvane-engine on a fixture, and the AppStream and desktop entry validators.
# Usage: tests/package/check.sh build-package/morvane_<version>_<arch>.deb
set -euo pipefail
DEB=${1:?usage: tests/package/check.sh PACKAGE.deb}
ROOT=$(mktemp -d)
trap 'rm -rf "$ROOT"' EXIT
fail() { echo "package check: $*" >&2; exit 1; }

version=$(dpkg-deb -f "$DEB" Version)
arch=$(dpkg-deb -f "$DEB" Architecture)
[ "$(basename "$DEB")" = "morvane_${version}_${arch}.deb" ] || fail "file name $(basename "$DEB")"
[ "$arch" = "$(dpkg --print-architecture)" ] || fail "architecture $arch"
dpkg-deb -x "$DEB" "$ROOT"

# The file list: everything under /usr, in the folders the desktop and dpkg expect.
metainfo=usr/share/metainfo/io.github.morvane.Morvane.metainfo.xml
for f in usr/bin/morvane usr/bin/morvane-engine usr/share/applications/morvane.desktop \
    "$metainfo" usr/share/morvane/data.dat usr/share/morvane/Property.ini \
    usr/share/morvane/bg1.gif usr/share/morvane/help/index.html \
    usr/share/man/man1/morvane.1.gz usr/share/man/man1/morvane-engine.1.gz \
    usr/share/doc/morvane/copyright usr/share/doc/morvane/changelog.gz; do
    [ -f "$ROOT/$f" ] || fail "missing /$f"
done
stray=$(cd "$ROOT" && find . -type f | grep -vE '^\./usr/(bin/morvane(-engine)?|share/(applications|metainfo|morvane|icons/hicolor|man/man1|doc/morvane)/.+)$' || true)
[ -z "$stray" ] || fail "unexpected files: $stray"
# Each icon size holds the program's icon and an icon for each MIME type the desktop entry names.
desktop_types=$(sed -n 's/^MimeType=//p' "$ROOT/usr/share/applications/morvane.desktop" | tr ';' ' ')
[ "$(wc -w <<<"$desktop_types")" -ge 8 ] || fail "desktop entry names only: $desktop_types"
for type in $desktop_types; do
    grep -q "<mediatype>$type</mediatype>" "$ROOT/$metainfo" || fail "metainfo lacks $type"
done
sizes=0
for dir in "$ROOT"/usr/share/icons/hicolor/*x*; do
    for icon in apps/morvane $(for t in $desktop_types; do echo "mimetypes/morvane-${t/\//-}"; done); do
        [ -f "$dir/$icon.png" ] || fail "missing $dir/$icon.png"
    done
    sizes=$((sizes + 1))
done
[ "$sizes" -ge 4 ] || fail "only $sizes icon sizes"

# Depends: the run-time data, and for every shared library the binaries load the package that
# the library's own package names for it in its symbols or shlibs file (libtag.so.1 lies in
# libtag1v5-vanilla, which asks for libtag1v5).
depends=$(dpkg-deb -f "$DEB" Depends)
names() { sed -e 's/([^)]*)//g' -e 's/[,|]/\n/g' | awk 'NF { print $1 }' | sed 's/:.*//'; }
for p in fonts-ipafont-gothic qt6-translations-l10n; do
    names <<<"$depends" | grep -qx "$p" || fail "Depends lacks $p: $depends"
done
wanted() { # wanted OWNER LIBRARY
    local dep name=${2%%.so*} version=${2##*.so.}
    dep=$(dpkg-query --control-show "$1" symbols 2>/dev/null |
        awk -v l="$2" '$1 == l { print $2; exit }')
    [ -n "$dep" ] || dep=$(dpkg-query --control-show "$1" shlibs 2>/dev/null |
        awk -v n="$name" -v v="$version" '$1 == n && $2 == v { print $3; exit }')
    echo "${dep:-$1}"
}
for bin in "$ROOT/usr/bin/morvane" "$ROOT/usr/bin/morvane-engine"; do
    ! ldd "$bin" | grep -q "not found" || fail "$(ldd "$bin" | grep "not found")"
    for lib in $(readelf -d "$bin" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        path=$(ldd "$bin" | awk -v l="$lib" '$1 == l { print $3 }')
        owner=$( (dpkg -S "$path" || dpkg -S "$(readlink -f "$path")") 2>/dev/null |
            head -1 | cut -d: -f1)
        [ -n "$owner" ] || fail "no package owns $path ($lib)"
        dep=$(wanted "$owner" "$lib")
        names <<<"$depends" | grep -qx "$dep" || fail "Depends lacks $dep ($lib): $depends"
    done
done
# Only the hardening Debian builds with.
readelf -d "$ROOT/usr/bin/morvane" | grep -q BIND_NOW || fail "morvane is not linked with -z now"
! readelf -S "$ROOT/usr/bin/morvane" | grep -q '\.debug_info' || fail "morvane is not stripped"

# The newest release of the AppStream data is the package's version.
release=$(grep -o '<release version="[^"]*"' "$ROOT/$metainfo" | head -1 | cut -d'"' -f2)
[ "$release" = "$version" ] || fail "metainfo release $release, package $version"

# The unpacked engine reads a fixture made here.
sox -q -n -r 44100 -c 2 "$ROOT/tone.wav" synth 3 sine 440 vol 0.5
lame --quiet -b 128 --tt "Fixture" "$ROOT/tone.wav" "$ROOT/tone.mp3"
info=$(MORVANE_AUDIO=null "$ROOT/usr/bin/morvane-engine" info "$ROOT/tone.mp3")
for line in channels=2 sampleRate=44100 bitRate=128 totalSec=3 tagTitle=Fixture; do
    grep -qx "$line" <<<"$info" || fail "morvane-engine info lacks $line:"$'\n'"$info"
done

appstreamcli validate --no-net "$ROOT/$metainfo" >/dev/null || {
    appstreamcli validate --no-net "$ROOT/$metainfo"
    fail "appstreamcli validate failed"
}
desktop-file-validate "$ROOT/usr/share/applications/morvane.desktop" ||
    fail "desktop-file-validate failed"
echo "package check: $(basename "$DEB") ($(du -k "$DEB" | cut -f1) KB) passed"
