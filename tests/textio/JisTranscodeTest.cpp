// The ISO-2022-JP <-> EUC-JP transcoding against iconv's output (tests/data/textio/make.sh and
// tools/make-examples.sh), and malformed input.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "TestFiles.h"
#include "textio/JisTranscode.h"

namespace {

using testfiles::Bytes;
using testfiles::ReadSource;

Bytes IsoToEuc(const Bytes& in) {
    textio::ByteVector out;
    textio::Iso2022JpToEucJp(reinterpret_cast<const unsigned char*>(in.data()), in.size(), out);
    return Bytes(out.begin(), out.end());
}

Bytes EucToIso(const Bytes& in) {
    textio::ByteVector out;
    textio::EucJpToIso2022Jp(reinterpret_cast<const unsigned char*>(in.data()), in.size(), out);
    return Bytes(out.begin(), out.end());
}

Bytes EucToCp(const Bytes& in) {
    textio::ByteVector out;
    textio::EucJpToCp20932(reinterpret_cast<const unsigned char*>(in.data()), in.size(), out);
    return Bytes(out.begin(), out.end());
}

Bytes CpToEuc(const Bytes& in) {
    textio::ByteVector out;
    textio::Cp20932ToEucJp(reinterpret_cast<const unsigned char*>(in.data()), in.size(), out);
    return Bytes(out.begin(), out.end());
}

struct Pair {
    const char* iso;
    const char* euc;
};

// Each ISO-2022-JP file made by iconv goes to the EUC-JP file iconv made from the same text.
const Pair kIconvPairs[] = {
    {"tests/data/favorites/Favorites.iso2022jp.txt", "tests/data/favorites/Favorites.eucjp.txt"},
    {"tests/data/textio/sample.iso2022jp.txt", "tests/data/textio/sample.eucjp.txt"},
    {"tests/data/textio/kana.iso2022jp3.txt", "tests/data/textio/kana.eucjp.txt"},
    {"tests/data/textio/x0212.iso2022jp2.txt", "tests/data/textio/x0212.eucjp.txt"},
};

TEST(JisTranscode, IsoToEucMatchesIconv) {
    for (const Pair& p : kIconvPairs) EXPECT_EQ(IsoToEuc(ReadSource(p.iso)), ReadSource(p.euc)) << p.iso;
}

TEST(JisTranscode, EucToIsoMatchesIconv) {
    // The same bytes as iconv: a set is designated only when needed, and ASCII (line breaks too)
    // is written in ASCII mode, which is where the data ends.
    for (const Pair& p : kIconvPairs) EXPECT_EQ(EucToIso(ReadSource(p.euc)), ReadSource(p.iso)) << p.euc;
}

TEST(JisTranscode, OtherDesignations) {
    // ESC $ @ (JIS C 6226) and ESC $ ( B are JIS X 0208 too; ESC ( J is taken as ASCII.
    EXPECT_EQ(IsoToEuc("\x1b$@$\"\x1b(J\\"), "\xa4\xa2\\");
    EXPECT_EQ(IsoToEuc("\x1b$(B$\"\x1b(B"), "\xa4\xa2");
    EXPECT_EQ(IsoToEuc("\x1b$(@$\""), "\xa4\xa2");
}

TEST(JisTranscode, MalformedIso) {
    const struct {
        Bytes in, out;
    } rows[] = {
        {"", ""},
        {"\x1b", "\x1b"},                        // a lone ESC passes through
        {"\x1b$", "\x1b$"},                      // so does a cut designation
        {"\x1b$(", "\x1b$("},
        {"\x1b$(X", "\x1b$(X"},                  // unknown set
        {"\x1b$B$", "?"},                        // half a character at the end
        {"\x1b$B$\n", "?\n"},                    // a line break inside a character
        {"\x1b$B\r\n$\"", "\r\n\xa4\xa2"},       // control bytes pass through in two-byte mode
        {"\x1b(I\x60\x21", "?\x8e\xa1"},         // not a katakana byte
        {"a\x80\xff", "a??"},                     // eight-bit bytes
        {"\x1b$B\x7f$\"", "\x7f\xa4\xa2"},
        {Bytes("\x1b$B\0$", 5), Bytes("\0?", 2)},
    };
    for (const auto& r : rows) EXPECT_EQ(IsoToEuc(r.in), r.out) << r.in;
}

TEST(JisTranscode, MalformedEuc) {
    EXPECT_EQ(EucToIso("\xa4"), "?");
    EXPECT_EQ(EucToIso("\xa4\xa2\xa4"), "\x1b$B$\"\x1b(B?");
    EXPECT_EQ(EucToIso("\x8e\xe0"), "??");
    EXPECT_EQ(EucToIso("\x8f\xa1"), "??");
    EXPECT_EQ(EucToIso("\x80\xff"), "??");
    EXPECT_EQ(EucToIso("\xa4\xa2\n"), "\x1b$B$\"\x1b(B\n");
}

TEST(JisTranscode, Cp20932Form) {
    // JIS X 0212 as Windows' code page 20932 holds it, and as EUC-JP does.
    EXPECT_EQ(EucToCp("\x8f\xb0\xa1 \xa4\xa2\x8e\xb1"), "\xb0\x21 \xa4\xa2\x8e\xb1");
    EXPECT_EQ(CpToEuc("\xb0\x21 \xa4\xa2\x8e\xb1"), "\x8f\xb0\xa1 \xa4\xa2\x8e\xb1");
    EXPECT_EQ(CpToEuc(EucToCp(ReadSource("tests/data/textio/x0212.eucjp.txt"))),
              ReadSource("tests/data/textio/x0212.eucjp.txt"));
    EXPECT_EQ(EucToCp("\x8f\xb0"), "\x8f\xb0");  // cut short: copied
    EXPECT_EQ(CpToEuc("\xb0"), "\xb0");
}

TEST(JisTranscode, RandomBytesRoundTrip) {
    // Whatever the input (but ESC, which EUC-JP text cannot carry into ISO-2022-JP unchanged),
    // EUC -> ISO output goes to EUC and back to the same ISO bytes.
    std::mt19937 rng(5);
    for (int i = 0; i < 20000; ++i) {
        Bytes in(rng() % 40, '\0');
        for (char& c : in) c = static_cast<char>(rng() % 4 == 0 ? 0x1b + rng() % 16 : rng());
        IsoToEuc(in);
        for (char& c : in)
            if (c == '\x1b') c = '\x1a';
        const Bytes iso = EucToIso(in);
        ASSERT_EQ(EucToIso(IsoToEuc(iso)), iso);
        CpToEuc(EucToCp(in));
    }
}

}  // namespace
