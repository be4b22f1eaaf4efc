#!/usr/bin/env bash
# Shows the plug-in doing its job: the stand-in editor (tarn-host) loads the x64 Shelfmap.dll under
# Wine with the example favourites, opens the panel, prints the tree the panel holds and saves a
# picture of the window as dist/shelfmap-panel.png. With --interactive and a display, the
# stand-in editor stays open instead, for a person to click (Plugins > Shelfmap).
# Expects the trees built by tools/build-all.sh (tools/demo.sh does that first).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${SHELFMAP_BUILD:-$root/build}
interactive=0
[ "${1:-}" = "--interactive" ] && interactive=1

if [ -z "${DISPLAY:-}" ]; then
  if [ $interactive -eq 1 ]; then
    echo "--interactive needs a display; showing the picture instead" >&2
    interactive=0
  fi
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0"
fi

demo=$out/demo
rm -rf "$demo/editor"
mkdir -p "$demo/editor/Plugins/Shelfmap"
cp "$out/x64/tools/host/tarn-host.exe" "$out/x64/plugin/Shelfmap.dll" "$demo/editor/"
cp "$root/tests/data/favorites/Favorites.utf8.txt" "$demo/editor/Plugins/Shelfmap/Favorites.txt"

export WINEPREFIX=$demo/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=/usr/lib/wine/wineserver64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "(first run: preparing a Wine prefix for the demo)"
  "$wine64" wineboot -i </dev/null >/dev/null 2>&1 || true
  # The panel's font, MS UI Gothic, is not there under Wine: a Japanese font stands in.
  for face in "MS UI Gothic" "MS Shell Dlg"; do
    "$wine64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
      /v "$face" /d IPAGothic /f </dev/null >/dev/null 2>&1 || true
  done
fi
cleanup() { "$wineserver" -k 2>/dev/null || true; }
trap cleanup EXIT

cd "$demo/editor"
if [ $interactive -eq 1 ]; then
  echo "The stand-in editor is open: choose Plugins > Shelfmap, double-click a file; close it to end."
  "$wine64" tarn-host.exe --log host.log
  grep '^HM_OPEN_FILE' host.log || true
  exit 0
fi

rm -f host.log
"$wine64" tarn-host.exe --log host.log \
  --script "open-frame; resize 0 800 500; toggle 0; pump 300; dump-tree 0; pump 4000" &
host=$!
for _ in $(seq 1 150); do
  grep -q '^TreeDump' host.log 2>/dev/null && break
  sleep 0.2
done
sleep 1
picture=$root/dist/shelfmap-panel.png
mkdir -p "$root/dist"
xwd -root -silent | convert xwd:- -trim +repage "$picture"
wait $host || true

echo "== The panel in the stand-in editor, as the tree-view control holds it"
echo "   (index, parent, depth, label, path; the same format as shelfmap-check --outline)"
sed -n 's/^TreeItem .* text=//p' host.log
grep -q '^TreeDump .*items=' host.log || { echo "the panel did not open; see $demo/editor/host.log" >&2; exit 1; }
echo
echo "== A picture of it: dist/shelfmap-panel.png"
