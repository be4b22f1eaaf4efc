#pragma once
// Encoding detection: which encoding a text file's bytes are in, decided from the bytes alone.
#include <cstdint>

// A text file's encoding. Plain integers, not a closed set: 0 means "not known yet", and any value
// may reach EncodingToCodePage.
using TextEncoding = int32_t;

enum : TextEncoding {
    ENC_UNKNOWN = 0,
    ENC_BINARY = 1,
    ENC_ANSI = 2,
    ENC_SHIFT_JIS = 3,
    ENC_EUC_JP = 4,
    ENC_ISO_2022_JP = 5,
    ENC_UTF16LE = 6,
    ENC_UTF16BE = 7,
    ENC_UTF8 = 8,
    ENC_UTF8_BOM = 9,
    ENC_UTF7 = 10,
};

// Classifies length bytes (a negative length counts as none). Pure: no state, no allocation.
TextEncoding DetectEncoding(const unsigned char* bytes, int32_t length);

// The Windows code page for a code; everything outside 3..10 maps to 0 (the ANSI code page).
uint32_t EncodingToCodePage(TextEncoding code);

// "ENC_SHIFT_JIS" and so on; "ENC_UNKNOWN" for a value outside 0..10.
const char* EncodingName(TextEncoding code);
