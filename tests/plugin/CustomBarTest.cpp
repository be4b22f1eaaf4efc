// The panel window that CreateBar builds from dialog template 107, watched from outside: the
// dialog through thread hooks, the bar and its tree through the window manager.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "CustomBar.h"
#include "tools/host/GdiCount.h"

namespace {

// Every dialog (#32770) made on this thread while a test runs: whether it was ever shown or
// activated, and the font it had when it went.
struct DialogWatch {
    HWND hWnd = nullptr;
    bool createdVisible = false;
    bool shown = false;
    bool activated = false;
    HFONT hFont = nullptr;
    LOGFONTW font = {};
    bool destroyed = false;
};

std::vector<DialogWatch> g_dialogs;
HHOOK g_cbtHook = nullptr;
HHOOK g_callHook = nullptr;

bool IsDialog(HWND hWnd) {
    wchar_t name[16] = {};
    GetClassNameW(hWnd, name, 16);
    return std::wcscmp(name, L"#32770") == 0;
}

DialogWatch* Watched(HWND hWnd) {
    for (DialogWatch& d : g_dialogs)
        if (d.hWnd == hWnd && !d.destroyed) return &d;
    return nullptr;
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && IsDialog(hWnd)) {
        DialogWatch d;
        d.hWnd = hWnd;
        d.createdVisible = (reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->style & WS_VISIBLE) != 0;
        g_dialogs.push_back(d);
    } else if (code == HCBT_ACTIVATE) {
        if (DialogWatch* d = Watched(hWnd)) d->activated = true;
    } else if (code == HCBT_DESTROYWND) {
        if (DialogWatch* d = Watched(hWnd)) {
            d->hFont = reinterpret_cast<HFONT>(SendMessageW(hWnd, WM_GETFONT, 0, 0));
            if (d->hFont) GetObjectW(d->hFont, sizeof d->font, &d->font);
            d->destroyed = true;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK CallHook(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION) {
        if (DialogWatch* d = Watched(msg->hwnd)) {
            if (msg->message == WM_SHOWWINDOW && msg->wParam) d->shown = true;
            if ((msg->message == WM_WINDOWPOSCHANGING || msg->message == WM_WINDOWPOSCHANGED) &&
                (reinterpret_cast<const WINDOWPOS*>(msg->lParam)->flags & SWP_SHOWWINDOW))
                d->shown = true;
            if (IsWindowVisible(msg->hwnd)) d->shown = true;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK CountWindow(HWND, LPARAM lParam) {
    ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

// Top-level windows of this thread (the frame, dialogs, the tree's tool tips).
int ThreadWindows() {
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&n));
    return n;
}

class CustomBarTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        g_module.Init(GetModuleHandleW(nullptr));
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CustomBarTestFrame";
        RegisterClassW(&wc);
    }
    static void TearDownTestSuite() { g_module.Term(); }

    void SetUp() override {
        m_hWndFrame = CreateWindowExW(0, L"CustomBarTestFrame", L"frame", WS_OVERLAPPEDWINDOW, 100,
                                      100, 600, 400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_hWndFrame, nullptr);
        g_dialogs.clear();
        g_cbtHook = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
        g_callHook = SetWindowsHookExW(WH_CALLWNDPROC, CallHook, nullptr, GetCurrentThreadId());
    }
    void TearDown() override {
        UnhookWindowsHookEx(g_cbtHook);
        UnhookWindowsHookEx(g_callHook);
        DestroyWindow(m_hWndFrame);
    }

    void Build(CCustomBar& bar, HWND hWndFrame) {
        CCustomBarDlg dlg;
        dlg.CreateBar(hWndFrame, bar);
    }

    HWND m_hWndFrame = nullptr;
};

TEST_F(CustomBarTest, BarTakesTheTreeAndACopyOfTheFontAndTheDialogIsGoneUnseen) {
    CCustomBar bar;
    Build(bar, m_hWndFrame);
    ASSERT_NE(bar.m_hWnd, nullptr);

    // The bar: a titled-less child of the frame with id 107 and the traits' style.
    EXPECT_EQ(GetParent(bar.m_hWnd), m_hWndFrame);
    EXPECT_EQ(GetDlgCtrlID(bar.m_hWnd), 107);
    EXPECT_EQ(GetWindowTextLengthW(bar.m_hWnd), 0);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(bar.m_hWnd, GWL_STYLE)), 0x56000000u);
    EXPECT_EQ(GetWindowLongW(bar.m_hWnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);

    // Its class.
    EXPECT_EQ(GetClassLongPtrW(bar.m_hWnd, GCL_STYLE), static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
    EXPECT_EQ(GetClassLongPtrW(bar.m_hWnd, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(bar.m_hWnd, GCLP_HCURSOR)), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(GetClassLongPtrW(bar.m_hWnd, GCLP_HICON), 0u);
    EXPECT_EQ(GetClassLongPtrW(bar.m_hWnd, GCL_CBCLSEXTRA), 0u);
    EXPECT_EQ(GetClassLongPtrW(bar.m_hWnd, GCL_CBWNDEXTRA), 0u);

    // The tree moved in, keeps its id, and the bar found it during WM_INITDIALOG.
    HWND hWndTree = GetDlgItem(bar.m_hWnd, 1001);
    ASSERT_NE(hWndTree, nullptr);
    EXPECT_EQ(GetParent(hWndTree), bar.m_hWnd);
    wchar_t cls[32] = {};
    GetClassNameW(hWndTree, cls, 32);
    EXPECT_EQ(_wcsicmp(cls, L"SysTreeView32"), 0) << cls;
    EXPECT_EQ(bar.m_hWndTree, hWndTree);

    // One dialog, hidden from creation to destruction, and gone.
    ASSERT_EQ(g_dialogs.size(), 1u);
    const DialogWatch& dialog = g_dialogs[0];
    EXPECT_TRUE(dialog.destroyed);
    EXPECT_FALSE(IsWindow(dialog.hWnd));
    EXPECT_FALSE(dialog.createdVisible);
    EXPECT_FALSE(dialog.shown);
    EXPECT_FALSE(dialog.activated);

    // The tree's font is the bar's own copy: another handle, the same face.
    auto hTreeFont = reinterpret_cast<HFONT>(SendMessageW(hWndTree, WM_GETFONT, 0, 0));
    ASSERT_NE(hTreeFont, nullptr);
    EXPECT_EQ(hTreeFont, bar.m_hFont.get());
    ASSERT_NE(dialog.hFont, nullptr);
    EXPECT_NE(hTreeFont, dialog.hFont);
    LOGFONTW copy = {};
    ASSERT_EQ(GetObjectW(hTreeFont, sizeof copy, &copy), static_cast<int>(sizeof copy));
    EXPECT_EQ(std::memcmp(&copy, &dialog.font, sizeof copy), 0);
    EXPECT_EQ(GetObjectType(hTreeFont), static_cast<DWORD>(OBJ_FONT));
}

TEST_F(CustomBarTest, BuildingAgainReplacesTheWindowAndKeepsExactlyOneFont) {
    CCustomBar bar;
    Build(bar, m_hWndFrame);
    ASSERT_NE(bar.m_hWnd, nullptr);
    const int fonts = CountGdiObjects(kGdiFont);
    const int windows = ThreadWindows();
    // The previous window is still there (as after the editor refused it): it goes first.
    for (int i = 0; i < 50; ++i) {
        HWND hWndOld = bar.m_hWnd;
        Build(bar, m_hWndFrame);
        ASSERT_NE(bar.m_hWnd, nullptr);
        EXPECT_FALSE(IsWindow(hWndOld));
    }
    EXPECT_EQ(CountGdiObjects(kGdiFont), fonts);
    EXPECT_EQ(ThreadWindows(), windows);
    int children = 0;
    EnumChildWindows(m_hWndFrame, &CountWindow, reinterpret_cast<LPARAM>(&children));
    EXPECT_EQ(children, 2);  // the bar and its tree
}

TEST_F(CustomBarTest, DestroyingTheObjectDestroysItsWindowAndFont) {
    const int fonts = CountGdiObjects(kGdiFont);
    HWND hWnd = nullptr;
    {
        CCustomBar bar;
        Build(bar, m_hWndFrame);
        hWnd = bar.m_hWnd;
        ASSERT_NE(hWnd, nullptr);
        EXPECT_EQ(GetObjectType(bar.m_hFont.get()), static_cast<DWORD>(OBJ_FONT));
    }
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(CountGdiObjects(kGdiFont), fonts);
}

TEST_F(CustomBarTest, ObjectWithoutAWindowFreesNoFont) {
    const int fonts = CountGdiObjects(kGdiFont);
    { CCustomBar bar; }
    EXPECT_EQ(CountGdiObjects(kGdiFont), fonts);
}

TEST_F(CustomBarTest, WhenNothingCanBeBuiltNothingIsLeftBehind) {
    struct Case {
        const char* name;
        HWND hWndFrame;
    };
    const Case cases[] = {
        {"no frame: the dialog is made, the child bar cannot be", nullptr},
        {"not a window: not even the dialog is made", reinterpret_cast<HWND>(static_cast<INT_PTR>(0x12340000))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_dialogs.clear();
        const int fonts = CountGdiObjects(kGdiFont);
        const int windows = ThreadWindows();
        CCustomBar bar;
        Build(bar, c.hWndFrame);
        EXPECT_EQ(bar.m_hWnd, nullptr);
        EXPECT_FALSE(bar.m_hFont);
        for (const DialogWatch& d : g_dialogs) EXPECT_FALSE(IsWindow(d.hWnd));
        EXPECT_EQ(ThreadWindows(), windows);
        EXPECT_EQ(CountGdiObjects(kGdiFont), fonts);
    }
}

TEST_F(CustomBarTest, WindowCutOffFromItsObjectNeverReachesIt) {
    CCustomBar bar;
    Build(bar, m_hWndFrame);
    HWND hWnd = bar.m_hWnd;
    ASSERT_NE(hWnd, nullptr);
    bar.Unbind();
    EXPECT_EQ(bar.m_hWnd, nullptr);
    const HWND marker = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x4321));
    bar.m_hWndTree = marker;
    SendMessageW(hWnd, WM_INITDIALOG, 0, 0);  // would set m_hWndTree if it reached the object
    SendMessageW(hWnd, WM_SIZE, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(bar.m_hWndTree, marker);
    EXPECT_TRUE(DestroyWindow(hWnd));
    bar.m_hWndTree = nullptr;
}

// The message map answers, for a bar without a window (nothing for the handlers to act on).
struct DispatchCase {
    const char* name;
    UINT msg;
    UINT_PTR idFrom;
    UINT code;
    DWORD mapId;
    BOOL answer;
    LRESULT result;
};

const DispatchCase kDispatch[] = {
    {"WM_INITDIALOG", WM_INITDIALOG, 0, 0, 0, TRUE, TRUE},
    {"WM_DESTROY", WM_DESTROY, 0, 0, 0, TRUE, 0},
    {"WM_SIZE", WM_SIZE, 0, 0, 0, TRUE, 0},
    {"double-click from the tree", WM_NOTIFY, 1001, static_cast<UINT>(NM_DBLCLK), 0, TRUE, 0},
    {"info tip from the tree", WM_NOTIFY, 1001, static_cast<UINT>(TVN_GETINFOTIPW), 0, TRUE, 0},
    {"double-click from another control", WM_NOTIFY, 1002, static_cast<UINT>(NM_DBLCLK), 0, FALSE, 0},
    {"another notification from the tree", WM_NOTIFY, 1001, static_cast<UINT>(NM_CLICK), 0, FALSE, 0},
    {"another message", WM_PAINT, 0, 0, 0, FALSE, 0},
    {"another message map", WM_INITDIALOG, 0, 0, 1, FALSE, 0},
};

TEST_F(CustomBarTest, MessageMapAnswersAndKeepsTheOuterHandledFlag) {
    for (const DispatchCase& c : kDispatch) {
        SCOPED_TRACE(c.name);
        CCustomBar bar;
        wchar_t tip[64] = {};
        NMTVGETINFOTIPW nm = {};
        nm.hdr.idFrom = c.idFrom;
        nm.hdr.code = c.code;
        nm.pszText = tip;
        nm.cchTextMax = 64;
        const LPARAM lParam = c.msg == WM_NOTIFY ? reinterpret_cast<LPARAM>(&nm) : 0;
        bar.m_bMsgHandled = 7;  // an outer message's flag
        LRESULT result = 12345;
        BOOL answer = bar.ProcessWindowMessage(nullptr, c.msg, 0, lParam, result, c.mapId);
        EXPECT_EQ(answer, c.answer);
        if (c.answer) {
            EXPECT_EQ(result, c.result);
        }
        EXPECT_EQ(bar.m_bMsgHandled, 7);
    }
}

TEST_F(CustomBarTest, ModuleTermUnregistersTheClassAndInitAllowsItAgain) {
    LPCWSTR name = CCustomBar::GetWndClassName();
    {
        CCustomBar bar;
        Build(bar, m_hWndFrame);
        ASSERT_NE(bar.m_hWnd, nullptr);
    }
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc));
    g_module.Term();
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc));
    g_module.Init(GetModuleHandleW(nullptr));
    CCustomBar bar;
    Build(bar, m_hWndFrame);
    EXPECT_NE(bar.m_hWnd, nullptr);
}

}  // namespace
