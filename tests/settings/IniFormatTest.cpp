// The store's platform-free core: what a load keeps and a save writes, and the rendering of
// numbered entries with swprintf. Built natively and for Windows, where MinGW's ISO swprintf is
// the one that must be in use.
#include <gtest/gtest.h>

#include <string>
#include "IniCases.h"
#include "settings/IniFormat.h"

namespace {

std::string Narrow(const Text& text) {
    std::string out;
    for (TextUnit c : text) {
        if (c == TXT('\r')) out += "\\r";
        else if (c == TXT('\n')) out += "\\n";
        else if (c >= 0x20 && c < 0x7F) out += char(c);
        else out += "\\u" + std::to_string(unsigned(c));
    }
    return out;
}

TEST(IniContent, CasesLoadAndSave) {
    for (const IniCase& c : kIniCases) {
        SCOPED_TRACE(c.name);
        CIniContent content;
        content.ReadText(c.text);
        ASSERT_NE(content.SetValue(c.section, c.key, c.value), nullptr);
        EXPECT_EQ(Narrow(content.WriteText()), Narrow(c.saved));
    }
}

TEST(IniContent, LineBreakOfTheFirstLoadStays) {
    CIniContent content;
    content.ReadText(TXT("a=1"));  // no line break: nothing learnt
    EXPECT_FALSE(content.m_bLineBreakKnown);
    content.ReadText(TXT("b=2\nc=3\r\n"));
    content.ReadText(TXT("d=4\r\n"));  // not emptied first, and the LF stays
    EXPECT_TRUE(content.m_bLineBreakKnown);
    EXPECT_EQ(Narrow(content.WriteText()), "b=2\\nc=3\\nd=4\\n\\n");
}

TEST(IniContent, EntryKeepsItsKindWhenTheTextChanges) {
    CIniContent content;
    CIniValue* value = content.SetValue(TXT("S"), TXT("n"), TXT("t"));
    value->m_nType = INI_INTEGER;
    value->m_nValue = 7;
    EXPECT_EQ(content.SetValue(TXT("s"), TXT("N"), TXT("other")), value);
    EXPECT_EQ(value->m_nType, INI_INTEGER);
    EXPECT_EQ(Narrow(content.WriteText()), "[S]\\r\\nn=7\\r\\n\\r\\n");
}

// The vectors and maps are open to the store's users, who may empty them between calls.
TEST(IniContent, EmptiedByItsUserStaysUsable) {
    CIniContent content;
    content.ReadText(TXT("[S]\r\na=1\r\n[T]\r\nb=2\r\n"));
    content.m_sections.clear();
    content.m_mapSections.clear();
    content.ReadText(TXT("[T]\r\nc=3\r\n[S]\r\nd=4\r\n"));
    content.SetValue(TXT("T"), TXT("e"), TXT("5"));
    EXPECT_EQ(Narrow(content.WriteText()), "[T]\\r\\nc=3\\r\\ne=5\\r\\n\\r\\n[S]\\r\\nd=4\\r\\n\\r\\n");
}

TEST(IniContent, SaveRendersEveryKind) {
    CIniContent content;
    content.SetValue(TXT(""), TXT("text"), TXT("t"));
    CIniValue* n = content.SetValue(TXT("S"), TXT("n"), TXT("ignored"));
    n->m_nType = INI_INTEGER;
    n->m_nValue = 5;
    CIniValue* r = content.SetValue(TXT("S"), TXT("r"), TXT("ignored"));
    r->m_nType = INI_REAL;
    r->m_dValue = 2.5;
    r->m_strFormat = TXT("%.2f s");
    content.SetValue(TXT("S"), TXT("alt"), TXT("kept"))->m_nType = INI_TEXT_ALT;
    content.SetValue(TXT("S"), TXT("odd"), TXT("dropped"))->m_nType = 4;
    content.SetValue(TXT("S"), TXT("neg"), TXT("dropped"))->m_nType = -1;
    EXPECT_EQ(Narrow(content.WriteText()),
              "text=t\\r\\n\\r\\n[S]\\r\\nn=5\\r\\nr=2.50 s\\r\\nalt=kept\\r\\nodd=\\r\\nneg=\\r\\n\\r\\n");
}

struct FormatCase {
    int32_t type;
    double number;  // m_nValue for kind 1, m_dValue for kind 2
    const TextUnit* format;
    const char* expected;
};

// Valid formats give exactly what ISO swprintf gives; a format that is not one numeric conversion
// of the entry's kind (or could overrun a field) is replaced by "%d" or "%f".
const FormatCase kFormats[] = {
    {INI_INTEGER, 5, TXT(""), "5"},
    {INI_REAL, 2.5, TXT(""), "2.500000"},
    {INI_REAL, 2.5, TXT("%f"), "2.500000"},
    {INI_REAL, 2.5, TXT("%5.1f"), "  2.5"},
    {INI_REAL, 2.5, TXT("%-6.1f|"), "2.5   |"},
    {INI_REAL, 2.5, TXT("%e"), "2.500000e+00"},
    {INI_REAL, 0.00001, TXT("%g"), "1e-05"},
    {INI_REAL, 0.5, TXT("%F"), "0.500000"},
    {INI_REAL, 2.5, TXT("%lf"), "2.500000"},
    {INI_REAL, -0.0, TXT("%+.1f"), "-0.0"},
    {INI_INTEGER, 255, TXT("%x"), "ff"},
    {INI_INTEGER, 255, TXT("%#X"), "0XFF"},
    {INI_INTEGER, 5, TXT("%08.3d"), "     005"},
    {INI_INTEGER, -42, TXT("%+05d"), "-0042"},
    {INI_INTEGER, -1, TXT("%u"), "4294967295"},
    {INI_INTEGER, 8, TXT("%o"), "10"},
    {INI_INTEGER, 42, TXT("Width: %d px"), "Width: 42 px"},
    {INI_INTEGER, 7, TXT("%d%%"), "7%"},
    {INI_INTEGER, 42, TXT("no conversion"), "no conversion"},
    {INI_INTEGER, 42, TXT("100%% done"), "100% done"},
    {INI_INTEGER, 300, TXT("%hhd"), "44"},
    {INI_INTEGER, -5, TXT("%ld"), "-5"},
    {INI_INTEGER, -5, TXT("%lld"), "-5"},
    {INI_INTEGER, -5, TXT("%jd"), "-5"},
    {INI_INTEGER, 5, TXT("%zu"), "5"},
    {INI_INTEGER, -5, TXT("%td"), "-5"},
    {INI_INTEGER, 5, TXT("%s"), "5"},
    {INI_INTEGER, 5, TXT("%ls"), "5"},
    {INI_INTEGER, 5, TXT("%S"), "5"},
    {INI_INTEGER, 5, TXT("%n"), "5"},
    {INI_INTEGER, 5, TXT("%p"), "5"},
    {INI_INTEGER, 65, TXT("%c"), "65"},
    {INI_INTEGER, 5, TXT("%d %d"), "5"},
    {INI_INTEGER, 5, TXT("%d%s"), "5"},
    {INI_INTEGER, 5, TXT("%*d"), "5"},
    {INI_INTEGER, 5, TXT("%.*d"), "5"},
    {INI_INTEGER, 5, TXT("%1$d"), "5"},
    {INI_INTEGER, 5, TXT("%I64d"), "5"},
    {INI_INTEGER, 5, TXT("%'d"), "5"},
    {INI_INTEGER, 5, TXT("50%"), "5"},
    {INI_INTEGER, 5, TXT("%"), "5"},
    {INI_INTEGER, 5, TXT("%f"), "5"},
    {INI_REAL, 2.5, TXT("%d"), "2.500000"},
    {INI_REAL, 2.5, TXT("%Lf"), "2.500000"},
    {INI_REAL, 2.5, TXT("%llf"), "2.500000"},
    {INI_REAL, 2.5, TXT("%hf"), "2.500000"},
    {INI_INTEGER, 5, TXT("%4096d"), "5"},
    {INI_REAL, 2.5, TXT("%.4096f"), "2.500000"},
    {INI_INTEGER, 5, TXT("%99999999999999999999d"), "5"},
};

TEST(IniNumber, FormatsTable) {
    for (const FormatCase& c : kFormats) {
        CIniValue value;
        value.m_nType = c.type;
        value.m_nValue = static_cast<int32_t>(c.number);
        value.m_dValue = c.number;
        value.m_strFormat = c.format;
        SCOPED_TRACE(Narrow(value.m_strFormat));
        Text out;
        ASSERT_TRUE(FormatIniNumber(value, out));
        EXPECT_EQ(Narrow(out), c.expected);
    }
}

TEST(IniNumber, WidestFieldsAreWrittenWhole) {
    CIniValue value;
    value.m_nType = INI_INTEGER;
    value.m_nValue = 5;
    value.m_strFormat = TXT("<%4095d>");
    Text out;
    ASSERT_TRUE(FormatIniNumber(value, out));
    EXPECT_EQ(out, TXT("<") + Text(4094, TXT(' ')) + TXT("5>"));

    // 1e308 as a double has 309 integer digits, all of which ISO swprintf prints exactly.
    value.m_nType = INI_REAL;
    value.m_dValue = 1e308;
    value.m_strFormat = Text(10000, TXT('x')) + TXT("%.4095f");
    ASSERT_TRUE(FormatIniNumber(value, out));
    ASSERT_EQ(out.size(), 10000u + 309u + 1u + 4095u);
    EXPECT_EQ(Narrow(out.substr(10000, 22)), "1000000000000000010979");
    EXPECT_EQ(out.substr(10000 + 309), TXT(".") + Text(4095, TXT('0')));
}

TEST(IniNumber, TextAroundTheConversionKeepsEveryUnit) {
    CIniValue value;
    value.m_nType = INI_INTEGER;
    value.m_nValue = 3;
    value.m_strFormat = TXT("\u00E4%d\u4E2A\U0001F600");
    Text out;
    ASSERT_TRUE(FormatIniNumber(value, out));
    EXPECT_EQ(out, TXT("\u00E43\u4E2A\U0001F600"));
}

TEST(IniCheckFormat, BoundCoversLiteralsAndFields) {
    const IniFormatCheck check = CheckIniFormat(TXT("ab%%%10.3dcd"), false);
    ASSERT_TRUE(check.bValid);
    EXPECT_GE(check.cchBound, 5u + 3u + 10u + 1u);
    EXPECT_TRUE(CheckIniFormat(TXT("%4095.4095f"), true).bValid);
    EXPECT_FALSE(CheckIniFormat(TXT("%4095.4096f"), true).bValid);
}

TEST(IniUpperCase, SimpleMappingKeepsLength) {
    Text text = TXT("az\u00E0\u00FF\u00F7\u0101\u013A\u03C2\u03B1\u0430\u0450\uFF41\u4E2A\U0001F600");
    const size_t length = text.size();
    UpperCaseSimple(text);
    EXPECT_EQ(text.size(), length);
    EXPECT_EQ(text, TXT("AZ\u00C0\u0178\u00F7\u0100\u0139\u03A3\u0391\u0410\u0400\uFF21\u4E2A\U0001F600"));
}

}  // namespace
