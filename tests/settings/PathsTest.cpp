// Where the host's and the module's INI files lie, computed from the paths the system reports,
// with real files and folders on disk and a stand-in application-data folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <shlobj.h>
#include "settings/Paths.h"

namespace fs = std::filesystem;

namespace {

std::string Narrow(const Text& text) { return fs::path(text).u8string(); }

// A scratch folder: A\Tarn.ini is a file, B\Tarn.ini a folder, C\ holds nothing, and D\ is an
// application-data folder that holds Tarn\Tarn.ini too.
class PathsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        m_root = fs::path(temp) / (L"shelfmap-paths-" + std::to_wstring(GetCurrentProcessId()));
        fs::remove_all(m_root);
        fs::create_directories(m_root / L"A");
        fs::create_directories(m_root / L"B" / L"Tarn.ini");
        fs::create_directories(m_root / L"C");
        fs::create_directories(m_root / L"D" / L"Tarn");
        std::ofstream(m_root / L"A" / L"Tarn.ini") << "[x]\n";
        std::ofstream(m_root / L"D" / L"Tarn" / L"Tarn.ini") << "[x]\n";
        m_strRoot = m_root.wstring() + L"\\";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    // "{R}" stands for the scratch folder, with its trailing backslash.
    Text Resolve(const Text& text) const {
        Text out = text;
        for (size_t at; (at = out.find(L"{R}")) != Text::npos;) out.replace(at, 3, m_strRoot);
        return out;
    }

    fs::path m_root;
    Text m_strRoot;
};

// What GetModuleFileNameW leaves for a path in a buffer of MAX_PATH: a longer one is cut and the
// whole buffer's length returned; an empty one is a failed call.
Text AsSystemReturnsIt(const Text& path) {
    wchar_t buffer[MAX_PATH] = {};
    const size_t length = std::min<size_t>(path.size(), MAX_PATH);
    std::copy(path.begin(), path.begin() + length, buffer);
    if (length == MAX_PATH) buffer[MAX_PATH - 1] = L'\0';
    return PathFromSystem(buffer, static_cast<DWORD>(length));
}

struct PathRow {
    const char* name;
    Text moduleFile;
    Text hostProgram;
    const wchar_t* appData;  // null: the system gives no application-data folder
    Text moduleName;
    Text hostIni;
    Text pluginIni;
    Text favoritesFolder;  // FolderOfPath(pluginIni), where Favorites.txt lies
};

