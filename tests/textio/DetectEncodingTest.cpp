// DetectEncoding and EncodingToCodePage: every listed edge case of the rules, in one table;
// each row also holds the fast version against the literal reference, with every scan kernel that
// this machine can run; then randomised inputs for the same comparison.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "DetectEncodingReference.h"
#include "textio/DetectEncoding.h"
#include "textio/DetectEncodingInternal.h"

namespace {

using Bytes = std::vector<unsigned char>;

const DetectKernel kKernels[] = {DetectKernel::Portable, DetectKernel::Sse2, DetectKernel::Avx2};

const char* KernelName(DetectKernel k) {
    switch (k) {
    case DetectKernel::Portable: return "Portable";
    case DetectKernel::Sse2: return "Sse2";
    case DetectKernel::Avx2: return "Avx2";
    }
    return "?";
}

// "E3 81 82" -> bytes.
Bytes Hex(const char* text) {
    Bytes out;
    for (const char* p = text; *p;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        out.push_back(static_cast<unsigned char>(std::stoul(std::string(p, 2), nullptr, 16)));
        p += 2;
    }
    return out;
}

std::string Show(const Bytes& b) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < b.size() && i < 64; ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", b[i]);
        s += buf;
    }
    if (b.size() > 64) s += "... (" + std::to_string(b.size()) + " bytes)";
    return s;
}

// The fast version, with each kernel, and the reference must agree; returns the common answer.
TextEncoding CheckedDetect(const Bytes& b) {
    const unsigned char* data = b.empty() ? nullptr : b.data();
    const auto n = static_cast<int32_t>(b.size());
    const TextEncoding ref = DetectEncodingReference(data, n);
    EXPECT_EQ(DetectEncoding(data, n), ref) << "default kernel; bytes " << Show(b);
    for (DetectKernel k : kKernels) {
        if (!DetectKernelAvailable(k)) continue;
        EXPECT_EQ(DetectEncodingWith(k, data, n), ref) << KernelName(k) << " kernel; bytes " << Show(b);
    }
    return ref;
}

struct Row {
    const char* hex;
    TextEncoding expected;
    const char* why;
};

