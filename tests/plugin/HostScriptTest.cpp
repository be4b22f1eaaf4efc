// The real Shelfmap.dll, loaded by the stand-in host and driven through scripts: what the plug-in
// sends to its frames and answers, compared as sequences of log records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostRun.h"
#include "plugin/HostInterface.h"

namespace {

// The calls into the plug-in and the messages it sends to the frames.
const std::vector<std::string> kProtocol = {"OnCommand",          "OnEvents",     "QueryStatus",
                                            "HM_CUSTOM_BAR_OPEN", "HM_CUSTOM_BAR_CLOSE", "HM_OPEN_FILE",
                                            "HostMessage"};

std::vector<std::string> With(std::vector<std::string> names, std::initializer_list<const char*> more) {
    names.insert(names.end(), more.begin(), more.end());
    return names;
}

const std::string kOpen0 = "HM_CUSTOM_BAR_OPEN frame=0 id=0 cbSize=" + std::to_string(sizeof(CUSTOM_BAR_INFO)) +
                           " client=ok reserved4=0 reserved16=0 title=\xE3\x82\xAB\xE3\x82\xB9\xE3\x82\xBF\xE3\x83\xA0"
                           "\xE3\x83\x90\xE3\x83\xBC";  // カスタムバー

class HostScriptTest : public ::testing::Test {
protected:
    // Runs the script; the run must end normally, without a crash of the plug-in.
    HostResult Run(const std::string& script) {
        HostResult r = m_box.Run(script);
        EXPECT_FALSE(r.timedOut) << r.Dump();
        EXPECT_EQ(r.exitCode, 0u) << r.Dump();
        EXPECT_EQ(r.Last("Crash"), nullptr) << r.Dump();
        EXPECT_NE(r.Last("HostExit"), nullptr) << r.Dump();
        return r;
    }

    HostSandbox m_box;
};

TEST_F(HostScriptTest, ToggleOpensAsksToCloseTwiceAndReopensOnlyAfterTheHostReports) {
    HostResult r = Run(
        "open-frame; query 0; toggle 0; query 0;"
        "close-mode ignore; toggle 0; toggle 0; query 0;"
        "report-closed 0; query 0; close-mode sync; toggle 0; query 0; bar-info 0");
    EXPECT_TRUE(SequenceMatches(r, kProtocol,
                                {
                                    "OnEvents frame=0 bits=0x0",
                                    "QueryStatus frame=0 checked=0 result=1",
                                    "OnCommand frame=0",
                                    kOpen0,
                                    "QueryStatus frame=0 checked=1 result=1",
                                    "OnCommand frame=0",
                                    "HM_CUSTOM_BAR_CLOSE frame=0 id=0",
                                    "OnCommand frame=0",
                                    "HM_CUSTOM_BAR_CLOSE frame=0 id=0",
                                    "QueryStatus frame=0 checked=1 result=1",
                                    "OnEvents frame=0 bits=0x80000",
                                    "QueryStatus frame=0 checked=0 result=1",
                                    "OnCommand frame=0",
                                    "HM_CUSTOM_BAR_OPEN frame=0 id=1 client=ok",
                                    "QueryStatus frame=0 checked=1 result=1",
                                }));
    // The host never removed the first window: the module replaced it, so one panel is left.
    const LogRecord* info = r.Last("BarInfo");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Get("children"), "1") << info->line;
    EXPECT_EQ(info->Get("exists"), "1") << info->line;
    EXPECT_EQ(info->Get("visible"), "1") << info->line;
}

TEST_F(HostScriptTest, HostThatClosesTheBarAtOnceOrByItselfReportsAndTheCommandReopens) {
    HostResult r = Run("open-frame; toggle 0; toggle 0; query 0; toggle 0; close-bar 0; query 0; toggle 0");
    EXPECT_TRUE(SequenceMatches(r, kProtocol,
                                {
                                    "OnEvents frame=0 bits=0x0",
                                    "OnCommand frame=0",
                                    "HM_CUSTOM_BAR_OPEN frame=0 id=0",
                                    "OnCommand frame=0",
                                    "HM_CUSTOM_BAR_CLOSE frame=0 id=0 known=1",
                                    "OnEvents frame=0 bits=0x80000",  // from inside the close request
                                    "QueryStatus frame=0 checked=0",
                                    "OnCommand frame=0",
                                    "HM_CUSTOM_BAR_OPEN frame=0 id=1",
                                    "OnEvents frame=0 bits=0x80000",  // the host's own close-bar
                                    "QueryStatus frame=0 checked=0",
                                    "OnCommand frame=0",
                                    "HM_CUSTOM_BAR_OPEN frame=0 id=2",
                                }));
}

