// The favourites panel end to end: the real DLL in the stand-in editor under Wine, its tree read
// back item by item and compared with what shelfmap-check --outline prints for the same file, real
// mouse and keyboard input through SendInput, resizing, and long and deep files.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostRun.h"
#include "ProcessRunner.h"

namespace {

const char* const kTreeScript = "open-frame; toggle 0; dump-tree 0; toggle 0";

std::vector<std::string> SplitOutput(const std::string& out) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos) end = out.size();
        lines.push_back(out.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// What the check tool prints for the file: the tree the panel should show.
std::vector<std::string> CheckToolTree(const std::wstring& path) {
    const ProcessResult run = RunProcess(L"\"" + WinePath(SHELFMAP_CHECK_EXE) + L"\" --outline \"" + path + L"\"");
    EXPECT_LE(run.exitCode, 1u) << run.err;
    return SplitOutput(run.out);
}

// What the panel's tree showed, in the same format.
std::vector<std::string> PanelTree(const HostResult& result) {
    std::vector<std::string> lines;
    for (const LogRecord& r : result.Named({"TreeItem"})) lines.push_back(r.Get("text"));
    return lines;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += "    " + l + "\n";
    return s;
}

class PanelHost : public ::testing::Test {
protected:
    std::wstring FavoritesPath() const { return m_box.PluginFolder() + L"Favorites.txt"; }

    // Opens the panel on bytes as "Favorites.txt", checks that the host ran clean and that the
    // panel's tree is the check tool's, item by item; returns the run.
    HostResult OpenOn(const std::string& bytes, const char* what, const std::string& script = kTreeScript) {
        EXPECT_TRUE(m_box.WriteFile(FavoritesPath(), bytes)) << what;
        HostResult result = m_box.Run(script);
        EXPECT_EQ(result.exitCode, 0u) << what << "\n" << result.Dump();
        EXPECT_EQ(result.Last("Crash"), nullptr) << what;
        const std::vector<std::string> panel = PanelTree(result);
        const std::vector<std::string> check = CheckToolTree(FavoritesPath());
        EXPECT_EQ(panel, check) << what << "\npanel:\n" << Lines(panel) << "check tool:\n" << Lines(check);
        // Every item with children was left expanded.
        for (const LogRecord& r : result.Named({"TreeItem"})) {
            if (r.Num("children") == 1) {
                EXPECT_EQ(r.Num("expanded"), 1) << what << ": " << r.line;
            }
        }
        return result;
    }

    HostSandbox m_box;
};

TEST_F(PanelHost, TheTreeIsTheCheckToolsForTheExamplesAndEdgeCases) {
    struct Case {
        const char* what;
        std::string bytes;
        long long items;
        long long levels;
    };
    std::string rising;
    for (int i = 0; i < 300; ++i) rising += std::string(static_cast<size_t>(i), '\t') + "C:\\r\\" + std::to_string(i) + "\n";
    const Case cases[] = {
        {"the worked example", "Work\r\n\tC:\\proj\\plan.txt\r\n\t\t\tC:\\proj\\a\\\r\n\t\tC:\\proj\\b.txt\r\n-\r\n\tNotes\r\n", 6, 3},
        // The ways a text is cut into lines.
        {"empty file", "", 0, 0},
        {"a", "a", 1, 1},
        {"a CR LF b", "a\r\nb", 2, 1},
        {"a CR LF", "a\r\n", 2, 1},
        {"a CR", "a\r", 2, 1},
        {"a LF CR b", "a\n\rb", 3, 1},
        {"a CR CR LF b", "a\r\r\nb", 3, 1},
        {"LF", "\n", 2, 1},
        // Placement.
        {"an empty line ends the nesting", "A\n\tb\n\n\tc", 4, 2},
        {"a line of tabs only", "A\n\t\t", 2, 2},
        {"lone hyphens after tabs are skipped", "A\n\tb\n\t\t-\n\tc\n-\n\t\td", 4, 3},
        {"hyphens with company are entries", "- \n -\n--\n\t-x", 4, 2},
        {"a trailing backslash", "C:\\dir\\\r\nC:/a/b.txt", 2, 1},
        {"the first line at the top whatever its depth", "\t\t\tA\n\tb\n\t\t\t\tc", 3, 2},
        {"depths 0, 3, 1", "A\n\t\t\tb\n\tc", 3, 2},
        {"a space before the tab", "A\n \tb", 2, 1},
        {"inner and trailing tabs stay", "\ta\\b \tc\t ", 1, 1},
        {"300 levels stop at 256 (and the last break adds an empty entry)", rising, 301, 256},
    };
    for (const Case& c : cases) {
        const HostResult result = OpenOn(c.bytes, c.what);
        const LogRecord* dump = result.Last("TreeDump");
        ASSERT_NE(dump, nullptr) << c.what;
        EXPECT_EQ(dump->Num("items"), c.items) << c.what;
        EXPECT_EQ(dump->Num("count"), c.items) << c.what;
        EXPECT_EQ(dump->Num("levels"), c.levels) << c.what;
    }
}

TEST_F(PanelHost, EveryEncodingShowsTheSameTree) {
    const std::string data = std::string(SHELFMAP_SOURCE_DIR) + "/tests/data/favorites/";
    const std::vector<std::string> expected =
        SplitOutput(ReadFileBytes(WinePathOf((std::string(SHELFMAP_SOURCE_DIR) + "/tests/panel/expected/Favorites.outline.txt").c_str())));
    ASSERT_EQ(expected.size(), 8u);
    for (const char* name : {"utf8", "utf8bom", "utf16le", "utf16be", "sjis", "eucjp", "iso2022jp", "utf7", "ascii"}) {
        const std::string bytes = ReadFileBytes(WinePathOf((data + "Favorites." + name + ".txt").c_str()));
        ASSERT_FALSE(bytes.empty()) << name;
        const HostResult result = OpenOn(bytes, name);
        if (std::string(name) != "ascii") {
            EXPECT_EQ(PanelTree(result), expected) << name;
        }
    }
}

TEST_F(PanelHost, RealDoubleClicksOpenLeavesOnlyOnTheirLabels) {
    // 0 Work / 1 plan.txt / 2 (empty label) / 3 Group / 4 Docs / 5 deep.txt
    ASSERT_TRUE(m_box.WriteFile(FavoritesPath(),
                                "Work\r\n\tC:\\proj\\plan.txt\r\n\tC:\\proj\\sub\\\r\n\tGroup\r\n\tDocs\r\n\t\tC:\\docs\\deep.txt\r\n"));
    // Clicks on one item are kept longer apart than the double-click time, so only the pairs
    // meant as double-clicks are ones.
    const HostResult result = m_box.Run(
        "open-frame; toggle 0;"
        "click-item 0 1 label 2; pump 700; click-item 0 2 label 2; pump 700; click-item 0 3 label 2; pump 700;"
        "click-item 0 5 label 2; pump 700;"
        "click-item 0 1 right 2; pump 700; click-item 0 5 indent 2; pump 700; click-item 0 4 button 2; pump 700;"
        "click-item 0 4 label 2; pump 700; click-item 0 0 label 2; pump 700;"
        "click-item 0 1 label 1; pump 700; key 13; pump 700; click-item 0 1 label 1; pump 700;");
    ASSERT_EQ(result.exitCode, 0u) << result.Dump();
    EXPECT_TRUE(SequenceMatches(result, {"ClickAt", "ClickRefused", "Key", "HM_OPEN_FILE"},
                                {
                                    "ClickAt index=1 hit=0x4 hit-item=1 count=2",
                                    "HM_OPEN_FILE frame=0 wparam=0 path=C:\\proj\\plan.txt",
                                    // An empty label: Wine's hit test calls it "right of the label".
                                    "ClickAt index=2 hit-item=1 count=2",
                                    "HM_OPEN_FILE frame=0 wparam=0 path=C:\\proj\\sub\\",
                                    "ClickAt index=3 hit=0x4 hit-item=1 count=2",
                                    "HM_OPEN_FILE frame=0 wparam=0 path=Group",
                                    "ClickAt index=5 hit=0x4 hit-item=1 count=2",
                                    "HM_OPEN_FILE frame=0 wparam=0 path=C:\\docs\\deep.txt",
                                    "ClickAt index=1 hit=0x20 hit-item=1 count=2",
                                    "ClickAt index=5 hit=0x8 hit-item=1 count=2",
                                    "ClickAt index=4 hit=0x10 hit-item=1 count=2",
                                    "ClickAt index=4 hit=0x4 hit-item=1 count=2",
                                    "ClickAt index=0 hit=0x4 hit-item=1 count=2",
                                    "ClickAt index=1 hit=0x4 hit-item=1 count=1",
                                    "Key vk=13",
                                    "ClickAt index=1 hit=0x4 hit-item=1 count=1",
                                }));
    // The empty label was hit inside the rectangle the tree draws for it.
    for (const LogRecord& r : result.Named({"ClickAt"})) {
        if (r.Num("index") != 2) continue;
        EXPECT_GE(r.Num("x"), 0);
        EXPECT_LT(r.Num("label-left"), r.Num("label-right"));
    }
}

TEST_F(PanelHost, ResizingTheFrameKeepsTheTreeFillingThePanel) {
    ASSERT_TRUE(m_box.WriteFile(FavoritesPath(), "A\r\n\tb"));
    const HostResult result = m_box.Run(
        "open-frame; toggle 0; bar-info 0; resize 0 600 400; bar-info 0; resize 0 300 40; bar-info 0;"
        "resize 0 100 0; bar-info 0; resize 0 900 700; bar-info 0");
    ASSERT_EQ(result.exitCode, 0u) << result.Dump();
    const std::vector<LogRecord> infos = result.Named({"BarInfo"});
    ASSERT_EQ(infos.size(), 5u) << result.Dump();
    for (const LogRecord& r : infos) {
        EXPECT_EQ(r.Num("tree-left"), 0) << r.line;
        EXPECT_EQ(r.Num("tree-top"), 0) << r.line;
        EXPECT_EQ(r.Num("tree-width"), r.Num("width")) << r.line;
        EXPECT_EQ(r.Num("tree-height"), r.Num("height")) << r.line;
    }
    EXPECT_EQ(infos[3].Num("tree-height"), 0) << "a frame with no room leaves a tree of no height";
}

TEST_F(PanelHost, FiveHundredOpensAndClosesLeaveNoGdiOrUserObjectBehind) {
    std::string bytes = ReadFileBytes(WinePathOf((std::string(SHELFMAP_SOURCE_DIR) + "/tests/data/favorites/Favorites.utf8.txt").c_str()));
    for (int i = 0; i < 20; ++i) bytes += std::string(static_cast<size_t>(i), '\t') + "C:\\r\\" + std::to_string(i) + "\r\n";
    ASSERT_TRUE(m_box.WriteFile(FavoritesPath(), bytes));
    const HostResult result = m_box.Run(
        "open-frame; toggle 0; toggle 0; gui-count before; repeat 500 {toggle 0; toggle 0}; gui-count after;"
        "toggle 0; bar-info 0",
        600000);
    ASSERT_EQ(result.exitCode, 0u) << result.Dump();
    const std::vector<LogRecord> counts = result.Named({"GuiCount"});
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[0].Num("gdi"), counts[1].Num("gdi"));
    EXPECT_EQ(counts[0].Num("user"), counts[1].Num("user"));
    EXPECT_EQ(counts[0].Num("fonts"), counts[1].Num("fonts"));
    const LogRecord* info = result.Last("BarInfo");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Num("tree-items"), 8 + 20);
}

