#!/bin/sh
# Runs one command on a private X server (Xvfb) with Qt's X platform, and ends the server afterwards.
# Exits 77, which CTest counts as skipped, when no X server can be started here.
if ! command -v Xvfb >/dev/null 2>&1; then
    echo "Xvfb is not installed: skipped (scripts/setup.sh installs it)"
    exit 77
fi
dir=$(mktemp -d "${TMPDIR:-/tmp}/corvane-x.XXXXXX") || exit 1
# Xvfb picks a free display itself and writes its number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
waited=0
while [ ! -s "$dir/display" ] && kill -0 "$xvfb" 2>/dev/null && [ "$waited" -lt 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
done
if [ ! -s "$dir/display" ]; then
    echo "no X server could be started: skipped"
    cat "$dir/xvfb.log"
    kill "$xvfb" 2>/dev/null
    rm -rf "$dir"
    exit 77
fi
DISPLAY=":$(cat "$dir/display")" QT_QPA_PLATFORM=xcb "$@"
rc=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
rm -rf "$dir"
exit $rc
