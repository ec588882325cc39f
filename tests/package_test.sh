#!/usr/bin/env bash
# Checks what a user installs: `cmake --install` and the .deb from cpack hold
# both programs under bin/, the .deb depends on GLUT, GLU and GL, and the
# packaged capture tool runs.
# Usage: tests/package_test.sh BUILD_DIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
for program in quenlade quenlade-capture; do
    [ -x "$work/prefix/bin/$program" ] || fail "cmake --install put no bin/$program"
done

(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(find "$work/deb" -maxdepth 1 -name 'quenlade_*.deb')
[ -n "$deb" ] || fail "cpack made no .deb"

files=$(dpkg-deb -c "$deb")
for program in quenlade quenlade-capture; do
    grep -Eq "^-rwxr-xr-x .* \./usr/bin/$program$" <<<"$files" || fail "no executable /usr/bin/$program in the .deb"
done

depends=$(dpkg-deb -f "$deb" Depends)
for library in 'libglut' 'libglu1' 'libopengl0|libgl1'; do
    grep -Eq "(^|, )($library)" <<<"$depends" || fail "the .deb does not depend on $library: $depends"
done

dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/bin/quenlade-capture" --help | grep -q -- '--turn' ||
    fail "the packaged quenlade-capture does not run"
echo "package: $(basename "$deb") holds both programs; Depends: $depends"
