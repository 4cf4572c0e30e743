#!/usr/bin/env bash
# Installs into a scratch prefix and checks the binary, the menu entry and
# its icon land where desktops look for them.
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
for f in bin/Tintra share/applications/tintra.desktop share/pixmaps/tintra.xpm; do
  [ -e "$prefix/$f" ] || { echo "missing $f"; exit 1; }
done
grep -q '^Exec=Tintra$' "$prefix/share/applications/tintra.desktop"
grep -q '^Icon=tintra$' "$prefix/share/applications/tintra.desktop"
echo "install layout ok"
