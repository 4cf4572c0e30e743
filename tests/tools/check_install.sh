#!/usr/bin/env bash
# Installs into a scratch prefix and checks the binary, the menu entry, its
# icon, the colour files' type, the software centre's entry and the manual
# page land where desktops and man look for them, and that the entry opens
# that type. Where update-mime-database is installed, the type must build
# into a MIME database.
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
icons=share/icons/hicolor
for f in bin/Tintra share/applications/tintra.desktop $icons/scalable/apps/tintra.svg \
  $icons/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/tintra.png \
  share/metainfo/tintra.metainfo.xml share/man/man1/tintra.1.gz share/mime/packages/tintra.xml; do
  [ -e "$prefix/$f" ] || { echo "missing $f"; exit 1; }
done
# Each PNG is of the size its folder names.
for n in 16 32 48 64 128 256; do
  file "$prefix/$icons/${n}x$n/apps/tintra.png" | grep -q "PNG image data, $n x $n," ||
    { echo "$icons/${n}x$n/apps/tintra.png is not a $n x $n PNG"; exit 1; }
done
[ ! -e "$prefix/share/pixmaps" ] || { echo "share/pixmaps installed"; exit 1; }
entry="$prefix/share/applications/tintra.desktop"
# KWin lends its screen copy only to the program the entry names by its full path.
grep -qx "Exec=$prefix/bin/Tintra %f" "$entry" || { grep '^Exec' "$entry"; exit 1; }
! command -v desktop-file-validate >/dev/null || desktop-file-validate "$entry"
grep -q '^Icon=tintra$' "$entry"
grep -q '^MimeType=application/x-tintra-kvc;$' "$entry"
if command -v update-mime-database >/dev/null; then
  XDG_DATA_DIRS="$prefix/share" update-mime-database "$prefix/share/mime" 2>"$prefix/mime.log"
  [ ! -s "$prefix/mime.log" ] || { cat "$prefix/mime.log"; exit 1; }
  grep -q '^50:application/x-tintra-kvc:\*\.kvc$' "$prefix/share/mime/globs2" ||
    { echo "*.kvc is not application/x-tintra-kvc"; exit 1; }
fi
echo "install layout ok"
