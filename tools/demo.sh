#!/usr/bin/env bash
# Builds Shelfmap for both editors into dist/ and shows it at work: how it reads the example
# favourites in every encoding, the outline it would show, and (with the stand-in editor) the panel.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${SHELFMAP_BUILD:-$root/build}
export SHELFMAP_BUILD=$out
"$root/tools/install-deps.sh"
"$root/tools/build-all.sh" x86 x64 >/dev/null

dist=$root/dist
rm -rf "$dist"
mkdir -p "$dist/x86" "$dist/x64"
cp "$out/x86/plugin/Shelfmap.dll" "$dist/x86/"
cp "$out/x64/plugin/Shelfmap.dll" "$dist/x64/"
cp "$out/x86/tools/check/shelfmap-check.exe" "$dist/x86/"
cp "$out/x64/tools/check/shelfmap-check.exe" "$dist/x64/"
cp "$out/x86/tools/host/tarn-host.exe" "$dist/x86/"
cp "$out/x64/tools/host/tarn-host.exe" "$dist/x64/"
cp "$root/tests/data/favorites/Favorites.utf8.txt" "$dist/Favorites.txt"
cat > "$dist/INSTALL.txt" <<'TXT'
Shelfmap for the editor Tarn

1. Copy Shelfmap.dll (x86 for the 32-bit editor, x64 for the 64-bit one) into the editor's
   plug-in folder and enable it in the editor.
2. Find the folder that holds the editor's settings file Tarn.ini: beside Tarn.exe if a Tarn.ini is
   there, otherwise %APPDATA%\Tarn\. Create the folder Plugins\Shelfmap\ there.
3. Put your Favorites.txt in Plugins\Shelfmap\: one path per line, a tab more for each level of
   nesting, a line with just "-" as a separator. Any Japanese encoding is fine.
   The plug-in's own settings file is Plugins\Shelfmap\Shelfmap.ini (optional, only read).
4. In the editor, choose "Shelfmap" from the plug-in menu: the panel opens beside the document.
   Double-click a file to open it. Choose the command again to close the panel.

shelfmap-check.exe FILE... tells which encoding Shelfmap reads a file in;
shelfmap-check.exe --outline Favorites.txt prints the tree the panel will show;
shelfmap-check.exe --ini Shelfmap.ini prints the settings as the plug-in keeps them.
tarn-host.exe is a stand-in for the editor, to try the plug-in without it: put it beside
Shelfmap.dll, Favorites.txt into Plugins\Shelfmap\ beside it, start it and choose Plugins > Shelfmap.
TXT

echo "== dist/"
(cd "$dist" && find . -type f | sort | sed 's/^\.\///')
for arch in x86 x64; do
  echo "   $arch/Shelfmap.dll: $(file -b "$dist/$arch/Shelfmap.dll" 2>/dev/null || echo PE)"
done

echo
echo "== How Shelfmap reads the example favourites (code, encoding, file)"
check=$out/native/tools/check/shelfmap-check
if [ ! -x "$check" ]; then
  "$root/tools/build-all.sh" native >/dev/null
fi
(cd "$root/tests/data/favorites" && "$check" Favorites.*.txt)

if "$check" --help 2>&1 | grep -- --outline >/dev/null; then
  echo
  echo "== The tree the panel shows for dist/Favorites.txt (index, parent, depth, label, path)"
  "$check" --outline "$dist/Favorites.txt"
fi

if [ -x "$root/tools/show-panel.sh" ]; then
  echo
  "$root/tools/show-panel.sh" "$@"
fi
