// TEMPORARY stand-in for CustomBarTree.cpp (the tree filling and the panel's handlers), so the DLL
// links until that file exists; panel/CMakeLists.txt drops this file as soon as it does.
// The panel finds its tree and keeps it sized; it shows no favourites yet.
#include "CustomBar.h"

LRESULT CCustomBar::OnInitDialog() {
    m_hWndTree = GetDlgItem(m_hWnd, IDC_FAVORITES_TREE);
    LoadFavorites();
    return TRUE;
}

void CCustomBar::OnDestroy() {
    FreeItemRecords(reinterpret_cast<HTREEITEM>(SendMessageW(m_hWndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
}

void CCustomBar::OnSize(LPARAM lParam) {
    if (m_hWndTree) MoveWindow(m_hWndTree, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
}

LRESULT CCustomBar::OnTreeDblClk() { return 0; }

void CCustomBar::OnGetInfoTip(NMTVGETINFOTIPW*) {}

void CCustomBar::LoadFavorites() {}

void CCustomBar::ExpandAll(HTREEITEM) {}

void CCustomBar::FreeItemRecords(HTREEITEM) {}
