#!/bin/sh
# Fails when files under the given source folder include each other in a circle. A header and the source
# file of the same name count as one unit, so a.cpp including b.h while b.cpp includes a.h is a circle too.
set -eu
cd "$1"
pairs=$(grep -rHo --include='*.h' --include='*.cpp' '^#include "[^"]*\.h"' . |
    sed -E 's|^\./(.*)\.(h\|cpp):#include "(.*)\.h"$|\1 \3|' | awk '$1 != $2')
if ! printf '%s\n' "$pairs" | tsort >/dev/null 2>"${TMPDIR:-/tmp}/include-cycles.$$"; then
    cat "${TMPDIR:-/tmp}/include-cycles.$$" >&2
    rm -f "${TMPDIR:-/tmp}/include-cycles.$$"
    exit 1
fi
rm -f "${TMPDIR:-/tmp}/include-cycles.$$"
echo "no include circle under $1"
