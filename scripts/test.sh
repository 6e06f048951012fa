#!/usr/bin/env bash
# Builds Corvane (installing what is missing) and runs the whole test suite headless.
# Usage: scripts/test.sh [build-dir [extra cmake arguments]]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
shift || true
"$here/scripts/setup.sh" "$build" "$@"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 300
