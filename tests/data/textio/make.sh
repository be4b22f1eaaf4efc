#!/usr/bin/env bash
# Remakes the textio test files from their UTF-8 originals with iconv (in tools/make-examples.sh
# style). The originals (*.utf8.txt) are written by hand; every other file here is iconv's output.
set -euo pipefail
cd "$(dirname "$0")"
# Japanese prose in JIS X 0208 with ASCII, CRLF line breaks.
iconv -f UTF-8 -t SHIFT_JIS sample.utf8.txt > sample.sjis.txt
iconv -f UTF-8 -t EUC-JP sample.utf8.txt > sample.eucjp.txt
iconv -f UTF-8 -t ISO-2022-JP sample.utf8.txt > sample.iso2022jp.txt
iconv -f UTF-8 -t UTF-7 sample.utf8.txt > sample.utf7.txt
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE sample.utf8.txt; } > sample.utf16le.txt
{ printf '\xfe\xff'; iconv -f UTF-8 -t UTF-16BE sample.utf8.txt; } > sample.utf16be.txt
# JIS X 0201 katakana: EUC-JP 8E xx, ISO-2022-JP-3's ESC ( I.
iconv -f UTF-8 -t EUC-JP kana.utf8.txt > kana.eucjp.txt
iconv -f UTF-8 -t ISO-2022-JP-3 kana.utf8.txt > kana.iso2022jp3.txt
# JIS X 0212: EUC-JP 8F xx yy, ISO-2022-JP-2's ESC $ ( D.
iconv -f UTF-8 -t EUC-JP x0212.utf8.txt > x0212.eucjp.txt
iconv -f UTF-8 -t ISO-2022-JP-2 x0212.utf8.txt > x0212.iso2022jp2.txt