TEST_F(PathsFixture, ConfigPathsTable) {
    const Text shelf = L"X:\\Mods\\Shelfmap.dll";
    const Text longFolder(254, L'f');
    const Text longName(256, L'n');
    const Text longAppData = L"Y:\\" + Text(255, L'd');
    const std::vector<PathRow> rows = {
        {"Tarn.ini beside the program wins over the app-data one", shelf, L"{R}A\\ed.exe", L"{R}D", L"Shelfmap",
         L"{R}A\\Tarn.ini", L"{R}A\\Plugins\\Shelfmap\\Shelfmap.ini", L"{R}A\\Plugins\\Shelfmap\\"},
        {"a folder named Tarn.ini is no file: app data", shelf, L"{R}B\\ed.exe", L"Y:\\Data", L"Shelfmap",
         L"Y:\\Data\\Tarn\\Tarn.ini", L"Y:\\Data\\Tarn\\Plugins\\Shelfmap\\Shelfmap.ini",
         L"Y:\\Data\\Tarn\\Plugins\\Shelfmap\\"},
        {"no Tarn.ini beside the program: app data", shelf, L"{R}C\\ed.exe", L"Y:\\Data", L"Shelfmap",
         L"Y:\\Data\\Tarn\\Tarn.ini", L"Y:\\Data\\Tarn\\Plugins\\Shelfmap\\Shelfmap.ini",
         L"Y:\\Data\\Tarn\\Plugins\\Shelfmap\\"},
        {"neither: the path beside the program all the same", shelf, L"{R}C\\ed.exe", nullptr, L"Shelfmap",
         L"{R}C\\Tarn.ini", L"{R}C\\Plugins\\Shelfmap\\Shelfmap.ini", L"{R}C\\Plugins\\Shelfmap\\"},
        {"module file unknown: empty module name", L"", L"{R}A\\ed.exe", nullptr, L"", L"{R}A\\Tarn.ini",
         L"{R}A\\Plugins\\\\.ini", L"{R}A\\Plugins\\\\"},
        {"host program unknown: relative path, app data not asked", shelf, L"", L"Y:\\Data", L"Shelfmap", L"",
         L"Plugins\\Shelfmap\\Shelfmap.ini", L"Plugins\\Shelfmap\\"},
        {"dot segments go (file beside the program)", shelf, L"{R}A\\.\\sub\\..\\ed.exe", L"Y:\\Data",
         L"Shelfmap", L"{R}A\\Tarn.ini", L"{R}A\\Plugins\\Shelfmap\\Shelfmap.ini", L"{R}A\\Plugins\\Shelfmap\\"},
        {"dot segments go (nothing on disk)", shelf, L"X:\\A\\.\\B\\..\\ed.exe", nullptr, L"Shelfmap",
         L"X:\\A\\Tarn.ini", L"X:\\A\\Plugins\\Shelfmap\\Shelfmap.ini", L"X:\\A\\Plugins\\Shelfmap\\"},
        {"several dots: only the last one starts the extension", L"X:\\M\\Shelfmap.new.dll", L"X:\\A\\ed.exe",
         nullptr, L"Shelfmap.new", L"X:\\A\\Tarn.ini", L"X:\\A\\Plugins\\Shelfmap.new\\Shelfmap.new.ini",
         L"X:\\A\\Plugins\\Shelfmap.new\\"},
        {"a dot in a folder is no extension", L"X:\\v1.2\\Shelfmap", L"X:\\A\\ed.exe", nullptr, L"Shelfmap",
         L"X:\\A\\Tarn.ini", L"X:\\A\\Plugins\\Shelfmap\\Shelfmap.ini", L"X:\\A\\Plugins\\Shelfmap\\"},
        {"module path cut at 260 characters counts as unknown", L"X:\\" + Text(300, L'm') + L".dll",
         L"X:\\A\\ed.exe", nullptr, L"", L"X:\\A\\Tarn.ini", L"X:\\A\\Plugins\\\\.ini", L"X:\\A\\Plugins\\\\"},
        {"host path cut at 260 characters counts as unknown", shelf, L"X:\\" + Text(300, L'h') + L"\\ed.exe",
         L"Y:\\Data", L"Shelfmap", L"", L"Plugins\\Shelfmap\\Shelfmap.ini", L"Plugins\\Shelfmap\\"},
        {"folder part over 255 characters is kept whole", shelf, L"X:\\" + longFolder + L"\\e", nullptr,
         L"Shelfmap", L"X:\\" + longFolder + L"\\Tarn.ini",
         L"X:\\" + longFolder + L"\\Plugins\\Shelfmap\\Shelfmap.ini", L"X:\\" + longFolder + L"\\Plugins\\Shelfmap\\"},
        {"file name part over 255 characters is kept whole", L"X:" + longName, L"X:\\A\\ed.exe", nullptr, longName,
         L"X:\\A\\Tarn.ini", L"X:\\A\\Plugins\\" + longName + L"\\" + longName + L".ini",
         L"X:\\A\\Plugins\\" + longName + L"\\"},
        {"app-data path beyond 260 characters is kept whole", shelf, L"{R}C\\ed.exe", longAppData.c_str(),
         L"Shelfmap", longAppData + L"\\Tarn\\Tarn.ini", longAppData + L"\\Tarn\\Plugins\\Shelfmap\\Shelfmap.ini",
         longAppData + L"\\Tarn\\Plugins\\Shelfmap\\"},
    };

    const PathServices system = SystemPathServices();
    for (const PathRow& row : rows) {
        SCOPED_TRACE(row.name);
        int appDataAsked = 0;
        PathServices services = system;  // the real canonicalisation and file test
        services.appDataFolder = [&](Text& folder) {
            ++appDataAsked;
            if (!row.appData) return false;
            folder = Resolve(row.appData);
            return true;
        };
        const ConfigPaths paths = ComputeConfigPaths(AsSystemReturnsIt(Resolve(row.moduleFile)),
                                                     AsSystemReturnsIt(Resolve(row.hostProgram)), services);
        EXPECT_EQ(Narrow(paths.strModuleName), Narrow(row.moduleName));
        EXPECT_EQ(Narrow(paths.strHostIniPath), Narrow(Resolve(row.hostIni)));
        EXPECT_EQ(Narrow(paths.strPluginIniPath), Narrow(Resolve(row.pluginIni)));
        EXPECT_EQ(Narrow(FolderOfPath(paths.strPluginIniPath)), Narrow(Resolve(row.favoritesFolder)));
        if (row.hostProgram.empty() || row.hostIni.find(L"{R}A\\") == 0) {
            EXPECT_EQ(appDataAsked, 0);
        }
    }
}

