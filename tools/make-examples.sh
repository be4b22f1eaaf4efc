#!/usr/bin/env bash
# Remakes the example favourites in tests/data/favorites from the UTF-8 original, with iconv.
set -euo pipefail
cd "$(dirname "$0")/../tests/data/favorites"
src=Favorites.utf8.txt
iconv -f UTF-8 -t SHIFT_JIS "$src" > Favorites.sjis.txt
iconv -f UTF-8 -t EUC-JP "$src" > Favorites.eucjp.txt
iconv -f UTF-8 -t ISO-2022-JP "$src" > Favorites.iso2022jp.txt
iconv -f UTF-8 -t UTF-7 "$src" > Favorites.utf7.txt
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$src"; } > Favorites.utf16le.txt
{ printf '\xfe\xff'; iconv -f UTF-8 -t UTF-16BE "$src"; } > Favorites.utf16be.txt
{ printf '\xef\xbb\xbf'; cat "$src"; } > Favorites.utf8bom.txt
