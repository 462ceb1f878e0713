#!/bin/sh
# Installs the Debian packages the build and tests need. Idempotent: does
# nothing when everything is present, refreshes the package lists only when
# something has to be installed, and uses sudo only when not already root.
set -eu

PACKAGES="cmake ninja-build g++ pkg-config ccache clang-format \
  libgtest-dev libgmock-dev libbenchmark-dev \
  qt6-base-dev qt6-serialport-dev qt6-svg-dev libopenal-dev libsndfile1-dev \
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev libsdl2-dev \
  libopencv-video-dev \
  fonts-ipafont-gothic xvfb xauth sox espeak-ng ffmpeg \
  librsvg2-bin desktop-file-utils appstream groff-base file dpkg-dev \
  clang libclang-rt-dev"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

echo "Installing missing packages:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
