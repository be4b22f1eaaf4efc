// Loads any text into a store, saves it, and checks that the saved text loads and saves to
// itself, that the store's invariants hold, and that rendering every entry as a number with its
// own text as the format stays within bounds. Each input byte becomes one UTF-16 unit
// (U+0000-U+00FF): every unit that the reader treats specially is ASCII, seed files stay readable,
// and Latin-1 letters still exercise the case-insensitive merging.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include "settings/IniFormat.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckInvariants(const CIniContent& content) {
    Check(content.m_sections.size() == content.m_mapSections.size());
    for (const auto& section : content.m_sections) {
        Text key = section->m_strName;
        UpperCaseSimple(key);
        auto found = content.m_mapSections.find(key);
        Check(found != content.m_mapSections.end() && found->second == section.get());
        Check(!section->m_values.empty());
        Check(section->m_values.size() == section->m_mapValues.size());
        for (const auto& value : section->m_values) {
            Text name = value->m_strName;
            UpperCaseSimple(name);
            auto entry = section->m_mapValues.find(name);
            Check(entry != section->m_mapValues.end() && entry->second == value.get());
            Check(!value->m_strName.empty());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Text text(data, data + size);

    CIniContent first;
    first.ReadText(text);
    CheckInvariants(first);
    const Text saved = first.WriteText();

    CIniContent second;
    second.ReadText(saved);
    CheckInvariants(second);
    Check(second.WriteText() == saved);
    Check(second.m_sections.size() == first.m_sections.size());

    // Every entry's text as a user's format, for both numeric kinds.
    for (const auto& section : first.m_sections) {
        for (const auto& value : section->m_values) {
            CIniValue number;
            number.m_strFormat = value->m_strText;
            number.m_nValue = static_cast<int32_t>(value->m_strName.size() * 2654435761u);
            number.m_dValue = static_cast<double>(number.m_nValue) / 3.0;
            for (int32_t type : {INI_INTEGER, INI_REAL}) {
                const bool bReal = type == INI_REAL;
                number.m_nType = type;
                Text out;
                Check(FormatIniNumber(number, out));
                // Either the format's own bound holds or the default conversion's does.
                const IniFormatCheck own = CheckIniFormat(number.m_strFormat, bReal);
                const IniFormatCheck fallback = CheckIniFormat(bReal ? TXT("%f") : TXT("%d"), bReal);
                Check(out.size() < (own.bValid ? std::max(own.cchBound, fallback.cchBound) : fallback.cchBound));
            }
        }
    }
    return 0;
}
