#include "CustomBar.h"

#include <utility>

namespace {

constexpr DWORD kBarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

struct MoveControlsContext {
    HWND hWndDialog;
    HWND hWndBar;
    HFONT hFont;
};

// Moves one of the dialog's own controls into the bar. EnumChildWindows also reports the
// controls' own children; those stay with their parent.
BOOL CALLBACK MoveControl(HWND hWnd, LPARAM lParam) {
    const auto* ctx = reinterpret_cast<const MoveControlsContext*>(lParam);
    if (GetAncestor(hWnd, GA_PARENT) == ctx->hWndDialog) {
        SetParent(hWnd, ctx->hWndBar);
        SendMessageW(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(ctx->hFont), FALSE);
    }
    return TRUE;
}

// A copy of the dialog's font, so the moved controls keep their look once the dialog (and the
// font it owns) is gone. Null when the dialog has no font of its own.
UniqueFont CopyDialogFont(HWND hWndDialog) {
    auto hDialogFont = reinterpret_cast<HFONT>(SendMessageW(hWndDialog, WM_GETFONT, 0, 0));
    LOGFONTW lf = {};
    if (!hDialogFont || GetObjectW(hDialogFont, sizeof(lf), &lf) != sizeof(lf)) return UniqueFont();
    return UniqueFont(CreateFontIndirectW(&lf));
}

// Restores the message map's handled flag when a dispatch ends, also on an exception.
class HandledFlagScope {
public:
    explicit HandledFlagScope(BOOL& flag) : m_flag(flag), m_saved(flag) {}
    ~HandledFlagScope() { m_flag = m_saved; }
    HandledFlagScope(const HandledFlagScope&) = delete;
    HandledFlagScope& operator=(const HandledFlagScope&) = delete;

private:
    BOOL& m_flag;
    BOOL m_saved;
};

}  // namespace

void CCustomBarDlg::CreateBar(HWND hWndFrame, CCustomBar& bar) {
    // A window the bar still has (one the editor refused to dock) goes first: its WM_DESTROY
    // releases its records, and it can never reach the object once the new window is bound.
    if (bar.IsBound()) DestroyWindow(bar.m_hWnd);
    bar.Unbind();
    // The old tree is gone: a WM_SIZE during the new window's creation must not reach its handle,
    // which the system may already have given to another window.
    bar.m_hWndTree = nullptr;

    if (!Create(hWndFrame)) return;

    const DWORD dwExStyle = static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_EXSTYLE)) & ~DWORD(WS_EX_TOOLWINDOW);
    RECT rect = {};
    GetWindowRect(m_hWnd, &rect);
    // The owner of this top-level dialog: the frame window.
    HWND hWndParent = GetParent(m_hWnd);
    if (!bar.Create(hWndParent, rect, nullptr, kBarStyle, dwExStyle, IDD_CUSTOM_BAR)) {
        DestroyWindow(m_hWnd);
        return;
    }

    // Replacing the font deletes the one of an earlier panel window, which is gone by now.
    bar.m_hFont = CopyDialogFont(m_hWnd);

    MoveControlsContext ctx{m_hWnd, bar.m_hWnd, bar.m_hFont.get()};
    EnumChildWindows(m_hWnd, &MoveControl, reinterpret_cast<LPARAM>(&ctx));

    // The controls are the bar's now, so it finds its tree among its own children.
    SendMessageW(bar.m_hWnd, WM_INITDIALOG, 0, 0);

    DestroyWindow(m_hWnd);
}

CCustomBar::~CCustomBar() {
    // A window still here must not call into a freed object: it goes before the object, releasing
    // its records on the way, and before the font that its controls use.
    if (IsBound()) DestroyWindow(m_hWnd);
    Unbind();
}

BOOL CCustomBar::ProcessWindowMessage(HWND, UINT uMsg, WPARAM, LPARAM lParam, LRESULT& lResult,
                                      DWORD dwMsgMapID) {
    if (dwMsgMapID != 0) return FALSE;
    // Messages nest (the tree notifies the bar while WM_INITDIALOG fills it): each dispatch keeps
    // the outer message's flag intact.
    HandledFlagScope scope(m_bMsgHandled);
    switch (uMsg) {
    case WM_INITDIALOG:
        m_bMsgHandled = TRUE;
        lResult = OnInitDialog();
        return m_bMsgHandled;
    case WM_DESTROY:
        m_bMsgHandled = TRUE;
        OnDestroy();
        lResult = 0;
        return m_bMsgHandled;
    case WM_SIZE:
        OnSize(lParam);
        lResult = 0;
        return TRUE;
    case WM_NOTIFY: {
        auto* pHdr = reinterpret_cast<NMHDR*>(lParam);
        if (!pHdr || pHdr->idFrom != IDC_FAVORITES_TREE) return FALSE;
        if (pHdr->code == static_cast<UINT>(NM_DBLCLK)) {
            m_bMsgHandled = TRUE;
            lResult = OnTreeDblClk();
            return m_bMsgHandled;
        }
        if (pHdr->code == static_cast<UINT>(TVN_GETINFOTIPW)) {
            m_bMsgHandled = TRUE;
            OnGetInfoTip(reinterpret_cast<NMTVGETINFOTIPW*>(pHdr));
            lResult = 0;
            return m_bMsgHandled;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}
