#!/bin/sh
# Installs the program component into a staging folder as the package lays it
# out (prefix /usr) and checks that every file is there and that the desktop's
# validators accept the entries. Usage: check-install-tree.sh BUILD STAGE
set -eu
BUILD="$1"
STAGE="$2"
ID=org.kelvaron.Kelvaron

rm -rf "$STAGE"
DESTDIR="$STAGE" cmake --install "$BUILD" --prefix /usr --component program >/dev/null
ROOT="$STAGE/usr"

fail=0
need() {
    if [ ! -s "$ROOT/$1" ]; then
        echo "missing from the install tree: /usr/$1"
        fail=1
    fi
}
need bin/kelvaron
need share/applications/$ID.desktop
need share/metainfo/$ID.metainfo.xml
need share/icons/hicolor/scalable/apps/$ID.svg
need share/man/man1/kelvaron.1
need lib/udev/rules.d/70-kelvaron-controllers.rules
for size in 16 24 32 48 64 128 256 512; do
    png="share/icons/hicolor/${size}x${size}/apps/$ID.png"
    need "$png"
    if [ -s "$ROOT/$png" ] && ! file "$ROOT/$png" | grep -q "PNG image data, $size x $size"; then
        echo "/usr/$png is not a $size x $size PNG: $(file -b "$ROOT/$png")"
        fail=1
    fi
done
[ "$fail" -eq 0 ] || exit 1

desktop-file-validate "$ROOT/share/applications/$ID.desktop"
# The whole tree: metainfo, its desktop entry and its icon found together.
appstreamcli validate-tree --no-net "$STAGE"

warnings=$(groff -man -Tutf8 -ww -z "$ROOT/share/man/man1/kelvaron.1" 2>&1)
if [ -n "$warnings" ]; then
    echo "the manual page has faults:"
    echo "$warnings"
    exit 1
fi

# The installed program runs from where it was put.
version=$("$ROOT/bin/kelvaron" --version)
case "$version" in
    *[0-9].[0-9]*) ;;
    *) echo "kelvaron --version printed '$version'"; exit 1 ;;
esac
echo "install tree complete: $version"
