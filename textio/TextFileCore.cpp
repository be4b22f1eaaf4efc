#include "TextFileCore.h"

#include <cstring>

#include "JisTranscode.h"
#include "TextFile.h"

void SwapBytePairs(unsigned char* bytes, int32_t count) {
    if (!bytes || count <= 0) return;
    for (int32_t i = 0; i < count; i += 2) {
        const unsigned char t = bytes[i];
        bytes[i] = bytes[i + 1];
        bytes[i + 1] = t;
    }
}

namespace textio {
namespace {

// Little-endian 16-bit units from bytes, up to the first zero unit.
void UnitsFromLittleEndian(const unsigned char* bytes, size_t units, Text& out) {
    size_t n = 0;
    while (n < units && (bytes[2 * n] | bytes[2 * n + 1]) != 0) ++n;
    Text t(n, TextUnit());
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (n) std::memcpy(&t[0], bytes, 2 * n);
#else
    for (size_t i = 0; i < n; ++i) t[i] = static_cast<TextUnit>(bytes[2 * i] | bytes[2 * i + 1] << 8);
#endif
    out.swap(t);
}

void CutAtZero(Text& t) {
    const size_t z = t.find(TextUnit());
    if (z != Text::npos) t.resize(z);
}

}  // namespace

bool DecodeTextImage(unsigned char* image, size_t size, CodePageConverter& conv, Text& text, TextEncoding* encoding) {
    if (size > static_cast<size_t>(kMaxTextFileSize)) return false;
    image[size] = 0;
    image[size + 1] = 0;
    TextEncoding code = DetectEncoding(image, static_cast<int32_t>(size));
    if (encoding) *encoding = code;
    if (code == ENC_BINARY) return false;
    const uint32_t cp = EncodingToCodePage(code);
    size_t skip = 0;
    if (code == ENC_UTF16LE || code == ENC_UTF16BE) {
        if (size >= 2 && image[0] == 0xFE && image[1] == 0xFF) {
            // Only the whole units after the mark: a lone last byte is dropped.
            SwapBytePairs(image + 2, static_cast<int32_t>((size - 2) & ~static_cast<size_t>(1)));
            code = ENC_UTF16BE;
            skip = 2;
        } else if (size >= 2 && image[0] == 0xFF && image[1] == 0xFE) {
            code = ENC_UTF16LE;
            skip = 2;
        } else {
            code = ENC_UTF16LE;  // FE FE or FF FF: the first unit of the text
        }
    } else if (code == ENC_UTF8 || code == ENC_UTF8_BOM) {
        if (size >= 3 && image[0] == 0xEF && image[1] == 0xBB && image[2] == 0xBF) {
            code = ENC_UTF8_BOM;
            skip = 3;
        } else {
            code = ENC_UTF8;
        }
    }
    size -= skip;
    if (encoding) *encoding = code;

    Text result;
    const unsigned char* data = image + skip;
    if (code == ENC_UTF16LE || code == ENC_UTF16BE) {
        UnitsFromLittleEndian(data, size / 2, result);
    } else if (size > 0) {
        bool ok = false;
        if (cp == 50220) {
            ok = conv.ToText(50220, data, size, result);
            if (!ok) {
                ByteVector euc;
                Iso2022JpToEucJp(data, size, euc);
                ok = conv.ToText(20932, euc.data(), euc.size(), result);
            }
        } else {
            ok = conv.ToText(cp, data, size, result);
        }
        if (!ok) result.clear();  // a conversion that yields nothing gives an empty text
        // Without a mark the detector has seen no zero byte, and the ANSI, Shift_JIS, EUC-JP and
        // UTF-8 conversions make U+0000 only of one: the search is left out for those (a pass over
        // the whole text). UTF-7 makes it of "+AAA-"; a UTF-8 mark lets zero bytes through.
        if (code != ENC_ANSI && code != ENC_SHIFT_JIS && code != ENC_EUC_JP && code != ENC_UTF8) CutAtZero(result);
    }
    text.swap(result);
    return true;
}

bool EncodeTextImage(const Text& text, TextEncoding encoding, CodePageConverter& conv, std::vector<unsigned char>& image) {
    size_t len = text.find(TextUnit());
    if (len == Text::npos) len = text.size();
    std::vector<unsigned char> out;
    if (encoding == ENC_UTF16LE || encoding == ENC_UTF16BE) {
        out.resize(2 * len + 2);
        out[0] = 0xFF;
        out[1] = 0xFE;
        for (size_t i = 0; i < len; ++i) {
            const auto u = static_cast<uint16_t>(text[i]);
            out[2 + 2 * i] = static_cast<unsigned char>(u & 0xFF);
            out[3 + 2 * i] = static_cast<unsigned char>(u >> 8);
        }
        if (encoding == ENC_UTF16BE) {
            // The whole image, mark included: FE FF and big-endian units.
            for (size_t i = 0; i + 1 < out.size(); i += 2) {
                const unsigned char t = out[i];
                out[i] = out[i + 1];
                out[i + 1] = t;
            }
        }
    } else if (len > 0) {
        const uint32_t cp = EncodingToCodePage(encoding);
        bool ok;
        if (cp == 50220) {
            ok = conv.FromText(50220, text.data(), len, out);
            if (!ok) {
                ByteVector euc;
                ok = conv.FromText(20932, text.data(), len, euc);
                out.clear();
                if (ok) EucJpToIso2022Jp(euc.data(), euc.size(), out);
            }
        } else {
            ok = conv.FromText(cp, text.data(), len, out);
        }
        if (!ok || out.empty()) return false;  // a text that yields no bytes is not written
    }
    image.swap(out);
    return true;
}

}  // namespace textio
