// The module's own code linked into this program: DllMain's attach and detach run by hand against
// an INI file beside the program, and the frame registry seen from inside.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Exports.h"
#include "PluginInstance.h"
#include "settings/IniFile.h"
#include "settings/Paths.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);

namespace {

std::wstring ProgramFile() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

std::wstring BaseName(const std::wstring& path) {
    std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    return name.substr(0, name.find_last_of(L'.'));
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    std::string data(GetFileSize(h, nullptr), '\0');
    DWORD read = 0;
    ReadFile(h, data.data(), static_cast<DWORD>(data.size()), &read, nullptr);
    CloseHandle(h);
    data.resize(read);
    return data;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return written == bytes.size();
}

std::wstring SourcePath(const char* relative) {
    std::wstring path = L"Z:";
    for (const char* p = SHELFMAP_SOURCE_DIR; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    path += L'\\';
    for (const char* p = relative; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    return path;
}

const CIniValue* Find(const Text& section, const Text& key) {
    Text s = section, k = key;
    UpperCaseSystem(s);
    UpperCaseSystem(k);
    auto is = g_iniFile.m_mapSections.find(s);
    if (is == g_iniFile.m_mapSections.end()) return nullptr;
    auto iv = is->second->m_mapValues.find(k);
    return iv == is->second->m_mapValues.end() ? nullptr : iv->second;
}

HWND FakeFrame(INT_PTR n) { return reinterpret_cast<HWND>(0x12340000 + n * 0x10000); }

// The host's INI beside this program and the module's own in Plugins\<program name>\, as the
// editor's installation lays them out; removed again afterwards.
class ModuleLifetimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring program = ProgramFile();
        m_hostIni = Folder(program) + L"Tarn.ini";
        m_pluginFolder = Folder(program) + L"Plugins\\" + BaseName(program) + L"\\";
        m_pluginIni = m_pluginFolder + BaseName(program) + L".ini";
        m_hadHostIni = GetFileAttributesW(m_hostIni.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (!m_hadHostIni) {
            ASSERT_TRUE(WriteBytes(m_hostIni, ""));
        }
        CreateDirectoryW((Folder(program) + L"Plugins").c_str(), nullptr);
        CreateDirectoryW(m_pluginFolder.c_str(), nullptr);
        m_sjis = ReadBytes(SourcePath("tests/data/plugin/Shelfmap.sjis.ini"));
        ASSERT_FALSE(m_sjis.empty());
        ASSERT_TRUE(WriteBytes(m_pluginIni, m_sjis));
        SetOldTime();
    }
    void TearDown() override {
        DeleteFileW(m_pluginIni.c_str());
        RemoveDirectoryW(m_pluginFolder.c_str());
        RemoveDirectoryW((Folder(ProgramFile()) + L"Plugins").c_str());
        if (!m_hadHostIni) DeleteFileW(m_hostIni.c_str());
    }

    void SetOldTime() {
        HANDLE h = CreateFileW(m_pluginIni.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &kOld));
        CloseHandle(h);
    }
    FILETIME WriteTime() {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        GetFileAttributesExW(m_pluginIni.c_str(), GetFileExInfoStandard, &data);
        return data.ftLastWriteTime;
    }

    static void Attach() { DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_ATTACH, nullptr); }
    static void Detach() { DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH, nullptr); }

    static constexpr FILETIME kOld = {0xD53E8000u, 0x01D5B8E0u};  // 2020
    std::wstring m_hostIni, m_pluginFolder, m_pluginIni;
    bool m_hadHostIni = false;
    std::string m_sjis;
};

TEST_F(ModuleLifetimeTest, AttachReadsTheShiftJisIniAndDetachLeavesItUntouched) {
    Attach();
    EXPECT_EQ(g_strPluginIniPath, m_pluginIni);
    EXPECT_EQ(g_strHostIniPath, m_hostIni);
    EXPECT_EQ(g_iniFile.m_strFilePath, m_pluginIni);
    EXPECT_EQ(g_iniFile.m_nEncoding, ENC_UTF8);  // whatever was detected: written back as UTF-8
    const CIniValue* width = Find(L"\u8868\u793A", L"\u5E45");  // [表示] 幅
    ASSERT_NE(width, nullptr);
    EXPECT_EQ(width->m_strText, L"220");
    const CIniValue* title = Find(L"\u8868\u793A", L"\u30BF\u30A4\u30C8\u30EB");  // タイトル
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->m_strText, L"\u304A\u6C17\u306B\u5165\u308A");  // お気に入り
    const CIniValue* name = Find(L"general", L"NAME");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->m_strText, L" \u5024 ");
    EXPECT_FALSE(g_iniFile.m_bDirty);
    EXPECT_TRUE(g_hInstanceMutex);
    Detach();
    EXPECT_FALSE(g_hInstanceMutex);
    EXPECT_EQ(ReadBytes(m_pluginIni), m_sjis);
    FILETIME now = WriteTime();
    EXPECT_EQ(CompareFileTime(&now, &kOld), 0);
}

