#pragma once
// The favourites panel: a plain child window that the editor docks as a custom bar, filled from
// the tree-view control of dialog template 107, and the short-lived dialog that builds it.
#include <windows.h>
#include <commctrl.h>
#include "WindowImpl.h"
#include "textio/UniqueHandle.h"

constexpr UINT IDD_CUSTOM_BAR = 107;
constexpr UINT IDC_FAVORITES_TREE = 1001;

class CCustomBar : public CWindowImpl<CCustomBar, CWinTraits<0x56000000, 0>> {
public:
    CCustomBar() = default;
    ~CCustomBar();

    // The message map: WM_INITDIALOG, WM_DESTROY, WM_SIZE, WM_NOTIFY (NM_DBLCLK and TVN_GETINFOTIPW
    // from the tree); everything else goes to DefWindowProcW.
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0);

    LRESULT OnInitDialog();
    void OnDestroy();
    void OnSize(LPARAM lParam);
    LRESULT OnTreeDblClk();
    void OnGetInfoTip(NMTVGETINFOTIPW* pTip);

    void LoadFavorites();
    void ExpandAll(HTREEITEM hItem);
    void FreeItemRecords(HTREEITEM hItem);

    UniqueFont m_hFont;          // the bar's own copy of the dialog font, given to the moved controls
    HWND m_hWndHost = nullptr;   // the frame window that receives HM_OPEN_FILE
    HWND m_hWndTree = nullptr;   // the tree-view control (1001) after the move
    BOOL m_bMsgHandled = FALSE;  // handled flag of the message map
};

class CCustomBarDlg : public CDialogImpl<CCustomBarDlg> {
public:
    enum { IDD = IDD_CUSTOM_BAR };

    // Default dialog handling throughout.
    BOOL ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&, DWORD = 0) { return FALSE; }

    // Builds the panel window of bar as a child of hWndFrame; on return bar.m_hWnd is the new,
    // visible, initialised window, or null when it could not be made. The dialog is gone either way.
    void CreateBar(HWND hWndFrame, CCustomBar& bar);
};
