// shelfmap-check FILE...: one line per file, UTF-8 into pipes, errors on stderr and in the status.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ProcessRunner.h"

namespace {

const std::wstring kTool = WinePath(SHELFMAP_CHECK_EXE);
const std::wstring kFavorites = WinePath(SHELFMAP_SOURCE_DIR "/tests/data/favorites/");

std::string Utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Quote(const std::wstring& arg) { return L"\"" + arg + L"\""; }

ProcessResult Check(const std::vector<std::wstring>& args) {
    std::wstring line = Quote(kTool);
    for (const auto& a : args) line += L" " + Quote(a);
    return RunProcess(line);
}

// A scratch folder of the test's own, removed with its files afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        m_path = std::wstring(base) + L"shelfmap-check-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~ScratchFolder() {
        for (const auto& f : m_files) DeleteFileW(f.c_str());
        RemoveDirectoryW(m_path.c_str());
    }
    std::wstring Add(const std::wstring& name, const std::string& bytes) {
        const std::wstring path = m_path + name;
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
        m_files.push_back(path);
        return path;
    }
    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
    std::vector<std::wstring> m_files;
};

TEST(CheckEncoding, ListsEachExampleWithItsCodeNameAndPath) {
    struct Row {
        const wchar_t* file;
        const char* expected;
    } rows[] = {
        {L"Favorites.ascii.txt", "2\tENC_ANSI"},         {L"Favorites.sjis.txt", "3\tENC_SHIFT_JIS"},
        {L"Favorites.eucjp.txt", "4\tENC_EUC_JP"},       {L"Favorites.iso2022jp.txt", "5\tENC_ISO_2022_JP"},
        {L"Favorites.utf16le.txt", "6\tENC_UTF16LE"},    {L"Favorites.utf16be.txt", "7\tENC_UTF16BE"},
        {L"Favorites.utf8.txt", "8\tENC_UTF8"},          {L"Favorites.utf8bom.txt", "9\tENC_UTF8_BOM"},
        {L"Favorites.utf7.txt", "10\tENC_UTF7"},
    };
    std::vector<std::wstring> args;
    std::string expected;
    for (const Row& row : rows) {
        args.push_back(kFavorites + row.file);
        expected += std::string(row.expected) + "\t" + Utf8(kFavorites + row.file) + "\n";
    }
    const ProcessResult r = Check(args);
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");
}

TEST(CheckEncoding, JapaneseNamesSurviveAndNotTextIsListedAsCodeOne) {
    ScratchFolder scratch;
    const std::wstring japanese = scratch.Add(L"お気に入り.txt", "plain text\r\n");
    const std::wstring binary = scratch.Add(L"image.bin", std::string("GIF89a\0\0", 8));
    const ProcessResult r = Check({japanese, binary});
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(r.out, "2\tENC_ANSI\t" + Utf8(japanese) + "\n1\tENC_BINARY\t" + Utf8(binary) + "\n");
}

TEST(CheckEncoding, UnreadableFilesAreReportedOnStderrAndInTheStatus) {
    ScratchFolder scratch;
    const std::wstring good = scratch.Add(L"good.txt", "abc");
    const std::wstring locked = scratch.Add(L"locked.txt", "abc");
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const std::wstring missing = scratch.path() + L"missing.txt";
    const std::wstring folder = scratch.path().substr(0, scratch.path().size() - 1);
    const ProcessResult r = Check({missing, folder, locked, good});
    CloseHandle(holder);

    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_EQ(r.out, "2\tENC_ANSI\t" + Utf8(good) + "\n");  // the readable file is still listed
    EXPECT_NE(r.err.find(Utf8(missing) + ": no such file"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(Utf8(folder) + ": is a folder"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(Utf8(locked) + ": the file is in use by another program"), std::string::npos) << r.err;
}

TEST(CheckEncoding, NoArgumentsPrintsUsageAndFails) {
    const ProcessResult r = Check({});
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("usage: shelfmap-check FILE..."), std::string::npos);
}

}  // namespace