TEST_F(PanelHost, AHundredThousandLinesFlatOrRisingOpenAndClose) {
    // Flat: one entry per line.
    std::string flat;
    flat.reserve(2600000);
    for (int i = 0; i < 100000; ++i) flat += "C:\\files\\entry" + std::to_string(i) + ".txt\r\n";
    flat.resize(flat.size() - 2);
    HostResult result = OpenOn(flat, "flat");
    const LogRecord* dump = result.Last("TreeDump");
    ASSERT_NE(dump, nullptr);
    EXPECT_EQ(dump->Num("items"), 100000);
    EXPECT_EQ(dump->Num("levels"), 1);

    // Rising: each line one tab deeper than the one before, 1,000 levels at a time (a file that
    // rose through 100,000 levels would need five thousand million tabs). Below level 256 the
    // lines follow as siblings.
    std::string deep;
    deep.reserve(51000000);
    for (int i = 0; i < 100000; ++i) deep += std::string(static_cast<size_t>(i % 1000), '\t') + "x" + std::to_string(i) + "\n";
    result = OpenOn(deep, "rising");
    dump = result.Last("TreeDump");
    ASSERT_NE(dump, nullptr);
    EXPECT_EQ(dump->Num("items"), 100001);  // the last line break adds an empty entry
    EXPECT_EQ(dump->Num("levels"), 256);
}

}  // namespace