// The listed edge cases of the rules, in their order; then the choice for Shift_JIS 0xFD-0xFF.
const Row kEdgeCases[] = {
    {"", ENC_ANSI, "empty data"},
    {"41", ENC_ANSI, "A"},
    {"48 65 6C 6C 6F", ENC_ANSI, "Hello"},
    {"FF FE", ENC_UTF16LE, ""},
    {"FE FF", ENC_UTF16BE, ""},
    {"FE FE", ENC_UTF16LE, ""},
    {"FF FF", ENC_UTF16LE, ""},
    {"FF FE 41 00", ENC_UTF16LE, "zero bytes after a byte order mark are allowed"},
    {"EF BB BF", ENC_UTF8_BOM, ""},
    {"EF BB BF 41 00", ENC_UTF8_BOM, ""},
    {"EF BB", ENC_SHIFT_JIS, "two bytes only"},
    {"00", ENC_BINARY, ""},
    {"41 00", ENC_BINARY, ""},
    {"80", ENC_SHIFT_JIS, "a single byte in Shift_JIS, retiring for the other two"},
    {"81 20", ENC_BINARY, "all three retired at the first byte, nothing counted"},
    {"E3 81 82", ENC_UTF8, ""},
    {"82 A0", ENC_SHIFT_JIS, ""},
    {"A4 A2", ENC_EUC_JP, ""},
    {"A4 A2 A4 A4", ENC_EUC_JP, ""},
    {"B0 B0", ENC_EUC_JP, ""},
    {"A1 A1", ENC_EUC_JP, ""},
    {"E0 A1", ENC_SHIFT_JIS, "Shift_JIS and EUC-JP reach the end with two bytes each"},
    {"8E B1", ENC_SHIFT_JIS, "Shift_JIS and EUC-JP reach the end with two bytes each"},
    {"E0 A1 A1", ENC_UTF8, ""},
    {"C3 A9", ENC_UTF8, ""},
    {"C3 A9 81 20", ENC_UTF8, "all retired at the third byte; UTF-8 wins the tie with EUC-JP"},
    {"A4 A2 A4 A2 81 20", ENC_EUC_JP, ""},
    {"A4 A2 82 A0", ENC_SHIFT_JIS, ""},
    {"82 A0 A4 A2", ENC_SHIFT_JIS, ""},
    {"ED A0 80", ENC_UTF8, "encoded surrogates are accepted"},
    {"F4 8F BF BF", ENC_UTF8, ""},
    {"F4 90 80 80", ENC_SHIFT_JIS, ""},
    {"C0 80", ENC_SHIFT_JIS, ""},
    {"E0 80 80", ENC_SHIFT_JIS, ""},
    {"1B 24 42", ENC_ISO_2022_JP, ""},
    {"1B 24 40", ENC_ISO_2022_JP, ""},
    {"1B 24 28 44", ENC_ISO_2022_JP, ""},
    {"1B 28 42", ENC_ISO_2022_JP, ""},
    {"1B 28 4A", ENC_ISO_2022_JP, ""},
    {"1B 28 49", ENC_ISO_2022_JP, ""},
    {"78 1B 24 42", ENC_ISO_2022_JP, ""},
    {"1B 24", ENC_ANSI, "two bytes only"},
    {"1B 28", ENC_ANSI, ""},
    {"A4 A2 1B 24 42", ENC_EUC_JP, "an escape after a high byte is not looked at"},
    {"2B 41 47 45 2D", ENC_UTF7, "+AGE-"},
    {"2B 41 47 45 2D 78", ENC_UTF7, "+AGE-x"},
    {"2B 41 47 45 41 47 45 2D", ENC_UTF7, "+AGEAGE-"},
    {"2B 41 47 45 2D 2B 41 47 45 2D", ENC_UTF7, "+AGE-+AGE-, returned at the second minus sign"},
    {"61 2B 2D 62", ENC_UTF7, "a+-b"},
    {"78 3D 35 2B 2D 32", ENC_UTF7, "x=5+-2"},
    {"31 2B 31 3D 32", ENC_ANSI, "1+1=2: the equals sign retires UTF-7"},
    {"61 2B 2B", ENC_ANSI, "a++: the data ends inside the run"},
    {"2B 41 47 45", ENC_ANSI, "+AGE"},
    {"2B 41 47 2D", ENC_ANSI, "+AG-: twelve bits"},
    {"2B 41 47 45 2D A4 A2", ENC_EUC_JP, "after a high byte the final decision ignores UTF-7"},
    {"2B 41 47 45 2D 81 20", ENC_UTF7, "all retired at once; the UTF-7 score 5 is the largest"},
    {"1B 5B 30 6D 2B 2D", ENC_UTF7, ""},
    // Left to the implementer: Shift_JIS first bytes 0xFD-0xFF are single-byte characters. With
    // "retire" these would give 4 (EUC-JP survives alone), with "end the decoding" 3 as well.
    {"E0 A1 FD A1", ENC_SHIFT_JIS, "0xFD is a single byte for Shift_JIS, which keeps its count 2"},
    {"E0 A1 FE A1", ENC_SHIFT_JIS, "0xFE likewise"},
    {"E0 A1 FF A1", ENC_SHIFT_JIS, "0xFF likewise"},
    {"FD", ENC_SHIFT_JIS, "Shift_JIS alone survives a lone 0xFD"},
    {"E0 A1 FD", ENC_SHIFT_JIS, "a last 0xFD needs no second byte"},
};

TEST(DetectEncoding, EdgeCasesOfPart31) {
    for (const Row& row : kEdgeCases) {
        const Bytes b = Hex(row.hex);
        EXPECT_EQ(CheckedDetect(b), row.expected) << "bytes " << row.hex << " (" << row.why << ")";
    }
}

TEST(DetectEncoding, Kernels) {
    // Which kernels this machine checks against the reference (the portable one always).
    std::string list;
    for (DetectKernel k : kKernels)
        if (DetectKernelAvailable(k)) list += std::string(KernelName(k)) + " ";
    RecordProperty("kernels", list);
    std::printf("kernels checked here: %s\n", list.c_str());
    EXPECT_TRUE(DetectKernelAvailable(DetectKernel::Portable));
    EXPECT_TRUE(DetectKernelAvailable(DetectDefaultKernel()));
}

TEST(DetectEncoding, NegativeLengthIsEmpty) {
    const unsigned char b[] = {0x00, 0x41};
    EXPECT_EQ(DetectEncoding(b, -1), ENC_ANSI);
    EXPECT_EQ(DetectEncodingReference(b, -1), ENC_ANSI);
    EXPECT_EQ(DetectEncoding(nullptr, 0), ENC_ANSI);
}

TEST(DetectEncoding, ReadsOnlyTheGivenBytes) {
    // Bytes past length must not count: a zero right after the data, a designation cut short.
    const unsigned char b[] = {0x41, 0x1B, 0x24, 0x42, 0x00};
    EXPECT_EQ(DetectEncoding(b, 3), ENC_ANSI);
    EXPECT_EQ(DetectEncoding(b, 4), ENC_ISO_2022_JP);
    const unsigned char c[] = {0xE3, 0x81, 0x82, 0x00};
    EXPECT_EQ(DetectEncoding(c, 2), ENC_SHIFT_JIS);  // E3 81 is a Shift_JIS character, not cut UTF-8
}

