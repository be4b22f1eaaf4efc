#pragma once
// The platform-free part of ReadTextFile and WriteTextFile: what to make of a file's
// bytes once they are in memory (byte order marks, UTF-16, the conversion, the ISO-2022-JP
// fallback), and the bytes to write for a text. TextFile.cpp (Windows) and TextFilePosix.cpp
// (native) do the file work around it and supply the code page conversions.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "DetectEncoding.h"
#include "Text.h"

namespace textio {

// Files from this size on are refused before anything is allocated or read: the detector takes a
// signed 32-bit length, and the read image is size + 2 bytes.
constexpr int64_t kMaxTextFileSize = INT32_MAX - 2;

// Conversions by Windows code page: 0 (ANSI), 932, 20932, 50220, 65000, 65001. 20932 here is
// usual EUC-JP (JIS X 0212 as 8F b1 b2).
class CodePageConverter {
public:
    virtual ~CodePageConverter() = default;
    // Replaces text with bytes[0, count) converted. False when the code page cannot convert them
    // (it is missing, or refuses the bytes); text is then unspecified.
    virtual bool ToText(uint32_t codePage, const unsigned char* bytes, size_t count, Text& text) = 0;
    // Replaces bytes with units[0, count) converted. False when the code page cannot.
    virtual bool FromText(uint32_t codePage, const TextUnit* units, size_t count, std::vector<unsigned char>& bytes) = 0;
};

// Steps 4 to 9 of ReadTextFile. image holds size bytes followed by two more that this may change.
// The detected code goes to *encoding (when not null); false for ENC_BINARY, text untouched.
// Otherwise text is replaced: UTF-16 from the image (a lone last byte after the mark is dropped),
// other codes through conv, and the text ends at its first U+0000. A conversion that fails gives
// an empty text. ISO-2022-JP uses conv's 50220 when it works, else this module's own transcoding
// to EUC-JP and conv's 20932. May throw std::bad_alloc.
bool DecodeTextImage(unsigned char* image, size_t size, CodePageConverter& conv, Text& text, TextEncoding* encoding);

// Steps 1 and 2 of WriteTextFile: the bytes of the new file without the UTF-8 byte order mark
// (Utf8MarkFor says whether one goes first). False when a non-empty text yields no bytes. May throw
// std::bad_alloc.
bool EncodeTextImage(const Text& text, TextEncoding encoding, CodePageConverter& conv, std::vector<unsigned char>& image);
inline bool Utf8MarkFor(TextEncoding encoding) { return encoding == ENC_UTF8_BOM; }

}  // namespace textio
