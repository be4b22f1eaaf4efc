#pragma once
// Text: a UTF-16 string with value semantics. On Windows wchar_t is the 16-bit unit the system
// calls take; the platform-free code also builds natively, where char16_t plays that part.
#include <string>

#ifdef _WIN32
using TextUnit = wchar_t;
#define TXT(s) L##s
#else
using TextUnit = char16_t;
#define TXT(s) u##s
#endif

using Text = std::basic_string<TextUnit>;
static_assert(sizeof(TextUnit) == 2, "Text holds UTF-16 code units");
