#pragma once
// The module's settings store: its INI file in memory, read at attach and written back at detach
// when a value was set since. Windows only: the file goes through ReadTextFile/WriteTextFile, the
// lookup keys through CharUpperW, and an unnamed mutex guards the sections and entries.
#include "IniFormat.h"
#include "textio/DetectEncoding.h"
#include "textio/Text.h"
#include "textio/UniqueHandle.h"

class CIniFile : public CIniContent {
public:
    CIniFile();
    ~CIniFile() override;

    // Records the path and adds the file's entries to the store (which is not emptied first).
    // An unreadable file adds nothing. Ends clean.
    void Load(const Text& path) noexcept;

    // Finds or creates the section and the entry, sets the entry's text and marks the store dirty.
    // The entry stays owned by the store; null only when memory ran out.
    CIniValue* SetValue(const Text& section, const Text& key, const Text& text) noexcept;

    // Writes the whole store to path in the given encoding when it is dirty. It stays dirty when
    // the file could not be opened for writing, so a later save can still write the values.
    void Save(const Text& path, TextEncoding encoding) noexcept;

    void OnIniEntry(const Text& section, const Text& key, const Text& value) override;

    // Besides the line-break memory and the sections of CIniContent:
    bool m_bDirty = false;
    UniqueMutex m_hMutex;
    TextEncoding m_nEncoding = ENC_UNKNOWN;
    Text m_strFilePath;
};

// The platform's upper-case mapping of lookup keys.
void UpperCaseSystem(Text& text);
