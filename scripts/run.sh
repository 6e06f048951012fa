#!/usr/bin/env bash
# Builds Corvane (installing what is missing) and starts it. Corvane launches the EchoLink stand-in itself,
# here with its demo session, so stations arrive, chat and talk within the first minute.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" "$here/build"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<'MSG'
Corvane is built, but there is no display to show its window on.
Run it from a desktop session, or under a virtual display:

    xvfb-run -a scripts/run.sh
MSG
    exit 2
fi
export ECHOLINK_STANDIN_DEMO=${ECHOLINK_STANDIN_DEMO:-1}
exec "$here/build/bin/corvane"
