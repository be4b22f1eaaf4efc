// shelfmap-check --ini FILE: the store's saved form of FILE on standard output, byte for byte.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ProcessRunner.h"

namespace {

const std::wstring kTool = WinePath(SHELFMAP_CHECK_EXE);

std::wstring ScratchFile(const wchar_t* name, const std::string& bytes) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    const std::wstring path = std::wstring(base) + L"shelfmap-check-ini-" + std::to_wstring(GetCurrentProcessId()) + name;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return path;
}

ProcessResult CheckIni(const std::wstring& path) { return RunProcess(L"\"" + kTool + L"\" --ini \"" + path + L"\""); }

TEST(CheckIni, PrintsWhatASaveWouldWrite) {
    struct Row {
        const char* name;
        std::string bytes;
        std::string out;
    } rows[] = {
        {"merged, reordered, comments and the unterminated last line gone",
         "; comment\r\ntop = 1\r\n[Main]\r\nWidth=240\r\n[main]\r\nwidth=300\r\n[]\r\nlate=yes\r\ntail=x",
         "top= 1\r\nlate=yes\r\n\r\n[Main]\r\nWidth=300\r\n\r\n"},
        {"the first line break rules", "[S]\na=1\r\n", "[S]\na=1\n\n"},
        {"Shift_JIS comes out as UTF-8", "[\x90\xDD\x92\xE8]\r\n\x96\xBC\x91\x4F=\x92\x6C\r\n",
         "[\xE8\xA8\xAD\xE5\xAE\x9A]\r\n\xE5\x90\x8D\xE5\x89\x8D=\xE5\x80\xA4\r\n\r\n"},
        {"no entries: nothing", "; only a comment\r\n[Empty]\r\n", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::wstring path = ScratchFile(L".ini", row.bytes);
        const ProcessResult r = CheckIni(path);
        DeleteFileW(path.c_str());
        EXPECT_EQ(r.exitCode, 0u) << r.err;
        EXPECT_EQ(r.out, row.out);
        EXPECT_EQ(r.err, "");
    }
}

TEST(CheckIni, UnreadableOrBinaryFileFails) {
    const std::wstring binary = ScratchFile(L".bin", std::string("a=1\r\n\0\r\n", 8));
    const ProcessResult notText = CheckIni(binary);
    DeleteFileW(binary.c_str());
    EXPECT_EQ(notText.exitCode, 1u);
    EXPECT_EQ(notText.out, "");
    EXPECT_NE(notText.err.find("not a text file"), std::string::npos) << notText.err;

    const ProcessResult missing = CheckIni(binary + L".missing");
    EXPECT_EQ(missing.exitCode, 1u);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("cannot be read"), std::string::npos) << missing.err;
}

}  // namespace
