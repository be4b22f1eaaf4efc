// The panel's tree in this process, built by CreateBar from the real dialog template and a real
// "Favorites.txt": records owned and released exactly once, the tree reporting to the panel,
// resizing, and the info tip.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CustomBar.h"
#include "panel/Outline.h"
#include "panel/TreeViewOutline.h"
#include "settings/Paths.h"

namespace {

std::vector<std::wstring> g_opened;  // paths the frame received with HM_OPEN_FILE

LRESULT CALLBACK FrameProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == 2058) g_opened.emplace_back(reinterpret_cast<const wchar_t*>(lParam));
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// WM_NOTIFY messages sent to one window, seen from a hook.
HWND g_watched = nullptr;
std::vector<UINT> g_notifications;
HHOOK g_hook = nullptr;

LRESULT CALLBACK WatchNotify(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && msg->hwnd == g_watched && msg->message == WM_NOTIFY)
        g_notifications.push_back(reinterpret_cast<const NMHDR*>(msg->lParam)->code);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class PanelTree : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        g_module.Init(GetModuleHandleW(nullptr));
        WNDCLASSW wc = {};
        wc.lpfnWndProc = FrameProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PanelTreeTestFrame";
        RegisterClassW(&wc);
    }
    static void TearDownTestSuite() { g_module.Term(); }

    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"shelfmap-panel-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(m_folder.c_str(), nullptr);
        g_strPluginIniPath = m_folder + L"Shelfmap.ini";
        m_hWndFrame = CreateWindowExW(0, L"PanelTreeTestFrame", L"frame", WS_OVERLAPPEDWINDOW, 50, 50, 600, 500,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_hWndFrame, nullptr);
        m_nLive = CFavoriteItem::LiveCount();
    }

    void TearDown() override {
        if (m_bar.IsBound()) DestroyWindow(m_bar.m_hWnd);
        DestroyWindow(m_hWndFrame);
        // Whatever a test did, every record made went exactly once.
        EXPECT_EQ(CFavoriteItem::LiveCount(), m_nLive);
        DeleteFileW(Favorites().c_str());
        RemoveDirectoryW(Favorites().c_str());
        RemoveDirectoryW(m_folder.c_str());
    }

    std::wstring Favorites() const { return m_folder + L"Favorites.txt"; }

    void WriteFavorites(const std::string& bytes) {
        HANDLE h = CreateFileW(Favorites().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
    }

    void Open() {
        CCustomBarDlg dlg;
        dlg.CreateBar(m_hWndFrame, m_bar);
        ASSERT_NE(m_bar.m_hWnd, nullptr);
        ASSERT_NE(m_bar.m_hWndTree, nullptr);
        m_bar.m_hWndHost = m_hWndFrame;
    }

    std::vector<HTREEITEM> Items() const {
        std::vector<HTREEITEM> items;
        const TreeViewOutline tree(m_bar.m_hWndTree);
        WalkOutline(tree, tree.FirstRoot(), [&](HTREEITEM h, size_t) { items.push_back(h); });
        return items;
    }

    RECT TreeRectInBar() const {
        RECT rc = {};
        GetWindowRect(m_bar.m_hWndTree, &rc);
        MapWindowPoints(nullptr, m_bar.m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }

    std::wstring m_folder;
    HWND m_hWndFrame = nullptr;
    CCustomBar m_bar;
    long m_nLive = 0;
};

// Lines 0 .. n-1, line i with i tabs: nesting as deep as the file allows.
std::string Rising(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += std::string(static_cast<size_t>(i), '\t') + "C:\\d\\x" + std::to_string(i) + "\r\n";
    return s;
}

TEST_F(PanelTree, EveryItemCarriesOneRecordAndClosingReleasesEachOnceCollapsedOrNot) {
    WriteFavorites("Work\r\n\tC:\\proj\\plan.txt\r\n\t\t\tC:\\proj\\a\\\r\n-\r\n\tNotes\r\n" + Rising(400) + "\t\t\tlast");
    for (int round = 0; round < 3; ++round) {
        Open();
        const std::vector<HTREEITEM> items = Items();
        ASSERT_EQ(items.size(), 4u + 400u + 1u);  // the separator makes none
        EXPECT_EQ(static_cast<size_t>(SendMessageW(m_bar.m_hWndTree, TVM_GETCOUNT, 0, 0)), items.size());
        EXPECT_EQ(CFavoriteItem::LiveCount() - m_nLive, static_cast<long>(items.size()));
        const TreeViewOutline tree(m_bar.m_hWndTree);
        for (HTREEITEM h : items) {
            ASSERT_NE(tree.Record(h), nullptr);
            // Loaded fully expanded.
            if (tree.FirstChild(h)) {
                EXPECT_TRUE(SendMessageW(m_bar.m_hWndTree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(h), TVIS_EXPANDED) &
                            TVIS_EXPANDED);
            }
        }
        // Collapse the top and a deep item: their records still go.
        SendMessageW(m_bar.m_hWndTree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(items[0]));
        SendMessageW(m_bar.m_hWndTree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(items[100]));
        DestroyWindow(m_bar.m_hWnd);
        EXPECT_EQ(CFavoriteItem::LiveCount(), m_nLive) << "round " << round;
        EXPECT_EQ(m_bar.m_hWndTree, nullptr);
    }
}

TEST_F(PanelTree, ExpandAllOpensEveryItemBelowAndAfterTheOneGiven) {
    WriteFavorites("A\r\n\tb\r\n\t\tc\r\n\t\t\td\r\nE\r\n\tf\r\n" + Rising(300));
    Open();
    const std::vector<HTREEITEM> items = Items();
    const TreeViewOutline tree(m_bar.m_hWndTree);
    auto expanded = [&](HTREEITEM h) {
        return (SendMessageW(m_bar.m_hWndTree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(h), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    };
    std::vector<HTREEITEM> parents;
    for (HTREEITEM h : items)
        if (tree.FirstChild(h)) parents.push_back(h);
    ASSERT_EQ(parents.size(), 3u + 1u + 255u);
    for (HTREEITEM h : parents) {
        EXPECT_TRUE(expanded(h));
        SendMessageW(m_bar.m_hWndTree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(h));
    }
    // From "b": b and its descendants open; A, before it and above it, stays shut, and so does
    // everything after A's subtree.
    m_bar.ExpandAll(items[1]);
    EXPECT_FALSE(expanded(items[0]));
    EXPECT_TRUE(expanded(items[1]));
    EXPECT_TRUE(expanded(items[2]));
    EXPECT_FALSE(expanded(items[4]));
    // From the first top-level item: everything, 256 levels deep.
    m_bar.ExpandAll(tree.FirstRoot());
    for (HTREEITEM h : parents) EXPECT_TRUE(expanded(h));
    m_bar.ExpandAll(nullptr);
}

TEST_F(PanelTree, FilesThatGiveAnEmptyTree) {
    enum Kind { kNone, kFile, kFolder };
    struct Case {
        const char* what;
        Kind kind;
        std::string bytes;
    };
    const Case cases[] = {
        {"no file", kNone, ""},
        {"an empty file", kFile, ""},
        {"a folder of that name", kFolder, ""},
        {"not text", kFile, std::string("\x00\x01\x02\x03\x00\x00\xff\x00", 8)},
    };
    for (const Case& c : cases) {
        DeleteFileW(Favorites().c_str());
        RemoveDirectoryW(Favorites().c_str());
        if (c.kind == kFolder) CreateDirectoryW(Favorites().c_str(), nullptr);
        if (c.kind == kFile) WriteFavorites(c.bytes);
        Open();
        EXPECT_EQ(SendMessageW(m_bar.m_hWndTree, TVM_GETCOUNT, 0, 0), 0) << c.what;
        DestroyWindow(m_bar.m_hWnd);
    }
}

TEST_F(PanelTree, TheTreeReportsToThePanelOnceTheDialogIsGone) {
    WriteFavorites("A\r\n\tC:\\b.txt");
    Open();
    g_watched = m_bar.m_hWnd;
    g_notifications.clear();
    g_hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchNotify, nullptr, GetCurrentThreadId());
    const std::vector<HTREEITEM> items = Items();
    ASSERT_EQ(items.size(), 2u);
    SendMessageW(m_bar.m_hWndTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[1]));
    UnhookWindowsHookEx(g_hook);
    bool changed = false;
    for (UINT code : g_notifications) changed = changed || code == static_cast<UINT>(TVN_SELCHANGEDW);
    EXPECT_TRUE(changed) << "the tree's notifications must reach the panel, not the destroyed dialog";
    // Still the control the dialog described.
    EXPECT_EQ(GetDlgCtrlID(m_bar.m_hWndTree), 1001);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(m_bar.m_hWndTree, GWL_STYLE)) & 0xFFFFu, 0x1817u);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(m_bar.m_hWndTree, WM_GETFONT, 0, 0)), m_bar.m_hFont.get());
    EXPECT_EQ(GetDlgItem(m_bar.m_hWnd, 1001), m_bar.m_hWndTree);
}

