// The window-class layer with window types whose handlers throw: nothing may cross into the
// system, and the binding still ends with the window.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "CustomBar.h"
#include "WindowImpl.h"

namespace {

constexpr UINT WM_THROW = WM_APP + 1;
constexpr UINT WM_ANSWER = WM_APP + 2;

class CThrowingWindow : public CWindowImpl<CThrowingWindow> {
public:
    ~CThrowingWindow() { Unbind(); }
    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM, LPARAM, LRESULT& lResult, DWORD) {
        ++m_nMessages;
        if (uMsg == WM_THROW || uMsg == WM_NCDESTROY || uMsg == WM_GETTEXTLENGTH) throw std::runtime_error("handler");
        if (uMsg == WM_ANSWER) {
            lResult = 42;
            return TRUE;
        }
        return FALSE;
    }
    int m_nMessages = 0;
};

class CThrowingDialog : public CDialogImpl<CThrowingDialog> {
public:
    enum { IDD = 107 };
    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM, LPARAM, LRESULT& lResult, DWORD) {
        if (uMsg == WM_INITDIALOG) m_bInitialised = true;
        if (uMsg == WM_THROW || uMsg == WM_NCDESTROY) throw std::runtime_error("handler");
        if (uMsg == WM_ANSWER) {
            lResult = 42;
            return TRUE;
        }
        return FALSE;
    }
    bool m_bInitialised = false;
};

class WindowImplTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { g_module.Init(GetModuleHandleW(nullptr)); }
    static void TearDownTestSuite() { g_module.Term(); }
};

TEST_F(WindowImplTest, HandlerExceptionsGetDefaultHandlingAndTheBindingEndsWithTheWindow) {
    CThrowingWindow wnd;
    RECT rc = {0, 0, 100, 50};
    HWND hWnd = wnd.Create(nullptr, rc, L"abc", WS_POPUP, 0, 0);
    ASSERT_NE(hWnd, nullptr);
    EXPECT_EQ(wnd.m_hWnd, hWnd);
    EXPECT_TRUE(wnd.IsBound());
    EXPECT_EQ(SendMessageW(hWnd, WM_THROW, 0, 0), 0);
    EXPECT_EQ(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0), 3);  // DefWindowProcW's answer
    EXPECT_EQ(SendMessageW(hWnd, WM_ANSWER, 0, 0), 42);
    EXPECT_TRUE(DestroyWindow(hWnd));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_FALSE(wnd.IsBound());

    // The object makes another window of its class; the two types have classes of their own.
    HWND hWnd2 = wnd.Create(nullptr, rc, nullptr, WS_POPUP, 0, 0);
    ASSERT_NE(hWnd2, nullptr);
    EXPECT_NE(lstrcmpW(CThrowingWindow::GetWndClassName(), CCustomBar::GetWndClassName()), 0);
    const int before = wnd.m_nMessages;
    wnd.Unbind();
    SendMessageW(hWnd2, WM_ANSWER, 0, 0);
    EXPECT_EQ(wnd.m_nMessages, before);
    DestroyWindow(hWnd2);
}

TEST_F(WindowImplTest, DialogIsBoundFromInitDialogAndSurvivesThrowingHandlers) {
    HWND hWnd = nullptr;
    {
        CThrowingDialog dlg;
        hWnd = dlg.Create(nullptr);
        ASSERT_NE(hWnd, nullptr);
        EXPECT_TRUE(dlg.m_bInitialised);
        EXPECT_EQ(dlg.m_hWnd, hWnd);
        EXPECT_EQ(SendMessageW(hWnd, WM_THROW, 0, 0), 0);
        SendMessageW(hWnd, WM_ANSWER, 0, 0);
        EXPECT_EQ(GetWindowLongPtrW(hWnd, DWLP_MSGRESULT), 42);
        EXPECT_NE(GetDlgItem(hWnd, 1001), nullptr);  // the template's tree
    }
    // The object ended with its dialog still there: the dialog went with it.
    EXPECT_FALSE(IsWindow(hWnd));
}

}  // namespace