TEST_F(ModuleLifetimeTest, DirtyStoreIsWrittenAtDetachInItsEncodingUtf8WhenNoneIsKnown) {
    for (TextEncoding encoding : {ENC_UTF8, ENC_UNKNOWN, ENC_BINARY, ENC_UTF16LE}) {
        SCOPED_TRACE(encoding);
        // Each attach loads the same file again; the store keeps the same entries.
        ASSERT_TRUE(WriteBytes(m_pluginIni, m_sjis));
        Attach();
        ASSERT_NE(g_iniFile.SetValue(L"\u8868\u793A", L"\u5E45", L"300"), nullptr);
        g_iniFile.m_nEncoding = encoding;
        Detach();
        const std::string bytes = ReadBytes(m_pluginIni);
        if (encoding == ENC_UTF16LE) {
            ASSERT_GE(bytes.size(), 2u);
            EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
            continue;
        }
        // UTF-8 without a byte order mark, the Japanese names intact.
        EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
        EXPECT_NE(bytes.find("[\xE8\xA1\xA8\xE7\xA4\xBA]"), std::string::npos) << bytes;  // [表示]
        EXPECT_NE(bytes.find("\xE5\xB9\x85=300"), std::string::npos) << bytes;             // 幅=300
        EXPECT_NE(bytes.find("\xE3\x82\xBF\xE3\x82\xA4\xE3\x83\x88\xE3\x83\xAB="
                             "\xE3\x81\x8A\xE6\xB0\x97\xE3\x81\xAB\xE5\x85\xA5\xE3\x82\x8A"),
                  std::string::npos)
            << bytes;  // タイトル=お気に入り
    }
}

TEST_F(ModuleLifetimeTest, RegistryMakesOneInstancePerAnnouncedFrameAndForgetsClosedOnes) {
    Attach();
    ASSERT_TRUE(g_mapInstances.empty());

    // Bits 1 or 2 make nothing, whatever else is set.
    for (UINT bits : {0x1u, 0x2u, 0x3u, 0x9u, 0xAu, 0x80001u, 0x80002u, 0x8000Bu}) {
        OnEvents(FakeFrame(1), bits, 0);
        EXPECT_TRUE(g_mapInstances.empty()) << bits;
    }
    // A lookup of an unknown frame finds nothing and leaves nothing.
    EXPECT_EQ(LookupInstance(FakeFrame(1)), nullptr);
    EXPECT_TRUE(g_mapInstances.empty());

    OnEvents(FakeFrame(1), 0, 0);
    ASSERT_EQ(g_mapInstances.size(), 1u);
    CPluginInstance* p = LookupInstance(FakeFrame(1));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->m_pIniFile, &g_iniFile);
    EXPECT_EQ(p->m_nBarId, -1);
    EXPECT_EQ(p->m_wndBar.m_hWnd, nullptr);
    EXPECT_FALSE(p->m_wndBar.m_hFont);
    EXPECT_EQ(p->m_wndBar.m_hWndHost, nullptr);
    EXPECT_EQ(p->m_wndBar.m_hWndTree, nullptr);

    // The same frame again: the same instance.
    OnEvents(FakeFrame(1), 0x40, 0);
    EXPECT_EQ(LookupInstance(FakeFrame(1)), p);

    BOOL checked = 9;
    EXPECT_TRUE(QueryStatus(FakeFrame(1), &checked));
    EXPECT_FALSE(checked);
    p->m_nBarId = 4;  // as after an open the editor accepted
    EXPECT_TRUE(QueryStatus(FakeFrame(1), &checked));
    EXPECT_TRUE(checked);
    OnEvents(FakeFrame(1), 0x80000, 0);
    EXPECT_EQ(p->m_nBarId, -1);
    OnEvents(FakeFrame(1), 0x80000, 0);
    EXPECT_EQ(p->m_nBarId, -1);

    // The command on a frame whose panel cannot be built (no window behind the handle).
    OnCommand(FakeFrame(1));
    EXPECT_EQ(p->m_nBarId, -1);
    EXPECT_EQ(p->m_wndBar.m_hWnd, nullptr);

    // Close with and without bar-closed; close of a frame never seen: no entry is left.
    OnEvents(FakeFrame(2), 0, 0);
    p->m_nBarId = 0;
    OnEvents(FakeFrame(1), 0x80008, 0);
    OnEvents(FakeFrame(2), 0x8, 0);
    OnEvents(FakeFrame(3), 0x8, 0);
    EXPECT_TRUE(g_mapInstances.empty());

    // A handle value used again after its close gets a fresh instance.
    OnEvents(FakeFrame(1), 0, 0);
    ASSERT_NE(LookupInstance(FakeFrame(1)), nullptr);
    EXPECT_EQ(LookupInstance(FakeFrame(1))->m_nBarId, -1);

    // Unloaded while frames are open: their instances go with the module.
    OnEvents(FakeFrame(2), 0, 0);
    Detach();
    EXPECT_TRUE(g_mapInstances.empty());
}

TEST_F(ModuleLifetimeTest, ProcessExitLeavesTheInstancesOfOpenFrames) {
    Attach();
    OnEvents(FakeFrame(5), 0, 0);
    int exiting = 1;
    DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH, &exiting);
    EXPECT_EQ(g_mapInstances.size(), 1u);
    DestroyAllInstances();
}

}  // namespace