TEST_F(PanelTree, ResizingMakesTheTreeExactlyThatSizeAtTheOrigin) {
    WriteFavorites("A");
    Open();
    // 32767 is as large as the window manager makes a window.
    const SIZE sizes[] = {{0, 0}, {0, 40}, {40, 0}, {1, 1}, {220, 480}, {3000, 2000}, {32767, 32767}, {7, 7}};
    for (const SIZE& s : sizes) {
        SendMessageW(m_bar.m_hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(s.cx, s.cy));
        const RECT rc = TreeRectInBar();
        EXPECT_EQ(rc.left, 0) << s.cx << "x" << s.cy;
        EXPECT_EQ(rc.top, 0) << s.cx << "x" << s.cy;
        EXPECT_EQ(rc.right - rc.left, s.cx) << s.cx << "x" << s.cy;
        EXPECT_EQ(rc.bottom - rc.top, s.cy) << s.cx << "x" << s.cy;
    }
}

TEST_F(PanelTree, ResizingMovesNoWindowButThePanelsOwnTree) {
    // A window of someone else's, where a stale tree handle could point.
    HWND hWndOther = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 300, 10, 50, 60, m_hWndFrame,
                                     nullptr, nullptr, nullptr);
    ASSERT_NE(hWndOther, nullptr);
    auto unmoved = [&] {
        RECT rc = {};
        GetWindowRect(hWndOther, &rc);
        MapWindowPoints(nullptr, m_hWndFrame, reinterpret_cast<POINT*>(&rc), 2);
        return rc.left == 300 && rc.top == 10 && rc.right - rc.left == 50 && rc.bottom - rc.top == 60;
    };
    const RECT where = {0, 0, 200, 300};

    // Before the first WM_INITDIALOG: no tree, nothing moves.
    ASSERT_NE(m_bar.Create(m_hWndFrame, where), nullptr);
    SendMessageW(m_bar.m_hWnd, WM_SIZE, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(unmoved());
    EXPECT_EQ(m_bar.m_hWndTree, nullptr);
    DestroyWindow(m_bar.m_hWnd);

    // After a panel window went: its tree's handle is forgotten.
    WriteFavorites("A");
    Open();
    DestroyWindow(m_bar.m_hWnd);
    EXPECT_EQ(m_bar.m_hWndTree, nullptr);
    ASSERT_NE(m_bar.Create(m_hWndFrame, where), nullptr);
    SendMessageW(m_bar.m_hWnd, WM_SIZE, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(unmoved());

    // A handle that names another window, as a reused handle would, is left alone too.
    m_bar.m_hWndTree = hWndOther;
    SendMessageW(m_bar.m_hWnd, WM_SIZE, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(unmoved());
    m_bar.m_hWndTree = nullptr;
    DestroyWindow(hWndOther);
}

TEST_F(PanelTree, InfoTipIsTheWholeEntryCutToTheBuffer) {
    WriteFavorites("C:\\Users\\me\\plan.txt\r\nNoRecord");
    Open();
    const std::vector<HTREEITEM> items = Items();
    ASSERT_EQ(items.size(), 2u);
    struct Case {
        int cchTextMax;
        const wchar_t* expected;  // what the buffer holds afterwards
    };
    const Case cases[] = {
        {260, L"C:\\Users\\me\\plan.txt"},
        {21, L"C:\\Users\\me\\plan.txt"},  // exactly the text and its terminator
        {20, L"C:\\Users\\me\\plan.tx"},
        {5, L"C:\\U"},
        {1, L""},
        {0, L"untouched"},
    };
    for (const Case& c : cases) {
        wchar_t buffer[300];
        wcscpy(buffer, L"untouched");
        NMTVGETINFOTIPW tip = {};
        tip.hdr.hwndFrom = m_bar.m_hWndTree;
        tip.hdr.idFrom = 1001;
        tip.hdr.code = TVN_GETINFOTIPW;
        tip.pszText = buffer;
        tip.cchTextMax = c.cchTextMax;
        tip.hItem = items[0];
        SendMessageW(m_bar.m_hWnd, WM_NOTIFY, 1001, reinterpret_cast<LPARAM>(&tip));
        EXPECT_STREQ(buffer, c.expected) << c.cchTextMax;
    }
    // An item whose record is gone, and a notification that did not come from the tree, leave
    // the buffer alone.
    const TreeViewOutline tree(m_bar.m_hWndTree);
    std::unique_ptr<CFavoriteItem> taken(tree.Record(items[1]));
    TVITEMW tvi = {};
    tvi.mask = TVIF_PARAM;
    tvi.hItem = items[1];
    tvi.lParam = 0;
    SendMessageW(m_bar.m_hWndTree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
    for (HWND from : {m_bar.m_hWndTree, m_hWndFrame}) {
        wchar_t buffer[64] = L"untouched";
        NMTVGETINFOTIPW tip = {};
        tip.hdr.hwndFrom = from;
        tip.hdr.idFrom = 1001;
        tip.hdr.code = TVN_GETINFOTIPW;
        tip.pszText = buffer;
        tip.cchTextMax = 64;
        tip.hItem = from == m_bar.m_hWndTree ? items[1] : items[0];
        SendMessageW(m_bar.m_hWnd, WM_NOTIFY, 1001, reinterpret_cast<LPARAM>(&tip));
        EXPECT_STREQ(buffer, L"untouched");
    }
}

}  // namespace
