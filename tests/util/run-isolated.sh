#!/bin/sh
# Runs one test program with a private HOME and XDG_RUNTIME_DIR, removed afterwards.
dir=$(mktemp -d "${TMPDIR:-/tmp}/corvane-test.XXXXXX") || exit 1
mkdir -p "$dir/home/Documents" "$dir/run"
chmod 700 "$dir/run"
HOME="$dir/home" XDG_RUNTIME_DIR="$dir/run" XDG_CONFIG_HOME="$dir/home/.config" "$@"
rc=$?
# Stand-ins started by the test end with their socket folder.
pkill -f -- "$dir/" 2>/dev/null
rm -rf "$dir"
exit $rc
