#!/usr/bin/env bash
# Builds the Debian package from the configured build folder and checks what it installs and depends on.
# Usage: check-package.sh <build-dir>
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A package of its own, so that a package built by hand in the build folder is left alone.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    exit 1
}
deb=$(ls "$work"/out/corvane_*.deb)
contents=$(dpkg-deb --contents "$deb")
echo "$contents"
status=0
expect() {
    if ! grep -qE "$1" <<<"$contents"; then
        echo "MISSING from the package: $1"
        status=1
    fi
}
expect '^-rwxr-xr-x .* \./usr/bin/corvane$'
expect '^-rwxr-xr-x .* \./usr/lib/corvane/Halvorn/EchoLink/EchoLink\.exe$'
expect ' \./usr/share/applications/org\.corvane\.Corvane\.desktop$'
expect ' \./usr/share/metainfo/org\.corvane\.Corvane\.metainfo\.xml$'
expect ' \./usr/share/icons/hicolor/scalable/apps/org\.corvane\.Corvane\.svg$'
expect ' \./usr/share/man/man1/corvane\.1\.gz$'
expect ' \./usr/share/man/man1/EchoLink\.exe\.1\.gz$'
expect ' \./usr/share/doc/corvane/copyright$'
if [ -n "${WITH_NODE:-}" ]; then
    expect '^-rwxr-xr-x .* \./usr/lib/corvane/Halvorn/EchoLink/corvane-echolinkd$'
    expect ' \./usr/share/man/man1/corvane-echolinkd\.1\.gz$'
fi
if grep -qE ' \./(opt|usr/local|usr/programfiles|programfiles)' <<<"$contents"; then
    echo "Files outside the FHS places"
    status=1
fi
# The runtime libraries come from dpkg-shlibdeps; the plugins Qt loads are declared by hand.
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6network6 libqt6multimedia6 libspeechd2 libespeak-ng1 qt6-qpa-plugins libc6; do
    grep -q "$lib" <<<"$depends" || {
        echo "MISSING dependency: $lib"
        status=1
    }
done
# The manual pages are well-formed gzip files that man can render.
dpkg-deb -x "$deb" "$work/root"
for page in "$work"/root/usr/share/man/man1/*.1.gz; do
    gzip -t "$page" || status=1
    if command -v man >/dev/null; then
        out=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || status=1
        [ -z "$out" ] || {
            echo "$page: $out"
            status=1
        }
    fi
done
exit $status
