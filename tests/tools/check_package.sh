#!/usr/bin/env bash
# check_package.sh BUILD_FOLDER: cpack's Debian package holds the program,
# lintian finds no error, and it installs, starts and leaves nothing once
# removed (skipped, 77, without root or password-less sudo).
source "$(dirname "$0")/../e2e/lib.sh"
build=$(readlink -f "$1")
out="$TMP/packages"
installed_here=""
as_root=()

remove_package() {
  [ -z "$installed_here" ] || "${as_root[@]}" dpkg -r tintra >/dev/null 2>&1 || true
  installed_here=""
}
trap 'remove_package; cleanup' EXIT

(cd "$build" && cpack -G DEB -B "$out" >"$TMP/cpack.log" 2>&1) ||
  { cat "$TMP/cpack.log"; fail "cpack failed"; }
debs=("$out"/tintra_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "no single tintra_*.deb: ${debs[*]}"
deb=${debs[0]}
ddeb=$(echo "$out"/tintra-dbgsym_*.ddeb)
[ -f "$ddeb" ] || fail "no debug package"
version=$(dpkg-deb -f "$deb" Version)

# The install tree (install_layout checks it) under /usr, and Debian's documents.
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's#^\./#/#' >"$TMP/contents"
for f in /usr/bin/Tintra /usr/share/applications/tintra.desktop /usr/share/doc/tintra/copyright; do
  grep -qx "$f" "$TMP/contents" || fail "the package lacks $f"
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || fail "no Qt in Depends: $depends"
[ "$(dpkg-deb -f "$deb" Recommends)" = qt6-wayland ] || fail "qt6-wayland is not recommended"
grep -q '/usr/lib/debug/\.build-id/.*\.debug$' <<<"$(dpkg-deb -c "$ddeb")" ||
  fail "no debug data in $ddeb" # (lintian finds an unstripped binary)

lintian --fail-on error "$deb" "$ddeb" >"$TMP/lintian" 2>&1 ||
  { cat "$TMP/lintian"; fail "lintian reports errors"; }
grep -v '^running with root' "$TMP/lintian" || true

[ "$(id -u)" = 0 ] || { sudo -n true 2>/dev/null && as_root=(sudo -n); } ||
  { echo "SKIP: installing the package needs root or sudo without a password"; exit 77; }
[ "$(dpkg-query -W -f='${db:Status-Status}' tintra 2>/dev/null)" != installed ] ||
  { echo "SKIP: a tintra package is installed on this machine already; left as it is"; exit 77; }

installed_here=1
"${as_root[@]}" dpkg -i "$deb" >"$TMP/dpkg.log" 2>&1 || { cat "$TMP/dpkg.log"; fail "dpkg -i failed"; }
dpkg-query -L tintra | grep -v '^/usr$' >"$TMP/files"

# The menu entry's command is the installed program; it starts, and answers --version with the package's version.
[ "$(command -v "$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' /usr/share/applications/tintra.desktop)")" = /usr/bin/Tintra ] ||
  fail "the menu entry does not start /usr/bin/Tintra"
env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 /usr/bin/Tintra --version >"$TMP/version" 2>&1 &&
  grep -q "^Tintra $version\$" "$TMP/version" || fail "--version: $(cat "$TMP/version")"

"${as_root[@]}" dpkg -r tintra >"$TMP/dpkg.log" 2>&1 || { cat "$TMP/dpkg.log"; fail "dpkg -r failed"; }
installed_here=""
# Nothing of it is left: no file, and no folder of its own.
left=$(while read -r p; do [ ! -e "$p" ] || dpkg-query -S "$p" >/dev/null 2>&1 || echo "$p"; done <"$TMP/files")
[ -z "$left" ] || fail "left after dpkg -r: $left"
echo "package $version: contents, lintian, install, start and removal ok"
pass
