#!/usr/bin/env bash
# Installs into a scratch prefix and checks the binary, the menu entry, its
# icon, the software centre's entry and the manual page land where desktops
# and man look for them.
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
icons=share/icons/hicolor
for f in bin/Tintra share/applications/tintra.desktop $icons/scalable/apps/tintra.svg \
  $icons/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/tintra.png \
  share/metainfo/tintra.metainfo.xml share/man/man1/tintra.1.gz; do
  [ -e "$prefix/$f" ] || { echo "missing $f"; exit 1; }
done
# Each PNG is of the size its folder names.
for n in 16 32 48 64 128 256; do
  file "$prefix/$icons/${n}x$n/apps/tintra.png" | grep -q "PNG image data, $n x $n," ||
    { echo "$icons/${n}x$n/apps/tintra.png is not a $n x $n PNG"; exit 1; }
done
[ ! -e "$prefix/share/pixmaps" ] || { echo "share/pixmaps installed"; exit 1; }
grep -q '^Exec=Tintra$' "$prefix/share/applications/tintra.desktop"
grep -q '^Icon=tintra$' "$prefix/share/applications/tintra.desktop"
echo "install layout ok"
