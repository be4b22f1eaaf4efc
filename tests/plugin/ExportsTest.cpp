// The built Shelfmap.dll as the editor meets it: its exports through GetProcAddress and its
// resources read back with the system's own loaders.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "HostRun.h"

namespace {

using PluginProcFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
using QueryStatusFn = BOOL(WINAPI*)(HWND, BOOL*);
using IdFn = UINT(WINAPI*)();

class ExportsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_hDll = LoadLibraryW(WinePathOf(SHELFMAP_DLL_PATH).c_str());
    }
    static void TearDownTestSuite() {
        if (s_hDll) FreeLibrary(s_hDll);
        s_hDll = nullptr;
    }
    void SetUp() override { ASSERT_NE(s_hDll, nullptr) << "cannot load " << SHELFMAP_DLL_PATH; }

    template <typename Fn>
    static Fn Export(const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(s_hDll, name)));
    }

    static std::vector<unsigned char> Resource(LPCWSTR type, LPCWSTR name) {
        HRSRC hRes = FindResourceW(s_hDll, name, type);
        if (!hRes) return {};
        HGLOBAL hData = LoadResource(s_hDll, hRes);
        auto* p = static_cast<const unsigned char*>(LockResource(hData));
        return p ? std::vector<unsigned char>(p, p + SizeofResource(s_hDll, hRes)) : std::vector<unsigned char>();
    }

    static HMODULE s_hDll;
};

HMODULE ExportsTest::s_hDll = nullptr;

TEST_F(ExportsTest, IdQueriesAnswerBeforeAnyFrameIsKnown) {
    auto menu = Export<IdFn>("GetMenuTextID");
    auto status = Export<IdFn>("GetStatusMessageID");
    auto icon = Export<IdFn>("GetIconID");
    ASSERT_TRUE(menu && status && icon);
    EXPECT_EQ(menu(), 40000u);
    EXPECT_EQ(status(), 40001u);
    EXPECT_EQ(icon(), 101u);
}

TEST_F(ExportsTest, QueryStatusWithoutPointerOrFrameAnswersTrue) {
    auto query = Export<QueryStatusFn>("QueryStatus");
    ASSERT_TRUE(query);
    EXPECT_EQ(query(nullptr, nullptr), TRUE);
    BOOL checked = 77;
    EXPECT_EQ(query(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x12340000)), &checked), TRUE);
    EXPECT_EQ(checked, FALSE);  // no instance: unchecked, and nothing touched through a null record
}

struct ProcCase {
    UINT code;
    WPARAM size;       // buffer size handed over in wParam
    bool buffer;       // false: lParam is null
    LRESULT result;
    const wchar_t* written;  // what the buffer holds up to its terminator; null: untouched
};

const ProcCase kProcCases[] = {
    {2306, 64, true, 8, L"Shelfmap"},
    {2306, 9, true, 8, L"Shelfmap"},       // the text and its terminator, exactly
    {2306, 8, true, 8, L"Shelfma"},        // one short: cut, still terminated
    {2306, 1, true, 8, L""},
    {2306, 0, true, 8, nullptr},           // no room at all: nothing written
    {2306, 9, false, 8, nullptr},
    {2306, 100, false, 8, nullptr},
    {2307, 8, true, 7, L"0.2.2.0"},
    {2307, 7, true, 7, L"0.2.2."},
    {2307, 3, true, 7, L"0."},
    {2307, 0, false, 7, nullptr},
    {2304, 64, true, 0, nullptr},
    {2305, 64, true, 0, nullptr},
    {2308, 64, true, 0, nullptr},
    {0, 64, true, 0, nullptr},
    {0xFFFFFFFFu, 64, true, 0, nullptr},
};

TEST_F(ExportsTest, PluginProcCopiesNoFurtherThanTheBufferAndReturnsTheLength) {
    auto proc = Export<PluginProcFn>("PluginProc");
    ASSERT_TRUE(proc);
    for (const ProcCase& c : kProcCases) {
        SCOPED_TRACE("code " + std::to_string(c.code) + " size " + std::to_string(c.size) +
                     (c.buffer ? "" : " null buffer"));
        wchar_t buffer[80];
        wmemset(buffer, L'#', 80);
        LRESULT result = proc(nullptr, c.code, c.size, c.buffer ? reinterpret_cast<LPARAM>(buffer) : 0);
        EXPECT_EQ(result, c.result);
        size_t touched = 0;
        while (touched < 80 && buffer[touched] != L'#') ++touched;
        if (!c.written) {
            EXPECT_EQ(touched, 0u);
            continue;
        }
        EXPECT_EQ(std::wstring(buffer), std::wstring(c.written));
        EXPECT_LE(touched, static_cast<size_t>(c.size)) << "wrote past the buffer";
        EXPECT_EQ(touched, wcslen(c.written) + 1);
    }
}

TEST_F(ExportsTest, StringsAreTheMenuTextAndTheStatusText) {
    wchar_t buffer[128] = {};
    ASSERT_EQ(LoadStringW(s_hDll, 40000, buffer, 128), 8);
    EXPECT_EQ(std::wstring(buffer), L"Shelfmap");
    ASSERT_GT(LoadStringW(s_hDll, 40001, buffer, 128), 0);
    const std::wstring status = L"Shelfmap|\u304A\u6C17\u306B\u5165\u3092\u30C4\u30EA\u30FC\u3092\u8868\u793A"
                                L"\u3057\u307E\u3059\uFF0E";
    EXPECT_EQ(std::wstring(buffer), status);
}