TEST_F(HostScriptTest, QueryStatusAnswersTrueAndStoresTheOpenState) {
    // Frame 1 is never announced: no instance, so the command is unchecked and does nothing.
    HostResult r = Run("open-frame; open-frame quiet; query 0 null; query 0; query 1; query 1 null;"
                       "toggle 1; toggle 0; query 0; query 1; query 0 null");
    EXPECT_TRUE(SequenceMatches(r, kProtocol,
                                {
                                    "OnEvents frame=0 bits=0x0",
                                    "QueryStatus frame=0 pointer=null result=1",
                                    "QueryStatus frame=0 checked=0 result=1",
                                    "QueryStatus frame=1 checked=0 result=1",
                                    "QueryStatus frame=1 pointer=null result=1",
                                    "OnCommand frame=1",
                                    "OnCommand frame=0",
                                    "HM_CUSTOM_BAR_OPEN frame=0 id=0",
                                    "QueryStatus frame=0 checked=1 result=1",
                                    "QueryStatus frame=1 checked=0 result=1",
                                    "QueryStatus frame=0 pointer=null result=1",
                                }));
}

TEST_F(HostScriptTest, TwoFramesKeepTheirOwnPanels) {
    HostResult r = Run("open-frame; open-frame; toggle 0; query 0; query 1; toggle 1; query 1;"
                       "close-bar 0; query 0; query 1; bar-info 1; toggle 1");
    EXPECT_TRUE(SequenceMatches(r, kProtocol,
                                {
                                    "OnEvents frame=0 bits=0x0",
                                    "OnEvents frame=1 bits=0x0",
                                    "OnCommand frame=0",
                                    "HM_CUSTOM_BAR_OPEN frame=0 id=0",
                                    "QueryStatus frame=0 checked=1",
                                    "QueryStatus frame=1 checked=0",
                                    "OnCommand frame=1",
                                    "HM_CUSTOM_BAR_OPEN frame=1 id=1",
                                    "QueryStatus frame=1 checked=1",
                                    "OnEvents frame=0 bits=0x80000",
                                    "QueryStatus frame=0 checked=0",
                                    "QueryStatus frame=1 checked=1",
                                    "OnCommand frame=1",
                                    "HM_CUSTOM_BAR_CLOSE frame=1 id=1",
                                    "OnEvents frame=1 bits=0x80000",
                                }));
    const LogRecord* info = r.Last("BarInfo");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Get("exists"), "1") << info->line;
}

// Event words and what follows them, as the plug-in's answers show it.
struct EventCase {
    const char* name;
    const char* script;
    std::vector<std::string> expected;  // protocol records after the script's first OnCommand
    const char* barExists;              // BarInfo exists= at the end, or null when not asked
};

const EventCase kEventCases[] = {
    {"close alone destroys the open panel and forgets the frame",
     "open-frame; toggle 0; events 0 8; bar-info 0; query 0; toggle 0",
     {"OnEvents frame=0 bits=0x8", "QueryStatus frame=0 checked=0", "OnCommand frame=0"}, "0"},
    {"close together with bar-closed", "open-frame; toggle 0; events 0 0x80008; bar-info 0; query 0; toggle 0",
     {"OnEvents frame=0 bits=0x80008", "QueryStatus frame=0 checked=0", "OnCommand frame=0"}, "0"},
    {"bit 1 with close is ignored whole", "open-frame; toggle 0; events 0 9; bar-info 0; query 0",
     {"OnEvents frame=0 bits=0x9", "QueryStatus frame=0 checked=1"}, "1"},
    {"bit 2 with close is ignored whole", "open-frame; toggle 0; events 0 0xA; bar-info 0; query 0",
     {"OnEvents frame=0 bits=0xA", "QueryStatus frame=0 checked=1"}, "1"},
    {"bit 1 with bar-closed is ignored whole", "open-frame; toggle 0; events 0 0x80001; query 0",
     {"OnEvents frame=0 bits=0x80001", "QueryStatus frame=0 checked=1"}, nullptr},
    {"bit 2 with bar-closed is ignored whole", "open-frame; toggle 0; events 0 0x80002; query 0",
     {"OnEvents frame=0 bits=0x80002", "QueryStatus frame=0 checked=1"}, nullptr},
    {"bar-closed on a closed panel changes nothing", "open-frame; toggle 0; close-bar 0; events 0 0x80000; query 0; toggle 0",
     {"OnEvents frame=0 bits=0x80000", "OnEvents frame=0 bits=0x80000", "QueryStatus frame=0 checked=0",
      "OnCommand frame=0", "HM_CUSTOM_BAR_OPEN frame=0 id=1"}, nullptr},
    {"the host closes the frame with its panel open", "open-frame; toggle 0; close-frame 0",
     {"OnEvents frame=0 bits=0x8"}, nullptr},
};

