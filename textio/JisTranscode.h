#pragma once
// Byte-level transcoding between ISO-2022-JP and EUC-JP, platform-free, for the codec's own
// ISO-2022-JP conversion (Wine has no code page 50220, and the native build has no code pages):
// ISO-2022-JP goes to text through EUC-JP and back.
//
// EUC-JP here is the usual form (iconv's "EUC-JP"): JIS X 0208 as two bytes A1-FE A1-FE, JIS X
// 0201 katakana as 8E A1-DF, JIS X 0212 as 8F A1-FE A1-FE. Windows' code page 20932 takes JIS X
// 0212 as two bytes instead, A1-FE 21-7E; the last two functions convert between the two forms.
//
// All functions accept any bytes: malformed input never reads out of bounds and gives "?" for
// what cannot be carried over. Output is appended to out.
#include <cstddef>
#include <vector>

namespace textio {

using ByteVector = std::vector<unsigned char>;

// ISO-2022-JP to EUC-JP. Designations: ESC ( B ASCII, ESC ( J JIS X 0201 Roman (taken as ASCII,
// as Windows does, so that backslashes stay backslashes), ESC ( I JIS X 0201 katakana, ESC $ @
// and ESC $ B JIS X 0208, ESC $ ( @ and ESC $ ( B likewise, ESC $ ( D JIS X 0212. The data starts
// in ASCII. Control bytes (below 0x21, and 0x7F) pass through in every mode; another ESC passes
// through as a byte; bytes above 0x7F, a katakana byte above 0x5F and a half two-byte character
// become "?".
void Iso2022JpToEucJp(const unsigned char* in, size_t n, ByteVector& out);

// EUC-JP to ISO-2022-JP, switching sets only where needed: ASCII bytes (line breaks among them) are
// always written in ASCII mode, so every line ends in ASCII, and so does the data. JIS X 0208 uses
// ESC $ B, katakana ESC ( I, JIS X 0212 ESC $ ( D. A malformed byte becomes "?".
void EucJpToIso2022Jp(const unsigned char* in, size_t n, ByteVector& out);

// EUC-JP's JIS X 0212 form 8F b1 b2 to code page 20932's b1 (b2 - 0x80); all else is copied.
void EucJpToCp20932(const unsigned char* in, size_t n, ByteVector& out);

// Code page 20932's JIS X 0212 form b1 b2 (b1 A1-FE, b2 21-7E) to 8F b1 (b2 + 0x80); all else is
// copied.
void Cp20932ToEucJp(const unsigned char* in, size_t n, ByteVector& out);

}  // namespace textio
