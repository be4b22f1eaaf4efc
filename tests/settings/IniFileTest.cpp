// The store over real files: bytes written with plain file I/O, loaded, made dirty with one
// SetValue, saved the way detach saves (UTF-8 without byte order mark), and compared byte by byte.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include "IniCases.h"
#include "settings/IniFile.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::string;

Bytes Utf8(const Text& text) {
    if (text.empty()) return Bytes();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    Bytes out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::string Show(const Bytes& bytes) {
    std::string out;
    char hex[8];
    for (unsigned char c : bytes) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c >= 0x20 && c < 0x7F) out += char(c);
        else {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

class IniFileFixture : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        m_root = fs::path(temp) / (L"shelfmap-ini-" + std::to_wstring(GetCurrentProcessId()));
        fs::remove_all(m_root);
        fs::create_directories(m_root);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    Text PathOf(const wchar_t* name) const { return (m_root / name).wstring(); }

    static void WriteBytes(const Text& path, const Bytes& bytes) {
        std::ofstream(fs::path(path), std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }
    static Bytes ReadBytes(const Text& path) {
        std::ifstream in(fs::path(path), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Load as attach does, set one value, save as detach would.
    static void LoadSetSave(CIniFile& ini, const Text& path, const Text& section, const Text& key, const Text& value) {
        ini.Load(path);
        EXPECT_FALSE(ini.m_bDirty);
        ini.m_nEncoding = ENC_UTF8;
        ASSERT_NE(ini.SetValue(section, key, value), nullptr);
        EXPECT_TRUE(ini.m_bDirty);
        ini.Save(ini.m_strFilePath, ini.m_nEncoding);
        EXPECT_FALSE(ini.m_bDirty);
    }

    fs::path m_root;
};

TEST_F(IniFileFixture, CasesOverRealFiles) {
    const Text path = PathOf(L"cases.ini");
    for (const IniCase& c : kIniCases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path, Utf8(c.text));
        CIniFile ini;
        LoadSetSave(ini, path, c.section, c.key, c.value);
        EXPECT_EQ(Show(ReadBytes(path)), Show(Utf8(c.saved)));
    }
}

struct FileRow {
    const char* name;
    bool exists;
    Bytes bytes;
    TextEncoding loaded;  // m_nEncoding right after the load
    Bytes saved;          // after SetValue("S", "k", "v") and a save in UTF-8
};

TEST_F(IniFileFixture, EncodingsAndUnreadableFiles) {
    const Bytes setOnly = "[S]\r\nk=v\r\n\r\n";
    const FileRow rows[] = {
        {"missing file: empty store, CR LF", false, "", ENC_UNKNOWN, setOnly},
        {"not text (a zero byte): empty store", true, Bytes("a=1\r\n\0\r\n", 8), ENC_BINARY, setOnly},
        {"empty file", true, "", ENC_ANSI, setOnly},
        {"UTF-16 little-endian", true, Bytes("\xFF\xFE" "a\0=\0" "1\0\n\0", 10), ENC_UTF16LE,
         "a=1\n\n[S]\nk=v\n\n"},
        {"UTF-16 big-endian", true, Bytes("\xFE\xFF\0[\0S\0]\0\r\0\n\0a\0=\0" "1\0\r\0\n", 22), ENC_UTF16BE,
         "[S]\r\na=1\r\nk=v\r\n\r\n"},
        {"UTF-8 with byte order mark: saved without", true, "\xEF\xBB\xBF[\xC3\x84]\r\nx=\xC3\xA9\r\n", ENC_UTF8_BOM,
         "[\xC3\x84]\r\nx=\xC3\xA9\r\n\r\n[S]\r\nk=v\r\n\r\n"},
        {"Shift_JIS: saved as UTF-8", true, "[\x90\xDD\x92\xE8]\r\n\x96\xBC\x91\x4F=\x92\x6C\r\n", ENC_SHIFT_JIS,
         "[\xE8\xA8\xAD\xE5\xAE\x9A]\r\n\xE5\x90\x8D\xE5\x89\x8D=\xE5\x80\xA4\r\n\r\n[S]\r\nk=v\r\n\r\n"},
    };
    for (const FileRow& row : rows) {
        SCOPED_TRACE(row.name);
        const Text path = PathOf(L"row.ini");
        std::error_code ignored;
        fs::remove(fs::path(path), ignored);
        if (row.exists) WriteBytes(path, row.bytes);

        CIniFile ini;
        ini.Load(path);
        EXPECT_EQ(ini.m_nEncoding, row.loaded);
        EXPECT_EQ(ini.m_strFilePath, path);
        ini.m_nEncoding = ENC_UTF8;
        ini.SetValue(TXT("S"), TXT("k"), TXT("v"));
        ini.Save(ini.m_strFilePath, ini.m_nEncoding);
        EXPECT_EQ(Show(ReadBytes(path)), Show(row.saved));
    }
}

TEST_F(IniFileFixture, CleanStoreLeavesTheFileUntouched) {
    const Text path = PathOf(L"clean.ini");
    const Bytes original = "; kept as it is\r\n[S]\r\na = 1\r\ntail";
    WriteBytes(path, original);
    const auto stamp = fs::last_write_time(fs::path(path));
    {
        CIniFile ini;
        ini.Load(path);
        ini.Save(ini.m_strFilePath, ENC_UTF8);  // clean: nothing written
        CIniFile never;
        never.Save(PathOf(L"never.ini"), ENC_UTF8);
    }  // destruction does not save either
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(fs::last_write_time(fs::path(path)), stamp);
    EXPECT_FALSE(fs::exists(m_root / L"never.ini"));
}

TEST_F(IniFileFixture, FailedWriteKeepsTheStoreDirty) {
    const Text folder = PathOf(L"Folder.ini");
    fs::create_directories(fs::path(folder));
    CIniFile ini;
    ini.Load(folder);  // a folder reads as nothing
    EXPECT_TRUE(ini.m_sections.empty());
    EXPECT_EQ(ini.m_nEncoding, ENC_UNKNOWN);
    ini.SetValue(TXT("S"), TXT("k"), TXT("v"));
    ini.Save(folder, ENC_UTF8);
    EXPECT_TRUE(fs::is_directory(fs::path(folder)));
    EXPECT_TRUE(ini.m_bDirty);  // the values were not written: a later save still writes them

    const Text elsewhere = PathOf(L"Plugins\\Shelfmap\\Shelfmap.ini");  // folders made on the way
    ini.Save(elsewhere, ENC_UTF8);
    EXPECT_FALSE(ini.m_bDirty);
    EXPECT_EQ(ReadBytes(elsewhere), "[S]\r\nk=v\r\n\r\n");
}

TEST_F(IniFileFixture, LockIsFreeBetweenCalls) {
    const Text path = PathOf(L"lock.ini");
    WriteBytes(path, "[S]\r\na=1\r\n");
    CIniFile ini;
    ASSERT_TRUE(ini.m_hMutex);
    ini.Load(path);
    ini.SetValue(TXT("s"), TXT("b"), TXT("2"));
    ini.Save(path, ENC_UTF8);
    // The mutex is re-entrant for its owner, so only another thread can tell whether it is held.
    DWORD wait = WAIT_FAILED;
    std::thread other([&] {
        wait = WaitForSingleObject(ini.m_hMutex.get(), 0);
        if (wait == WAIT_OBJECT_0) ReleaseMutex(ini.m_hMutex.get());
    });
    other.join();
    EXPECT_EQ(wait, WAIT_OBJECT_0);
    EXPECT_EQ(ReadBytes(path), "[S]\r\na=1\r\nb=2\r\n\r\n");
}

TEST_F(IniFileFixture, SecondLoadAddsToTheStoreAndMovesThePath) {
    const Text first = PathOf(L"first.ini");
    const Text second = PathOf(L"second.ini");
    WriteBytes(first, "[S]\na=1\n");
    WriteBytes(second, "[s]\r\nA=2\r\nb=3\r\n");
    CIniFile ini;
    ini.Load(first);
    ini.Load(second);
    EXPECT_EQ(ini.m_strFilePath, second);
    ini.SetValue(TXT("T"), TXT("c"), TXT("4"));
    ini.Save(ini.m_strFilePath, ENC_UTF8);
    EXPECT_EQ(ReadBytes(second), "[S]\na=2\nb=3\n\n[T]\nc=4\n\n");
}

}  // namespace
