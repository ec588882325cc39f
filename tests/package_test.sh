#!/usr/bin/env bash
# Checks what a user installs: `cmake --install` and the .deb from cpack hold
# both programs, their manual pages, the licence, the README with every
# picture it links, a valid desktop entry whose program and icon are there,
# and the page; the .deb passes lintian, depends on GLUT, GLU and GL, and its
# capture tool runs.  Usage: tests/package_test.sh BUILD_DIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Without the packaging tools this is a skip, with one line for ctest to
# print after its summary (see tests/CMakeLists.txt), not a failure.
lacking=()
for tool in dpkg-deb:dpkg-dev dpkg-shlibdeps:dpkg-dev lintian:lintian help2man:help2man \
    desktop-file-validate:desktop-file-utils; do
    command -v "${tool%%:*}" >/dev/null || lacking+=("${tool#*:}")
done
# The build makes the page only where emscripten and esbuild were found.
[ -s "$build/packaging/page/index.html" ] || lacking+=(emscripten esbuild hershey-fonts-data)
if [ ${#lacking[@]} -gt 0 ]; then
    needs=$(printf '%s\n' "${lacking[@]}" | sort -u | paste -sd ' ')
    echo "package: skipped, needs $needs"
    [ -z "${QUENLADE_SKIPPED:-}" ] || echo "$needs" >"$QUENLADE_SKIPPED/package"
    exit 77
fi

# What both installations hold, under PREFIX.
check_installed() { # PREFIX WHAT
    local prefix=$1 what=$2 file link entry program icon
    for file in bin/quenlade bin/quenlade-capture share/man/man1/quenlade.1.gz \
        share/man/man1/quenlade-capture.1.gz share/doc/quenlade/copyright \
        share/quenlade/index.html; do
        [ -s "$prefix/$file" ] || fail "$what has no $file"
    done
    for link in $(grep -o '](docs/[^)]*)' "$prefix/share/doc/quenlade/README.md" | tr -d '()]'); do
        [ -s "$prefix/share/doc/quenlade/$link" ] || fail "$what's README links $link, which is not there"
    done
    grep -q '<canvas' "$prefix/share/quenlade/index.html" || fail "$what's share/quenlade/index.html is no page"
    grep -q 'share/quenlade/index.html' "$prefix/share/doc/quenlade/README.md" ||
        fail "$what's README does not say where the page is"
    entry=$prefix/share/applications/quenlade.desktop
    desktop-file-validate "$entry" || fail "$what's desktop entry is not valid"
    program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -x "$prefix/bin/$program" ] || fail "$what's desktop entry starts '$program', which is not installed"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    compgen -G "$prefix/share/icons/hicolor/*/apps/$icon.[ps][nv]g" >/dev/null ||
        fail "$what's desktop entry names the icon '$icon', which is not installed"
}

cmake --install "$build" --prefix "$work/prefix" >/dev/null
check_installed "$work/prefix" "cmake --install"

(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(find "$work/deb" -maxdepth 1 -name 'quenlade_*.deb')
[ -n "$deb" ] || fail "cpack made no .deb"
lintian --fail-on error,warning "$deb" || fail "lintian finds errors or warnings in the .deb"

depends=$(dpkg-deb -f "$deb" Depends)
for library in 'libglut' 'libglu1' 'libopengl0|libgl1'; do
    grep -Eq "(^|, )($library)" <<<"$depends" || fail "the .deb does not depend on $library: $depends"
done
dpkg-deb -x "$deb" "$work/root"
check_installed "$work/root/usr" "the .deb"
# Into a file: grep -q stops reading at the first match, and the help, more
# than a pipe's 4 KiB, would then end with SIGPIPE, which pipefail counts.
if ! "$work/root/usr/bin/quenlade-capture" --help >"$work/help" || ! grep -q -- '--turn' "$work/help"; then
    fail "the packaged quenlade-capture does not run"
fi
echo "package: $(basename "$deb") passes lintian; Depends: $depends"
