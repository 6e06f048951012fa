#!/usr/bin/env bash
# Builds the Debian package from this tree: installs what the build needs (as scripts/setup.sh does),
# builds only the installed programs in their own folder and writes <build-dir>/corvane_<version>_<arch>.deb.
# Usage: scripts/package.sh [build-dir]        (default: build-deb)
# Install it with: apt install ./build-deb/corvane_*.deb
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build-deb"}
"$here/scripts/setup.sh" "$build" -DCORVANE_BUILD_TESTS=OFF -DCORVANE_BUILD_BENCH=OFF -DCORVANE_BUILD_FUZZ=OFF
cd "$build"
cpack -G DEB >/dev/null
ls -1 "$build"/corvane_*.deb
