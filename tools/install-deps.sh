#!/usr/bin/env bash
# Installs, from Debian's packages, whatever this machine lacks to build and test Shelfmap.
set -euo pipefail
need=(cmake make g++ clang libclang-rt-14-dev
      g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
      wine wine64 xvfb xauth x11-apps imagemagick file fonts-ipafont-gothic
      googletest libbenchmark-dev libuchardet-dev libicu-dev libinih-dev)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# The 32-bit Wine loader would take over the 'wine' wrapper; everything here runs on wine64.
if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q "ok installed"; then
  echo "note: wine32 is installed; Shelfmap's tests use the wine64 loader directly" >&2
fi