TEST(EncodingToCodePage, Table) {
    const struct { TextEncoding code; uint32_t cp; } rows[] = {
        {INT32_MIN, 0}, {-1, 0}, {0, 0}, {1, 0}, {2, 0}, {3, 932}, {4, 20932}, {5, 50220}, {6, 1200},
        {7, 1201}, {8, 65001}, {9, 65001}, {10, 65000}, {11, 0}, {INT32_MAX, 0},
    };
    for (const auto& r : rows) EXPECT_EQ(EncodingToCodePage(r.code), r.cp) << r.code;
}

TEST(EncodingName, Names) {
    EXPECT_STREQ(EncodingName(ENC_BINARY), "ENC_BINARY");
    EXPECT_STREQ(EncodingName(ENC_ANSI), "ENC_ANSI");
    EXPECT_STREQ(EncodingName(ENC_SHIFT_JIS), "ENC_SHIFT_JIS");
    EXPECT_STREQ(EncodingName(ENC_EUC_JP), "ENC_EUC_JP");
    EXPECT_STREQ(EncodingName(ENC_ISO_2022_JP), "ENC_ISO_2022_JP");
    EXPECT_STREQ(EncodingName(ENC_UTF16LE), "ENC_UTF16LE");
    EXPECT_STREQ(EncodingName(ENC_UTF16BE), "ENC_UTF16BE");
    EXPECT_STREQ(EncodingName(ENC_UTF8), "ENC_UTF8");
    EXPECT_STREQ(EncodingName(ENC_UTF8_BOM), "ENC_UTF8_BOM");
    EXPECT_STREQ(EncodingName(ENC_UTF7), "ENC_UTF7");
    EXPECT_STREQ(EncodingName(0), "ENC_UNKNOWN");
    EXPECT_STREQ(EncodingName(11), "ENC_UNKNOWN");
    EXPECT_STREQ(EncodingName(-5), "ENC_UNKNOWN");
}

// --- Randomised comparison with the reference --------------------------------------------------

// Pieces that matter to the rules, strung together at random: plain ASCII of various lengths
// (long ones reach the vector loops), ESC with and without designations, UTF-7 runs of every
// length mod 8, characters of each multi-byte encoding, stray high bytes, rare zeros.
class Generator {
public:
    explicit Generator(uint32_t seed) : m_rng(seed) {}

    Bytes Make(size_t pieces) {
        Bytes out;
        const int mode = Pick(4);  // 0: mixed; 1: seven-bit only; 2: mostly one encoding; 3: noise
        m_encoding = Pick(3);
        for (size_t i = 0; i < pieces; ++i) AddPiece(out, mode);
        if (Pick(20) == 0 && !out.empty()) out.insert(out.begin(), {0xFF, 0xFE});
        return out;
    }

private:
    int Pick(int n) { return static_cast<int>(m_rng() % static_cast<uint32_t>(n)); }
    unsigned char Byte(int lo, int hi) { return static_cast<unsigned char>(lo + Pick(hi - lo + 1)); }

