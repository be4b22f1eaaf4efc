#include "IniFormat.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

#if defined(_WIN32) && !(defined(__USE_MINGW_ANSI_STDIO) && __USE_MINGW_ANSI_STDIO)
// The CRT's own swprintf is not ISO C (three-digit exponents, no %F, a different result on
// truncation); MinGW's ISO implementation is what a save promises.
#error "build with __USE_MINGW_ANSI_STDIO=1"
#endif

namespace {

constexpr TextUnit CR = 0x0D;
constexpr TextUnit LF = 0x0A;

inline bool IsBlank(TextUnit c) { return c == TXT(' ') || c == TXT('\t'); }

TextUnit UpperUnit(TextUnit c) {
    if (c < 0x80) return (c >= TXT('a') && c <= TXT('z')) ? TextUnit(c - 0x20) : c;
    if (c < 0x100) {
        if (c == 0xB5) return 0x039C;
        if (c == 0xFF) return 0x0178;
        if (c >= 0xE0 && c != 0xF7) return TextUnit(c - 0x20);
        return c;
    }
    if (c < 0x180) {
        // Latin Extended-A pairs its letters, the capital first, except in two runs where the
        // capital sits at the odd code point.
        if (c == 0x131) return 0x49;
        if (c == 0x17F) return 0x53;
        bool oddCapital = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x130 || c == 0x138 || c == 0x149) return c;
        if (oddCapital) return (c % 2 == 0) ? TextUnit(c - 1) : c;
        return (c % 2 == 1) ? TextUnit(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? TextUnit(0x3A3) : TextUnit(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return TextUnit(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return TextUnit(c - 0x50);
    if (c >= 0xFF41 && c <= 0xFF5A) return TextUnit(c - 0x20);
    return c;
}

}  // namespace

void UpperCaseSimple(Text& text) {
    for (TextUnit& c : text) c = UpperUnit(c);
}

// ---- sections and entries ------------------------------------------------------------------

CIniSection::CIniSection(const Text& name, IniUpperCaseFn pfnUpperCase)
    : m_strName(name), m_pfnUpperCase(pfnUpperCase) {}

CIniValue* CIniSection::SetValue(const Text& key, const Text& text) {
    m_strLookup = key;
    m_pfnUpperCase(m_strLookup);
    CIniValue*& slot = m_mapValues[m_strLookup];
    if (!slot) {
        try {
            auto value = std::make_unique<CIniValue>();
            value->m_strName = key;
            m_values.push_back(std::move(value));
        } catch (...) {
            m_mapValues.erase(m_strLookup);  // no entry in the map without its owner
            throw;
        }
        slot = m_values.back().get();
    }
    slot->m_strText = text;
    return slot;
}

CIniContent::CIniContent(IniUpperCaseFn pfnUpperCase)
    : m_strLineBreak(TXT("\r\n")), m_pfnUpperCase(pfnUpperCase) {}

CIniContent::~CIniContent() = default;

CIniValue* CIniContent::SetValue(const Text& section, const Text& key, const Text& text) {
    // The exact name of a section always finds that section.
    if (m_nLastSection < m_sections.size() && m_sections[m_nLastSection]->m_strName == section) {
        return m_sections[m_nLastSection]->SetValue(key, text);
    }
    m_strLookup = section;
    m_pfnUpperCase(m_strLookup);
    CIniSection*& slot = m_mapSections[m_strLookup];
    const bool created = !slot;
    if (created) {
        try {
            m_sections.push_back(std::make_unique<CIniSection>(section, m_pfnUpperCase));
        } catch (...) {
            m_mapSections.erase(m_strLookup);
            throw;
        }
        slot = m_sections.back().get();
    }
    CIniSection* target = slot;
    CIniValue* value = nullptr;
    try {
        value = target->SetValue(key, text);
    } catch (...) {
        // A section exists only while it holds an entry: drop one that this call made and could not fill.
        if (target->m_values.empty()) {
            m_mapSections.erase(m_strLookup);
            m_sections.pop_back();
        }
        throw;
    }
    if (created) {
        m_nLastSection = m_sections.size() - 1;
    } else if (target->m_strName == section) {  // a section taken up again under its own name
        m_nLastSection = size_t(std::find_if(m_sections.begin(), m_sections.end(),
                                             [target](const auto& s) { return s.get() == target; }) -
                                m_sections.begin());
    }
    return value;
}

void CIniContent::ReadText(const Text& text) { ReadIniLines(text, m_bLineBreakKnown, m_strLineBreak, *this); }

void CIniContent::OnIniEntry(const Text& section, const Text& key, const Text& value) {
    SetValue(section, key, value);
}

// ---- reading ---------------------------------------------------------------------------------

void ReadIniLines(const Text& text, bool& bLineBreakKnown, Text& strLineBreak, IniEntrySink& sink) {
    const TextUnit* const begin = text.data();
    const TextUnit* const end = begin + text.size();
    Text section, key, value;  // reused line after line
    const TextUnit* s = begin;
    for (const TextUnit* p = begin; p < end; ++p) {
        const TextUnit c = *p;
        if (c > CR || (c != CR && c != LF)) continue;

        const TextUnit* lineEnd = p;
        if (c == CR && p + 1 < end && p[1] == LF) {
            ++p;
            if (!bLineBreakKnown) strLineBreak.assign(TXT("\r\n"));
        } else if (!bLineBreakKnown) {
            strLineBreak.assign(1, c);
        }
        bLineBreakKnown = true;
        const TextUnit* line = s;
        s = p + 1;

        while (line < lineEnd && IsBlank(*line)) ++line;
        if (line == lineEnd || *line == TXT(';')) continue;
        const size_t length = size_t(lineEnd - line);
        if (length >= 2 && line[0] == TXT('[') && lineEnd[-1] == TXT(']')) {
            const TextUnit* first = line + 1;
            const TextUnit* last = lineEnd - 1;
            while (first < last && IsBlank(*first)) ++first;
            while (last > first && IsBlank(last[-1])) --last;
            section.assign(first, last);
            continue;
        }
        const TextUnit* equals = std::find(line, lineEnd, TXT('='));
        if (equals == lineEnd || equals == line) continue;
        const TextUnit* keyEnd = equals;
        while (keyEnd > line && IsBlank(keyEnd[-1])) --keyEnd;
        key.assign(line, keyEnd);
        value.assign(equals + 1, lineEnd);
        sink.OnIniEntry(section, key, value);
    }
}

// ---- writing ---------------------------------------------------------------------------------

Text WriteIniText(const IniSectionList& sections, const Text& strLineBreak) {
    Text out;
    bool first = true;
    for (const auto& section : sections) {
        if (!(first && section->m_strName.empty())) {
            out += TXT('[');
            out += section->m_strName;
            out += TXT(']');
            out += strLineBreak;
        }
        first = false;
        for (const auto& value : section->m_values) {
            out += value->m_strName;
            out += TXT('=');
            AppendIniValueText(out, *value);
            out += strLineBreak;
        }
        out += strLineBreak;
    }
    return out;
}

void AppendIniValueText(Text& out, const CIniValue& value) {
    switch (value.m_nType) {
    case INI_TEXT:
    case INI_TEXT_ALT:
        out += value.m_strText;
        break;
    case INI_INTEGER:
    case INI_REAL: {
        Text number;
        if (FormatIniNumber(value, number)) out += number;
        break;
    }
    default:
        break;
    }
}

// ---- numbers ---------------------------------------------------------------------------------

namespace {

// Longest conversion output without width or precision: a double's 309 integer digits with sign,
// point and six decimals, or a 64-bit integer in octal with prefix, with room to spare.
constexpr size_t NUMBER_BOUND = 350;

bool ReadField(const Text& f, size_t& i, size_t& field) {
    field = 0;
    while (i < f.size() && f[i] >= TXT('0') && f[i] <= TXT('9')) {
        field = field * 10 + size_t(f[i] - TXT('0'));
        if (field > INI_FORMAT_MAX_FIELD) return false;
        ++i;
    }
    return true;
}

bool Contains(const char* set, TextUnit c) {
    for (; *set; ++set)
        if (TextUnit(*set) == c) return true;
    return false;
}

#ifdef _WIN32
using WideFormat = const wchar_t*;
WideFormat Widen(const Text& f, std::wstring&) { return f.c_str(); }
#else
// swprintf takes wchar_t, which is 32 bits here: each UTF-16 unit is carried over as it is.
using WideFormat = const wchar_t*;
WideFormat Widen(const Text& f, std::wstring& wide) {
    wide.assign(f.begin(), f.end());
    return wide.c_str();
}
#endif

template <typename T>
int Print(std::vector<wchar_t>& buffer, WideFormat format, T arg) {
    return std::swprintf(buffer.data(), buffer.size(), format, arg);
}

}  // namespace

IniFormatCheck CheckIniFormat(const Text& f, bool bReal) {
    IniFormatCheck result;
    size_t literal = 0;
    size_t conversion = 0;
    bool seen = false;
    size_t i = 0;
    while (i < f.size()) {
        if (f[i] != TXT('%')) {
            ++literal;
            ++i;
            continue;
        }
        if (++i == f.size()) return result;  // a lone "%" at the end
        if (f[i] == TXT('%')) {
            ++literal;
            ++i;
            continue;
        }
        if (seen) return result;  // a second conversion would read a second argument
        seen = true;
        while (i < f.size() && Contains("-+ #0", f[i])) ++i;
        size_t width = 0, precision = 0;
        if (!ReadField(f, i, width)) return result;
        if (i < f.size() && f[i] == TXT('.')) {
            ++i;
            if (!ReadField(f, i, precision)) return result;
        }
        // Length modifiers: an integer goes to swprintf as the type the modifier names.
        IniArgType arg = bReal ? IniArgType::Double : IniArgType::Int;
        if (i < f.size()) {
            const TextUnit m = f[i];
            const bool twice = i + 1 < f.size() && f[i + 1] == m;
            if (m == TXT('h')) {
                if (bReal) return result;
                i += twice ? 2 : 1;  // swprintf narrows the int itself
            } else if (m == TXT('l')) {
                if (bReal && twice) return result;  // a plain "l" does nothing to a double
                if (!bReal) arg = twice ? IniArgType::LongLong : IniArgType::Long;
                i += twice ? 2 : 1;
            } else if (m == TXT('j') || m == TXT('z') || m == TXT('t')) {
                if (bReal) return result;
                arg = m == TXT('j') ? IniArgType::IntMax : m == TXT('z') ? IniArgType::Size : IniArgType::PtrDiff;
                ++i;
            }
        }
        if (i == f.size()) return result;
        const TextUnit c = f[i++];
        if (!Contains(bReal ? "fFeEgGaA" : "diouxX", c)) return result;  // also %s, %c, %n, %p, *, $
        result.nArg = arg;
        conversion = std::max(width, NUMBER_BOUND + precision);
    }
    result.bValid = true;
    result.cchBound = literal + conversion + 1;
    return result;
}

bool FormatIniNumber(const CIniValue& value, Text& out) {
    const bool bReal = value.m_nType == INI_REAL;
    Text format = value.m_strFormat;
    IniFormatCheck check = CheckIniFormat(format, bReal);
    if (format.empty() || !check.bValid) {
        format = bReal ? TXT("%f") : TXT("%d");
        check = CheckIniFormat(format, bReal);
    }
    std::wstring wide;
    const WideFormat wf = Widen(format, wide);
    std::vector<wchar_t> buffer(check.cchBound, L'\0');
    const int32_t n = value.m_nValue;
    int written = -1;
    switch (check.nArg) {
    case IniArgType::Int: written = Print(buffer, wf, int(n)); break;
    case IniArgType::Long: written = Print(buffer, wf, long(n)); break;
    case IniArgType::LongLong: written = Print(buffer, wf, static_cast<long long>(n)); break;
    case IniArgType::IntMax: written = Print(buffer, wf, intmax_t(n)); break;
    case IniArgType::Size: written = Print(buffer, wf, static_cast<size_t>(static_cast<ptrdiff_t>(n))); break;
    case IniArgType::PtrDiff: written = Print(buffer, wf, ptrdiff_t(n)); break;
    case IniArgType::Double: written = Print(buffer, wf, value.m_dValue); break;
    }
    if (written < 0 || size_t(written) >= buffer.size()) return false;
    out.assign(buffer.begin(), buffer.begin() + written);
    return true;
}
