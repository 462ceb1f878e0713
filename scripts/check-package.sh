#!/bin/sh
# Checks the Debian packages `make package` built: they install with dpkg -i
# (into a scratch root of their own, so the build machine's system is left as
# it was), the program's dependencies came from the libraries it links, the
# installed program runs and the installed demo line passes `kelvaron check`.
# Usage: check-package.sh BUILD
set -eu
BUILD="$1"

program=$(ls "$BUILD"/kelvaron_*.deb 2>/dev/null | head -n 1)
demo=$(ls "$BUILD"/kelvaron-demo_*.deb 2>/dev/null | head -n 1)
if [ -z "$program" ]; then
    echo "no kelvaron_*.deb in $BUILD: run cpack first"
    exit 1
fi

depends=$(dpkg-deb -f "$program" Depends)
for lib in libqt6widgets6 libopenal1 libsdl2 libavcodec libc6; do
    case "$depends" in
        *"$lib"*) ;;
        *) echo "$program: Depends lacks $lib: $depends"; exit 1 ;;
    esac
done

ROOT=$(mktemp -d)
trap 'rm -rf "$ROOT"' EXIT
mkdir -p "$ROOT/var/lib/dpkg/info" "$ROOT/var/lib/dpkg/updates"
touch "$ROOT/var/lib/dpkg/status" "$ROOT/var/lib/dpkg/available"
# The scratch root has no package database of the libraries, which are
# installed on the machine itself.
if ! dpkg --root="$ROOT" --force-depends --force-not-root --log=/dev/null \
    -i "$program" ${demo:+"$demo"} >"$ROOT/dpkg.log" 2>&1; then
    cat "$ROOT/dpkg.log"
    exit 1
fi
dpkg --root="$ROOT" -s kelvaron | grep -q "Status: install ok installed"

"$ROOT/usr/bin/kelvaron" --version
if [ -n "$demo" ]; then
    dpkg --root="$ROOT" -s kelvaron-demo | grep -q "Status: install ok installed"
    demo_dir="$ROOT/usr/share/kelvaron/demo"
    "$ROOT/usr/bin/kelvaron" check --data "$demo_dir" --train train_1000.dat --line line_local.dat \
        >/dev/null
    "$ROOT/usr/bin/kelvaron" check --data "$demo_dir" --train train_2000.dat --line line_exp.dat \
        >/dev/null
    echo "demo line installed and checked: $ROOT/usr/share/kelvaron/demo"
fi
ls -l "$BUILD"/kelvaron*.deb | awk '{print $5, $9}'
echo "packages install and run"
