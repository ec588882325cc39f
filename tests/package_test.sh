#!/usr/bin/env bash
# Checks what a user installs: `cmake --install` and the .deb from cpack hold
# both programs, their manual pages, the licence, and the README with every
# picture it links; the .deb passes lintian, depends on GLUT, GLU and GL, and
# its capture tool runs.  Usage: tests/package_test.sh BUILD_DIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Without the packaging tools this is a skip, with one line for ctest to
# print after its summary (see tests/CMakeLists.txt), not a failure.
lacking=()
for tool in dpkg-deb:dpkg-dev dpkg-shlibdeps:dpkg-dev lintian:lintian help2man:help2man; do
    command -v "${tool%%:*}" >/dev/null || lacking+=("${tool#*:}")
done
if [ ${#lacking[@]} -gt 0 ]; then
    note="package: skipped, needs $(printf '%s\n' "${lacking[@]}" | sort -u | paste -sd ' '): run ./scripts/test, which installs them"
    echo "$note"
    [ -z "${QUENLADE_SKIPPED:-}" ] || echo "$note" >"$QUENLADE_SKIPPED/package"
    exit 77
fi

cmake --install "$build" --prefix "$work/prefix" >/dev/null
doc=$work/prefix/share/doc/quenlade
for file in bin/quenlade bin/quenlade-capture share/man/man1/quenlade.1.gz \
    share/man/man1/quenlade-capture.1.gz share/doc/quenlade/copyright; do
    [ -s "$work/prefix/$file" ] || fail "cmake --install put no $file"
done
for link in $(grep -o '](docs/[^)]*)' "$doc/README.md" | tr -d '()]'); do
    [ -s "$doc/$link" ] || fail "the installed README links $link, which is not installed"
done

(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(find "$work/deb" -maxdepth 1 -name 'quenlade_*.deb')
[ -n "$deb" ] || fail "cpack made no .deb"
lintian --fail-on error,warning "$deb" || fail "lintian finds errors or warnings in the .deb"

depends=$(dpkg-deb -f "$deb" Depends)
for library in 'libglut' 'libglu1' 'libopengl0|libgl1'; do
    grep -Eq "(^|, )($library)" <<<"$depends" || fail "the .deb does not depend on $library: $depends"
done
dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/bin/quenlade-capture" --help | grep -q -- '--turn' ||
    fail "the packaged quenlade-capture does not run"
echo "package: $(basename "$deb") passes lintian; Depends: $depends"
