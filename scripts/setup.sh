#!/usr/bin/env bash
# Installs what Corvane needs on Debian 12 (when missing), then configures and builds it.
# Usage: scripts/setup.sh <build-dir> [extra cmake arguments]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
shift || true

packages=(cmake g++ make ccache pkg-config qt6-base-dev qt6-multimedia-dev qtkeychain-qt6-dev libgl-dev
          libspeechd-dev libespeak-ng-dev speech-dispatcher speech-dispatcher-espeak-ng espeak-ng-data
          xvfb xauth xdotool procps fonts-dejavu-core dbus-daemon gnome-keyring at-spi2-core speech-dispatcher-audio-plugins
          dpkg-dev file desktop-file-utils appstream
          libgsm1-dev
          libecholib-dev libasynccore-dev libasynccpp-dev libasyncaudio-dev libsigc++-2.0-dev svxlink-server)
# (the EchoLink library and its event loop build only the interop tests' peer station; svxlink-server is
# the other interop peer, which the tests start themselves on loopback)
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
    # SvxLink's own service would hold the EchoLink ports on every address; the tests run their own.
    if command -v systemctl >/dev/null && systemctl is-enabled svxlink >/dev/null 2>&1; then
        systemctl disable --now svxlink >/dev/null 2>&1 || true
    fi
fi

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