struct SplitRow {
    Text path;
    Text drive, folder, name, ext;
};

TEST(SplitPath, PartsTable) {
    const Text longFolder = L"\\" + Text(400, L'f') + L"\\";
    const Text longName(400, L'n');
    const std::vector<SplitRow> rows = {
        {L"X:\\A\\B\\Shelfmap.ini", L"X:", L"\\A\\B\\", L"Shelfmap", L".ini"},
        {L"Shelfmap.ini", L"", L"", L"Shelfmap", L".ini"},
        {L"X:", L"X:", L"", L"", L""},
        {L"X:\\", L"X:", L"\\", L"", L""},
        {L"X:name.ext", L"X:", L"", L"name", L".ext"},
        {L"\\\\srv\\share\\f.txt", L"", L"\\\\srv\\share\\", L"f", L".txt"},
        {L"a/b\\c.d", L"", L"a/b\\", L"c", L".d"},
        {L"dir.d\\file", L"", L"dir.d\\", L"file", L""},
        {L"file.", L"", L"", L"file", L"."},
        {L".profile", L"", L"", L"", L".profile"},
        {L"", L"", L"", L"", L""},
        {L"X:" + longFolder + longName + L".e", L"X:", longFolder, longName, L".e"},
    };
    for (const SplitRow& row : rows) {
        SCOPED_TRACE(Narrow(row.path));
        const PathParts parts = SplitPath(row.path);
        EXPECT_EQ(Narrow(parts.strDrive), Narrow(row.drive));
        EXPECT_EQ(Narrow(parts.strFolder), Narrow(row.folder));
        EXPECT_EQ(Narrow(parts.strName), Narrow(row.name));
        EXPECT_EQ(Narrow(parts.strExt), Narrow(row.ext));
        EXPECT_EQ(Narrow(FolderOfPath(row.path)), Narrow(row.drive + row.folder));
    }
}

TEST_F(PathsFixture, IsExistingFileOnlyForFiles) {
    EXPECT_TRUE(IsExistingFile(m_strRoot + L"A\\Tarn.ini"));
    EXPECT_FALSE(IsExistingFile(m_strRoot + L"B\\Tarn.ini"));  // a folder
    EXPECT_FALSE(IsExistingFile(m_strRoot + L"C\\Tarn.ini"));
    EXPECT_FALSE(IsExistingFile(L""));
    EXPECT_FALSE(IsExistingFile(m_strRoot + L"A\\" + Text(300, L'x')));
}

// The real thing: this test program is both the module and the host program.
TEST(InitPaths, FromTheRunningProgram) {
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH);
    const fs::path program(self);
    ASSERT_FALSE(fs::exists(program.parent_path() / L"Tarn.ini"));
    wchar_t appData[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, TRUE));

    InitPaths(GetModuleHandleW(nullptr));
    EXPECT_EQ(Narrow(g_strModuleName), "settings_paths_test");
    EXPECT_EQ(Narrow(g_strHostIniPath), Narrow(Text(appData) + L"\\Tarn\\Tarn.ini"));
    EXPECT_EQ(Narrow(g_strPluginIniPath),
              Narrow(Text(appData) + L"\\Tarn\\Plugins\\settings_paths_test\\settings_paths_test.ini"));
}

}  // namespace