TEST_F(HostScriptTest, EventWordsAgainstAnOpenPanel) {
    for (const EventCase& c : kEventCases) {
        SCOPED_TRACE(c.name);
        HostSandbox box;
        HostResult r = box.Run(c.script);
        ASSERT_EQ(r.exitCode, 0u) << r.Dump();
        ASSERT_EQ(r.Last("Crash"), nullptr) << r.Dump();
        std::vector<std::string> expected = {"OnEvents frame=0 bits=0x0", "OnCommand frame=0",
                                             "HM_CUSTOM_BAR_OPEN frame=0 id=0"};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_TRUE(SequenceMatches(r, kProtocol, expected));
        if (c.barExists) {
            const LogRecord* info = r.Last("BarInfo");
            ASSERT_NE(info, nullptr);
            EXPECT_EQ(info->Get("exists"), c.barExists) << info->line;
        }
        for (const LogRecord& closing : r.records) {
            if (closing.name == "FrameClosing") {
                EXPECT_EQ(closing.Get("bars-alive"), "0") << "a bar window outlived its frame's instance";
            }
        }
    }
}

TEST_F(HostScriptTest, FramesNeverAnnouncedOrNotWindowsGetNothing) {
    // Bit 1 or 2 makes no instance either; a handle value with no window behind it is registered,
    // but its panel cannot be built, so nothing is sent and the command stays unchecked.
    HostResult r = Run("open-frame quiet; toggle 0; events 0 1; events 0 2; toggle 0; query 0;"
                       "raw-frame 0x12340000; toggle 1; events 1 0; toggle 1; query 1; events 1 8; query 1");
    EXPECT_TRUE(SequenceMatches(r, With(kProtocol, {"ChildCreated", "ChildDestroyed"}),
                                {
                                    "OnCommand frame=0",
                                    "OnEvents frame=0 bits=0x1",
                                    "OnEvents frame=0 bits=0x2",
                                    "OnCommand frame=0",
                                    "QueryStatus frame=0 checked=0 result=1",
                                    "OnCommand frame=1",
                                    "OnEvents frame=1 bits=0x0",
                                    "OnCommand frame=1",
                                    "QueryStatus frame=1 checked=0 result=1",
                                    "OnEvents frame=1 bits=0x8",
                                    "QueryStatus frame=1 checked=0 result=1",
                                }));
}

TEST_F(HostScriptTest, HandleValueReusedAfterCloseGetsAFreshInstance) {
    // The editor reports the frame closed, then a frame with the same handle value appears.
    HostResult r = Run("open-frame; toggle 0; events 0 8; events 0 0; query 0; toggle 0; query 0; bar-info 0");
    EXPECT_TRUE(SequenceMatches(r, kProtocol,
                                {
                                    "OnEvents frame=0 bits=0x0",
                                    "OnCommand frame=0",
                                    "HM_CUSTOM_BAR_OPEN frame=0 id=0",
                                    "OnEvents frame=0 bits=0x8",
                                    "OnEvents frame=0 bits=0x0",
                                    "QueryStatus frame=0 checked=0",
                                    "OnCommand frame=0",
                                    "HM_CUSTOM_BAR_OPEN frame=0 id=1",
                                    "QueryStatus frame=0 checked=1",
                                }));
    const LogRecord* info = r.Last("BarInfo");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Get("children"), "1") << info->line;
}

TEST_F(HostScriptTest, RefusedBarStaysClosedAndIsReplacedByTheNextOpen) {
    HostResult r = Run("open-frame; refuse-open; toggle 0; query 0; bar-info 0; refuse-open -7; toggle 0; query 0;"
                       "toggle 0; query 0; bar-info 0");
    EXPECT_TRUE(SequenceMatches(r, With(kProtocol, {"ChildCreated", "ChildDestroyed", "BarInfo"}),
                                {
                                    "OnEvents frame=0 bits=0x0",
                                    "OnCommand frame=0",
                                    "ChildCreated frame=0 ctrl-id=107",
                                    "HM_CUSTOM_BAR_OPEN frame=0 id=-1 client=ok",
                                    "QueryStatus frame=0 checked=0",
                                    "BarInfo frame=0 children=1 bar=none",  // shown, not docked
                                    "OnCommand frame=0",
                                    "ChildDestroyed frame=0 ctrl-id=107",   // the refused one goes first
                                    "ChildCreated frame=0 ctrl-id=107",
                                    "HM_CUSTOM_BAR_OPEN frame=0 id=-7",
                                    "QueryStatus frame=0 checked=0",
                                    "OnCommand frame=0",
                                    "ChildDestroyed frame=0 ctrl-id=107",
                                    "ChildCreated frame=0 ctrl-id=107",
                                    "HM_CUSTOM_BAR_OPEN frame=0 id=0",
                                    "QueryStatus frame=0 checked=1",
                                    "BarInfo frame=0 children=1 id=0 exists=1",
                                }));
}

