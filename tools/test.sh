#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the x86, x64 and native trees (and the
# benchmarks, which are built but not run), then runs all tests in one CTest run under Xvfb,
# with one wineserver kept for the whole run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${SHELFMAP_BUILD:-$root/build}
export SHELFMAP_BUILD=$out
"$root/tools/install-deps.sh"
"$root/tools/build-all.sh" x86 x64 native bench

# One CTest run over the three trees, so the run ends with one summary.
mkdir -p "$out/all"
cat > "$out/all/CTestTestfile.cmake" <<CT
subdirs("$out/x64")
subdirs("$out/native")
CT

export WINEPREFIX=$out/x64/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
[ -x "$wineserver" ] || wineserver=/usr/lib/wine/wineserver64
mkdir -p "$WINEPREFIX"
run_tests() {
  [ -f "$WINEPREFIX/system.reg" ] || "$wine64" wineboot -i >/dev/null 2>&1 || true
  "$wineserver" -p
  set +e
  ctest --test-dir "$out/all" --output-on-failure -j "${SHELFMAP_JOBS:-$(nproc)}" "$@"
  rc=$?
  "$wineserver" -k 2>/dev/null
  return $rc
}
export -f run_tests
export out wine64 wineserver
if [ -n "${DISPLAY:-}" ]; then
  run_tests "$@"
else
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c 'run_tests "$@"' _ "$@"
fi