// Appends little-endian values and UTF-16 texts, as a classic DLGTEMPLATE lays them out.
struct TemplateWriter {
    std::vector<unsigned char> bytes;
    void Word(unsigned v) {
        bytes.push_back(static_cast<unsigned char>(v & 0xFF));
        bytes.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
    }
    void Dword(unsigned long v) {
        Word(static_cast<unsigned>(v & 0xFFFF));
        Word(static_cast<unsigned>(v >> 16));
    }
    void Text(const wchar_t* s) {
        for (; *s; ++s) Word(*s);
        Word(0);
    }
    void Align() {
        while (bytes.size() % 4) bytes.push_back(0);
    }
};

TEST_F(ExportsTest, DialogTemplateIsTheClassicLayoutOfThePanel) {
    std::vector<unsigned char> actual = Resource(MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(107));  // RT_DIALOG
    ASSERT_FALSE(actual.empty());
    TemplateWriter w;
    w.Dword(0x8008084C);  // style: not an extended template, which would start with 1, 0xFFFF
    w.Dword(0);           // extended style
    w.Word(1);            // one control
    w.Word(0), w.Word(0), w.Word(186), w.Word(95);
    w.Word(0);            // no menu
    w.Word(0);            // the default dialog class
    w.Word(0);            // empty caption
    w.Word(9);            // DS_SETFONT: point size and face
    w.Text(L"MS UI Gothic");
    w.Align();
    w.Dword(0x50811817);
    w.Dword(0);
    w.Word(0), w.Word(0), w.Word(186), w.Word(95);
    w.Word(1001);
    const size_t classAt = w.bytes.size();
    w.Text(L"SysTreeView32");
    const size_t classEnd = w.bytes.size();
    w.Text(L"test");
    w.Word(0);            // no creation data
    const std::vector<unsigned char>& expected = w.bytes;

    ASSERT_GE(actual.size(), expected.size());
    EXPECT_LT(actual.size(), expected.size() + 4) << "more than padding after the control";
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + classAt, actual.begin()));
    // Class names compare without regard to case (the resource compiler may upper-case them).
    for (size_t i = classAt; i < classEnd; i += 2)
        EXPECT_EQ(towupper(expected[i] | (expected[i + 1] << 8)), towupper(actual[i] | (actual[i + 1] << 8)))
            << "class name at byte " << i;
    EXPECT_TRUE(std::equal(expected.begin() + classEnd, expected.end(), actual.begin() + classEnd));
}

TEST_F(ExportsTest, IconIsOneSixteenPixelImageWithAlpha) {
    // The group: one image, 16 by 16, 32 bits per pixel.
    std::vector<unsigned char> group = Resource(MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(101));  // RT_GROUP_ICON
    ASSERT_EQ(group.size(), 6u + 14u);
    EXPECT_EQ(group[4] | (group[5] << 8), 1);   // count
    EXPECT_EQ(group[6], 16);                     // width
    EXPECT_EQ(group[7], 16);                     // height
    EXPECT_EQ(group[12] | (group[13] << 8), 32); // bits per pixel
    const int imageId = group[18] | (group[19] << 8);

    std::vector<unsigned char> image = Resource(MAKEINTRESOURCEW(3), MAKEINTRESOURCEW(imageId));  // RT_ICON
    ASSERT_GE(image.size(), 40u + 16u * 16u * 4u);
    BITMAPINFOHEADER bih;
    std::memcpy(&bih, image.data(), sizeof bih);
    EXPECT_EQ(bih.biWidth, 16);
    EXPECT_EQ(bih.biHeight, 32);  // colour and mask
    EXPECT_EQ(bih.biBitCount, 32);
    // Transparent corner, opaque blue edge, white inside (rows are stored bottom-up).
    auto pixel = [&](int x, int y) { return image.data() + 40 + ((15 - y) * 16 + x) * 4; };
    EXPECT_EQ(pixel(0, 0)[3], 0);
    const unsigned char* edge = pixel(1, 8);
    EXPECT_EQ(edge[3], 255);
    EXPECT_GT(edge[0], edge[2]);  // B over R
    const unsigned char* inside = pixel(7, 10);
    EXPECT_EQ(inside[0] & inside[1] & inside[2] & inside[3], 255);

    // And as the editor loads it.
    auto hIcon = static_cast<HICON>(LoadImageW(s_hDll, MAKEINTRESOURCEW(101), IMAGE_ICON, 0, 0, 0));
    ASSERT_NE(hIcon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(hIcon, &info));
    BITMAP bm = {};
    ASSERT_NE(info.hbmColor, nullptr);
    ASSERT_TRUE(GetObjectW(info.hbmColor, sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 16);
    EXPECT_EQ(bm.bmHeight, 16);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    DestroyIcon(hIcon);
}

TEST_F(ExportsTest, ManifestAsksForCommonControlsSixAsInvoker) {
    std::vector<unsigned char> bytes = Resource(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(2));  // RT_MANIFEST
    ASSERT_FALSE(bytes.empty());
    const std::string text(bytes.begin(), bytes.end());
    for (const char* part : {"level=\"asInvoker\"", "uiAccess=\"false\"",
                             "name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                             sizeof(void*) == 8 ? "processorArchitecture=\"amd64\"" : "processorArchitecture=\"x86\""})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
}

TEST_F(ExportsTest, VersionResourceIs0220) {
    std::vector<unsigned char> bytes = Resource(MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1));  // RT_VERSION
    ASSERT_GT(bytes.size(), 40u + sizeof(VS_FIXEDFILEINFO));
    // VS_VERSIONINFO: three words, the key "VS_VERSION_INFO", padding, then the fixed part.
    const wchar_t key[] = L"VS_VERSION_INFO";
    size_t at = 6 + sizeof key;
    at = (at + 3) & ~size_t(3);
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, bytes.data() + at, sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00000002u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x00020000u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00000002u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0x00020000u);
}

}  // namespace
