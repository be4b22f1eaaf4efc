#!/usr/bin/env bash
# Configures and builds the three trees: x86 and x64 Windows (MinGW) and the native clang tree.
# Usage: tools/build-all.sh [x86] [x64] [native] [bench]   (default: x86 x64 native)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${SHELFMAP_BUILD:-$root/build}
jobs=${SHELFMAP_JOBS:-$(nproc)}
what=("$@")
[ ${#what[@]} -gt 0 ] || what=(x86 x64 native)
for w in "${what[@]}"; do
  case "$w" in
    x86|x64)
      tc=$root/cmake/toolchain-mingw-i686.cmake
      [ "$w" = x64 ] && tc=$root/cmake/toolchain-mingw-x86_64.cmake
      cmake -S "$root" -B "$out/$w" -DCMAKE_TOOLCHAIN_FILE="$tc" -DCMAKE_BUILD_TYPE=Release \
            -DSHELFMAP_X86_DIR="$out/x86" -DSHELFMAP_X64_DIR="$out/x64" >/dev/null
      ;;
    native)
      cmake -S "$root" -B "$out/native" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHELFMAP_FUZZ=ON >/dev/null
      ;;
    bench)
      cmake -S "$root" -B "$out/bench" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
            -DCMAKE_BUILD_TYPE=Release -DSHELFMAP_BENCH=ON -DSHELFMAP_TESTS=OFF >/dev/null
      ;;
    *) echo "unknown tree: $w" >&2; exit 2 ;;
  esac
  echo "== building $w"
  cmake --build "$out/$w" -j "$jobs"
done