TEST_F(HostScriptTest, UnloadWithAnOpenPanelLeavesNoWindowOfTheModuleAndReloads) {
    HostResult r = Run("open-frame; toggle 0; unload; bar-info 0; resize 0 640 420; pump 200;"
                       "load; events 0 0; toggle 0; query 0; bar-info 0; resize 0 700 500; pump 100");
    const std::vector<LogRecord> infos = r.Named({"BarInfo"});
    ASSERT_EQ(infos.size(), 2u) << r.Dump();
    EXPECT_EQ(infos[0].Get("exists"), "0") << infos[0].line;
    EXPECT_EQ(infos[0].Get("children"), "0") << infos[0].line;
    EXPECT_EQ(infos[1].Get("exists"), "1") << infos[1].line;
    EXPECT_EQ(infos[1].Get("children"), "1") << infos[1].line;
    EXPECT_TRUE(SequenceMatches(r, With(kProtocol, {"FreeLibrary", "LoadLibrary"}),
                                {
                                    "LoadLibrary result=ok",
                                    "OnEvents frame=0 bits=0x0",
                                    "OnCommand frame=0",
                                    "HM_CUSTOM_BAR_OPEN frame=0 id=0",
                                    "FreeLibrary result=1",
                                    "LoadLibrary result=ok",
                                    "OnEvents frame=0 bits=0x0",
                                    "OnCommand frame=0",
                                    "HM_CUSTOM_BAR_OPEN frame=0 id=1",
                                    "QueryStatus frame=0 checked=1",
                                }));
}

TEST_F(HostScriptTest, ShutdownClosesEveryFrameBeforeUnloading) {
    HostResult r = Run("open-frame; open-frame; toggle 1");
    std::vector<std::string> tail;
    bool after = false;
    for (const LogRecord& rec : r.records) {
        if (rec.name == "ScriptEnd") after = true;
        else if (after && rec.name != "ChildDestroyed") tail.push_back(rec.line);
    }
    EXPECT_EQ(tail, (std::vector<std::string>{"OnEvents frame=0 bits=0x8", "FrameClosing frame=0 bars-alive=0",
                                              "OnEvents frame=1 bits=0x8", "FrameClosing frame=1 bars-alive=0",
                                              "FreeLibrary result=1", "HostExit code=0"}))
        << r.Dump();
}

TEST_F(HostScriptTest, OpeningAndClosingFiveHundredTimesLeaksNoGdiOrUserObject) {
    HostResult r = Run("open-frame; toggle 0; gui-count first; repeat 500 {toggle 0; toggle 0}; gui-count after;"
                       "bar-info 0");
    const std::vector<LogRecord> counts = r.Named({"GuiCount"});
    ASSERT_EQ(counts.size(), 2u) << r.Dump();
    const LogRecord& first = counts[0];
    const LogRecord& after = counts[1];
    EXPECT_GT(first.Num("gdi"), 0) << first.line;
    EXPECT_EQ(after.Num("gdi"), first.Num("gdi")) << first.line << "\n" << after.line;
    EXPECT_EQ(after.Num("user"), first.Num("user")) << first.line << "\n" << after.line;
    EXPECT_EQ(after.Num("fonts"), first.Num("fonts")) << first.line << "\n" << after.line;
    // Of the fonts the 501 panels' trees used, exactly one is alive: the open panel's.
    EXPECT_EQ(after.Num("bar-fonts"), 1) << after.line;
    EXPECT_EQ(r.Named({"HM_CUSTOM_BAR_OPEN"}).size(), 501u);
    const LogRecord* info = r.Last("BarInfo");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->Get("children"), "1") << info->line;
    EXPECT_EQ(info->Get("tree-font"), "1") << info->line;
}

TEST_F(HostScriptTest, ShiftJisIniIsLeftUntouchedByLoadAndUnload) {
    const std::wstring ini = m_box.PluginFolder() + L"Shelfmap.ini";
    const std::string bytes = ReadFileBytes(WinePathOf(SHELFMAP_SOURCE_DIR "/tests/data/plugin/Shelfmap.sjis.ini"));
    ASSERT_FALSE(bytes.empty());
    ASSERT_TRUE(m_box.WriteFile(ini, bytes));
    // An old time stamp, so that any rewrite shows.
    HANDLE h = CreateFileW(ini.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME old = {0xD53E8000u, 0x01D5B8E0u};  // 2020
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &old));
    CloseHandle(h);

    HostResult r = Run("open-frame; toggle 0; toggle 0; unload; load; unload");
    EXPECT_EQ(r.Named({"FreeLibrary"}).size(), 2u);
    EXPECT_EQ(ReadFileBytes(ini), bytes);
    FILETIME now = {};
    ASSERT_TRUE(LastWriteTime(ini, now));
    EXPECT_EQ(CompareFileTime(&now, &old), 0);
}

}  // namespace
