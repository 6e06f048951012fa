#!/usr/bin/env bash
# Installs what Corvane needs on Debian 12 (when missing), then configures and builds it.
# Usage: scripts/setup.sh <build-dir> [extra cmake arguments]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
shift || true

packages=(cmake g++ make ccache pkg-config qt6-base-dev qt6-multimedia-dev libgl-dev
          libspeechd-dev libespeak-ng-dev speech-dispatcher speech-dispatcher-espeak-ng espeak-ng-data
          speech-dispatcher-audio-plugins dbus-daemon at-spi2-core
          xvfb xauth procps fonts-dejavu-core
          libecholib-dev libasynccore-dev libasynccpp-dev libasyncaudio-dev libsigc++-2.0-dev libgsm1-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Some packages are missing; run this as root (or with sudo) so they can be installed." >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
