#pragma once
// The settings store's platform-free core: entries and sections, the line reading of a load, the
// text that a save writes and the rendering of numbered entries. The store itself (IniFile.h) adds
// the file, the lock, the dirty flag and the platform's upper-case mapping.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>
#include "textio/Text.h"

// Upper-cases a lookup key in place; never changes its length. The store on Windows passes the
// system's CharUpperW mapping; everything else uses UpperCaseSimple.
using IniUpperCaseFn = void (*)(Text& text);

// A per-unit simple upper-case mapping for builds without the system's: ASCII, Latin-1, Latin
// Extended-A, basic Greek and Cyrillic, and the full-width Latin letters.
void UpperCaseSimple(Text& text);

// Kinds of CIniValue::m_nType.
enum : int32_t {
    INI_TEXT = 0,
    INI_INTEGER = 1,
    INI_REAL = 2,
    INI_TEXT_ALT = 3,  // held and written like INI_TEXT
};

struct CIniValue {
    Text m_strName;          // the key, in the letter case of the call that created the entry
    int32_t m_nType = INI_TEXT;
    Text m_strText;          // kinds 0 and 3
    int32_t m_nValue = 0;    // kind 1
    double m_dValue = 0.0;   // kind 2
    Text m_strFormat;        // kinds 1 and 2; empty means "%d" or "%f"
};

class CIniSection {
public:
    explicit CIniSection(const Text& name, IniUpperCaseFn pfnUpperCase = UpperCaseSimple);
    CIniSection(const CIniSection&) = delete;
    CIniSection& operator=(const CIniSection&) = delete;

    // Finds or creates the entry (by upper-cased key) and sets its text; its kind stays.
    CIniValue* SetValue(const Text& key, const Text& text);

    Text m_strName;
    std::vector<std::unique_ptr<CIniValue>> m_values;  // owns the entries, in order of creation
    std::map<Text, CIniValue*> m_mapValues;            // upper-cased key -> entry; owns nothing

private:
    IniUpperCaseFn m_pfnUpperCase;
    Text m_strLookup;  // reused for the upper-cased key, so a lookup allocates nothing
};

using IniSectionList = std::vector<std::unique_ptr<CIniSection>>;  // owns, in order of creation
using IniSectionMap = std::map<Text, CIniSection*>;                // upper-cased name -> section

// Receives each entry line of a text, in order.
class IniEntrySink {
public:
    virtual void OnIniEntry(const Text& section, const Text& key, const Text& value) = 0;

protected:
    ~IniEntrySink() = default;
};

// The line walk of a load. Lines end at CR LF, LF or a lone CR; the text after the last line break
// is not read. The first line break met sets strLineBreak unless bLineBreakKnown already holds.
void ReadIniLines(const Text& text, bool& bLineBreakKnown, Text& strLineBreak, IniEntrySink& sink);

// The whole text of a save: every section and entry in order of creation, each line followed by
// strLineBreak, an empty line after every section. The first section goes without a header when
// its name is empty; the unnamed section anywhere else is written as "[]".
Text WriteIniText(const IniSectionList& sections, const Text& strLineBreak);

// What a store holds, without its file, lock and dirty flag: the line-break memory and the
// sections, found by name without regard to case. CIniFile builds on it; the check tool, the fuzz
// target and the benchmark use it as it is.
class CIniContent : public IniEntrySink {
public:
    explicit CIniContent(IniUpperCaseFn pfnUpperCase = UpperCaseSimple);
    CIniContent(const CIniContent&) = delete;
    CIniContent& operator=(const CIniContent&) = delete;
    virtual ~CIniContent();

    // Finds or creates the section (which keeps the name and position of its creation) and in it
    // the entry, and sets the entry's text.
    CIniValue* SetValue(const Text& section, const Text& key, const Text& text);

    // The line reading of a load: every entry line of text goes through OnIniEntry.
    void ReadText(const Text& text);
    // What a save writes.
    Text WriteText() const { return WriteIniText(m_sections, m_strLineBreak); }

    void OnIniEntry(const Text& section, const Text& key, const Text& value) override;

    bool m_bLineBreakKnown = false;
    Text m_strLineBreak;            // "\r\n" until a load meets its first line break
    IniSectionList m_sections;
    IniSectionMap m_mapSections;

protected:
    IniUpperCaseFn m_pfnUpperCase;

private:
    Text m_strLookup;  // reused for the upper-cased section name
    // A load sets many values in one section in a row: where the last one went. Checked against
    // the section's own name before use, since the vector is open to its users.
    size_t m_nLastSection = 0;
};

// Appends what a save writes after "name=" for this entry's kind.
void AppendIniValueText(Text& out, const CIniValue& value);

// A number format that is safe to hand to swprintf with one argument of the entry's kind: ISO
// flags, width and precision (digits only, at most INI_FORMAT_MAX_FIELD), at most one conversion,
// and that one numeric and of the entry's kind ("%%" is text).
constexpr size_t INI_FORMAT_MAX_FIELD = 4095;
enum class IniArgType { Int, Long, LongLong, IntMax, Size, PtrDiff, Double };
struct IniFormatCheck {
    bool bValid = false;
    IniArgType nArg = IniArgType::Int;  // what the conversion's length modifier takes
    size_t cchBound = 0;                // units the output can need, terminator included
};
IniFormatCheck CheckIniFormat(const Text& format, bool bReal);

// Renders a kind 1 or 2 entry the way swprintf does for its format with the number as the only
// argument. A format that CheckIniFormat refuses is replaced by the kind's default, "%d" or "%f",
// so the number is still written; a format can never make the rendering read or write memory that
// is not its own. False only when swprintf itself fails.
bool FormatIniNumber(const CIniValue& value, Text& out);
