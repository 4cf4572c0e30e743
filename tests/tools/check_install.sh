#!/usr/bin/env bash
# Installed in a scratch prefix, binary, menu entry, icons (PNGs of their
# folder's size), file type, software centre entry and manual page land where
# looked for; the entry opens the type, which builds a MIME database.
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
icons=share/icons/hicolor
for f in bin/Tintra share/applications/tintra.desktop $icons/scalable/apps/tintra.svg \
  share/metainfo/tintra.metainfo.xml share/man/man1/tintra.1.gz share/mime/packages/tintra.xml; do
  [ -e "$prefix/$f" ] || { echo "missing $f"; exit 1; }
done
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