    void Ascii(Bytes& out, size_t n) {
        static const char kText[] = "The quick brown fox, C:\\proj\\plan.txt\r\n\tx=5;y-2 /a/b ";
        for (size_t i = 0; i < n; ++i) out.push_back(static_cast<unsigned char>(kText[Pick(sizeof kText - 1)]));
    }
    void Utf7Run(Bytes& out) {
        static const char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        out.push_back('+');
        const int k = Pick(12);
        for (int i = 0; i < k; ++i) out.push_back(static_cast<unsigned char>(kB64[Pick(64)]));
        const int end = Pick(6);
        if (end < 4) out.push_back('-');
        else if (end == 4) out.push_back('=');
    }
    void Esc(Bytes& out) {
        static const char* const kSeq[] = {"$B", "$@", "$(D", "(B", "(J", "(I", "[0m", "$", "(", "$A", "(X", ""};
        out.push_back(0x1B);
        for (const char* s = kSeq[Pick(12)]; *s; ++s) out.push_back(static_cast<unsigned char>(*s));
    }
    void Utf8Char(Bytes& out) {
        switch (Pick(4)) {
        case 0: out.push_back(Byte(0xC2, 0xDF)); out.push_back(Byte(0x80, 0xBF)); break;
        case 1: out.push_back(0xE3); out.push_back(Byte(0x80, 0x83)); out.push_back(Byte(0x80, 0xBF)); break;
        case 2: out.push_back(Byte(0xE0, 0xEF)); out.push_back(Byte(0x80, 0xBF)); out.push_back(Byte(0x80, 0xBF)); break;
        default:
            out.push_back(Byte(0xF0, 0xF4)); out.push_back(Byte(0x80, 0xBF));
            out.push_back(Byte(0x80, 0xBF)); out.push_back(Byte(0x80, 0xBF));
        }
    }
    void SjisChar(Bytes& out) {
        if (Pick(5) == 0) {
            out.push_back(Byte(0xA1, 0xDF));
            return;
        }
        out.push_back(Pick(3) ? Byte(0x81, 0x9F) : Byte(0xE0, 0xFC));
        out.push_back(Pick(2) ? Byte(0x40, 0x7E) : Byte(0x80, 0xFC));
    }
    void EucChar(Bytes& out) {
        switch (Pick(6)) {
        case 0: out.push_back(0x8E); out.push_back(Byte(0xA1, 0xDF)); break;
        case 1: out.push_back(0x8F); out.push_back(Byte(0xA1, 0xFE)); out.push_back(Byte(0xA1, 0xFE)); break;
        default: out.push_back(Byte(0xA1, 0xFE)); out.push_back(Byte(0xA1, 0xFE));
        }
    }
    void AddPiece(Bytes& out, int mode) {
        if (mode == 3) {
            out.push_back(static_cast<unsigned char>(Pick(64) == 0 ? 0 : Byte(1, 255)));
            return;
        }
        int what = Pick(100);
        if (mode == 1 && what >= 60) what = Pick(60);
        if (mode == 2) what = what < 60 ? Pick(32) : (what < 97 ? 60 + 12 * m_encoding : 96 + Pick(4));
        if (what < 25) Ascii(out, 1 + Pick(4));
        else if (what < 32) Ascii(out, 16 + Pick(300));
        else if (what < 45) Utf7Run(out);
        else if (what < 58) Esc(out);
        else if (what < 60) out.push_back(Pick(2) ? 0x2B : 0x2D);
        else if (what < 72) Utf8Char(out);
        else if (what < 84) SjisChar(out);
        else if (what < 96) EucChar(out);
        else if (what < 99) out.push_back(Byte(0x80, 0xFF));
        else out.push_back(0x00);
    }

    std::mt19937 m_rng;
    int m_encoding = 0;
};

TEST(DetectEncoding, RandomInputsAgreeWithReference) {
    Generator gen(20240601);
    for (int i = 0; i < 60000; ++i) {
        const Bytes b = gen.Make(1 + static_cast<size_t>(i % 40));
        CheckedDetect(b);
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(DetectEncoding, EveryPrefixAgreesWithReference) {
    // Every prefix of some inputs, so every position of a stop meets the end of the data.
    Generator gen(7);
    for (int i = 0; i < 150; ++i) {
        const Bytes b = gen.Make(30);
        for (size_t n = 0; n <= b.size(); ++n) {
            CheckedDetect(Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)));
            if (::testing::Test::HasFailure()) return;
        }
    }
}

TEST(DetectEncoding, LongInputsAgreeWithReference) {
    // Long plain stretches with one special byte at every offset around the vector widths.
    for (unsigned char special : {0x00, 0x1B, 0x2B, 0x80, 0xA4, 0xE3, 0xFF}) {
        for (size_t at = 0; at < 300; ++at) {
            Bytes b(300, 'a');
            b[at] = special;
            if (special == 0x1B && at + 2 < b.size()) {
                b[at + 1] = '$';
                b[at + 2] = 'B';
            }
            if (special == 0x2B && at + 4 < b.size()) {
                b[at + 1] = 'A';
                b[at + 2] = 'G';
                b[at + 3] = 'E';
                b[at + 4] = '-';
            }
            CheckedDetect(b);
            if (::testing::Test::HasFailure()) return;
        }
    }
    // A trailing UTF-7 check: ESC bytes first, then "+" runs whose score goes below zero.
    Bytes lag;
    for (int i = 0; i < 50; ++i) lag.insert(lag.end(), {0x1B, 'x'});
    for (int i = 0; i < 40; ++i) lag.insert(lag.end(), {'+', '-', 'y'});
    CheckedDetect(lag);
    lag.push_back(0xA4);
    lag.push_back(0xA2);
    CheckedDetect(lag);
    // Long Japanese-like data: each candidate runs far before the others retire.
    Generator gen(99);
    for (int i = 0; i < 40; ++i) CheckedDetect(gen.Make(3000));
}

}  // namespace
