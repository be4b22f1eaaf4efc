#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the x86, x64 and native trees (and the
# benchmarks, which are built but not run), then runs all tests in one CTest run under Xvfb,
# with one wineserver kept for the whole run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${SHELFMAP_BUILD:-$root/build}
export SHELFMAP_BUILD=$out
"$root/tools/install-deps.sh"

# Run under an X display: Wine's windows need one. Without one, this script starts itself again
# under Xvfb.
if [ -z "${DISPLAY:-}" ] && [ -z "${SHELFMAP_UNDER_XVFB:-}" ]; then
  export SHELFMAP_UNDER_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

"$root/tools/build-all.sh" x86 x64 native bench

# One CTest run over the three trees, so the run ends with one summary.
mkdir -p "$out/all"
cat > "$out/all/CTestTestfile.cmake" <<CT
subdirs("$out/x64")
subdirs("$out/native")
CT

export WINEPREFIX=$out/x64/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=/usr/lib/wine/wineserver64
command -v wineserver >/dev/null && wineserver=$(command -v wineserver)
mkdir -p "$WINEPREFIX"
# Make the prefix first, with a wineserver of its own that saves the registry when it ends; then
# one wineserver for the whole run, instead of one per test program (it answers 2 when one is
# running already, which is as good). Its helper processes (services, devices) are started here,
# away from CTest's output pipes: started by a test program, they would inherit that test's pipe
# and keep CTest waiting for it to close.
if [ ! -f "$WINEPREFIX/.shelfmap-ready" ]; then
  "$wine64" wineboot -i </dev/null >/dev/null 2>&1 || true
  "$wineserver" -w || true
  touch "$WINEPREFIX/.shelfmap-ready"
fi
"$wineserver" -p || true
"$wine64" wineboot </dev/null >/dev/null 2>&1 || true
set +e
ctest --test-dir "$out/all" --output-on-failure -j "${SHELFMAP_JOBS:-$(nproc)}" "$@"
rc=$?
"$wineserver" -k 2>/dev/null
exit $rc
