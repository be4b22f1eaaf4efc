#include "IniFile.h"

#include <windows.h>
#include "textio/TextFile.h"

namespace {

// Holds the store's mutex for one scope. A wait that fails (no mutex) holds nothing and so
// releases nothing.
class MutexLock {
public:
    explicit MutexLock(const UniqueMutex& mutex) noexcept {
        if (mutex) {
            const DWORD wait = WaitForSingleObject(mutex.get(), INFINITE);
            if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) m_hMutex = mutex.get();
        }
    }
    ~MutexLock() {
        if (m_hMutex) ReleaseMutex(m_hMutex);
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    HANDLE m_hMutex = nullptr;
};

}  // namespace

void UpperCaseSystem(Text& text) {
    // CharUpperW maps in place up to the terminator; a Text holds no U+0000, and an empty one is
    // skipped because a pointer value below 0x10000 would be taken for a single character.
    if (!text.empty()) CharUpperW(&text[0]);
}

CIniFile::CIniFile() : CIniContent(UpperCaseSystem), m_hMutex(CreateMutexW(nullptr, FALSE, nullptr)) {}

CIniFile::~CIniFile() {
    // The entries and sections go first, the mutex after them.
    m_mapSections.clear();
    m_sections.clear();
    m_hMutex.reset();
}

void CIniFile::Load(const Text& path) noexcept {
    try {
        m_strFilePath = path;
        Text text;
        ReadTextFile(path, text, &m_nEncoding);
        ReadText(text);  // each entry through OnIniEntry, so each takes the lock for itself
    } catch (...) {
        // Out of memory: the store keeps what was read so far.
    }
    m_bDirty = false;
}

void CIniFile::OnIniEntry(const Text& section, const Text& key, const Text& value) {
    SetValue(section, key, value);
}

CIniValue* CIniFile::SetValue(const Text& section, const Text& key, const Text& text) noexcept {
    m_bDirty = true;
    MutexLock lock(m_hMutex);
    try {
        return CIniContent::SetValue(section, key, text);
    } catch (...) {
        return nullptr;
    }
}

void CIniFile::Save(const Text& path, TextEncoding encoding) noexcept {
    if (!m_bDirty) return;
    bool bWritten = false;
    try {
        MutexLock lock(m_hMutex);
        const Text text = WriteText();
        bWritten = WriteTextFile(path, text, encoding);
    } catch (...) {
        // Out of memory before the file was opened: nothing was written.
    }
    if (bWritten) m_bDirty = false;
}
