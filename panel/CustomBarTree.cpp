// The panel's tree: filled from "Favorites.txt" when the panel starts, kept filling the panel,
// opening a leaf's entry in the editor on a double-click, and releasing the items' records when
// the panel goes.
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>
#include "CustomBar.h"
#include "Outline.h"
#include "TreeViewOutline.h"
#include "plugin/HostInterface.h"
#include "settings/Paths.h"
#include "textio/TextFile.h"

namespace {

// Redrawing off while the tree fills: a visible tree repaints itself after every insertion, which
// makes a long list take minutes. The tree is redrawn whole once it is complete.
class RedrawOffScope {
public:
    explicit RedrawOffScope(HWND hWnd) noexcept : m_hWnd(hWnd) { SendMessageW(m_hWnd, WM_SETREDRAW, FALSE, 0); }
    ~RedrawOffScope() {
        SendMessageW(m_hWnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(m_hWnd, nullptr, TRUE);
    }
    RedrawOffScope(const RedrawOffScope&) = delete;
    RedrawOffScope& operator=(const RedrawOffScope&) = delete;

private:
    HWND m_hWnd;
};

// A tree-view control keeps sending its notifications to the window it was made in, whatever its
// parent is later (Wine's does). The tree that the dialog made would report double-clicks to the
// dialog, which is gone once the panel is built. So the panel makes a twin of it (same class,
// styles, id, text, place and font) as its own child, and the moved one goes. Should the twin not
// be made, the moved tree stays: the panel shows its favourites either way.
HWND TreeReportingTo(HWND hWndBar, HWND hWndMoved) {
    if (!hWndMoved) return nullptr;
    const auto atom = static_cast<ATOM>(GetClassLongPtrW(hWndMoved, GCW_ATOM));
    RECT rc = {};
    if (!atom || !GetWindowRect(hWndMoved, &rc)) return hWndMoved;
    MapWindowPoints(nullptr, hWndBar, reinterpret_cast<POINT*>(&rc), 2);
    wchar_t text[64] = {};
    GetWindowTextW(hWndMoved, text, 64);
    HWND hWndTwin = CreateWindowExW(
        static_cast<DWORD>(GetWindowLongPtrW(hWndMoved, GWL_EXSTYLE)), MAKEINTATOM(atom), text,
        static_cast<DWORD>(GetWindowLongPtrW(hWndMoved, GWL_STYLE)), rc.left, rc.top, rc.right - rc.left,
        rc.bottom - rc.top, hWndBar, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(GetDlgCtrlID(hWndMoved))),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hWndMoved, GWLP_HINSTANCE)), nullptr);
    if (!hWndTwin) return hWndMoved;
    SendMessageW(hWndTwin, WM_SETFONT, static_cast<WPARAM>(SendMessageW(hWndMoved, WM_GETFONT, 0, 0)), FALSE);
    SetWindowPos(hWndTwin, hWndMoved, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(hWndMoved);
    return hWndTwin;
}

// Whether pt lies on the item's label as the tree draws it (the rectangle it highlights). The hit
// test of some tree-view controls (Wine's) leaves out the label's margins, so an empty label could
// never be hit at all.
bool OnDrawnLabel(HWND hWndTree, HTREEITEM hItem, POINT pt) {
    RECT rc = {};
    // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
    std::memcpy(&rc, &hItem, sizeof hItem);
    return SendMessageW(hWndTree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rc)) && PtInRect(&rc, pt);
}

}  // namespace

LRESULT CCustomBar::OnInitDialog() {
    m_hWndTree = TreeReportingTo(m_hWnd, GetDlgItem(m_hWnd, IDC_FAVORITES_TREE));
    LoadFavorites();
    return TRUE;
}

void CCustomBar::OnDestroy() {
    // The tree is still there: children go after their parent has handled WM_DESTROY.
    if (m_hWndTree) FreeItemRecords(TreeViewOutline(m_hWndTree).FirstRoot());
    // The handle dies with the window; a later message must not reach whatever window gets it next.
    m_hWndTree = nullptr;
}

void CCustomBar::OnSize(LPARAM lParam) {
    // Only the panel's own tree is ever moved.
    if (m_hWndTree && GetParent(m_hWndTree) == m_hWnd)
        MoveWindow(m_hWndTree, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
}

LRESULT CCustomBar::OnTreeDblClk() {
    if (!m_hWndTree || !m_hWndHost) return 0;
    // Where the double-click happened, not where the cursor is now; sign-extended, so monitors left
    // of or above the primary one work.
    const DWORD pos = GetMessagePos();
    POINT pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    if (!ScreenToClient(m_hWndTree, &pt)) return 0;
    TVHITTESTINFO hit = {};
    hit.pt = pt;
    const auto hItem = reinterpret_cast<HTREEITEM>(SendMessageW(m_hWndTree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (!hItem || !((hit.flags & TVHT_ONITEM) || OnDrawnLabel(m_hWndTree, hItem, pt))) return 0;
    const TreeViewOutline tree(m_hWndTree);
    if (tree.FirstChild(hItem)) return 0;
    const CFavoriteItem* record = tree.Record(hItem);
    if (!record) return 0;
    // A copy: the editor may close the panel, and so release the record, before it reads the path.
    const Text path = record->m_strPath;
    SendMessageW(m_hWndHost, HM_OPEN_FILE, 0, reinterpret_cast<LPARAM>(path.c_str()));
    // 0 leaves the tree's own double-click handling in force.
    return 0;
}

void CCustomBar::OnGetInfoTip(NMTVGETINFOTIPW* pTip) {
    // The tip shows the whole entry, not just the part after the last backslash.
    if (!pTip || !m_hWndTree || pTip->hdr.hwndFrom != m_hWndTree || !pTip->pszText || pTip->cchTextMax <= 0) return;
    const CFavoriteItem* record = TreeViewOutline(m_hWndTree).Record(pTip->hItem);
    if (!record) return;
    const size_t length = std::min(record->m_strPath.size(), static_cast<size_t>(pTip->cchTextMax) - 1);
    wmemcpy(pTip->pszText, record->m_strPath.data(), length);
    pTip->pszText[length] = L'\0';
}

void CCustomBar::LoadFavorites() {
    if (!m_hWndTree) return;
    TreeViewOutline tree(m_hWndTree);
    RedrawOffScope quiet(m_hWndTree);
    try {
        std::vector<Text> lines;
        {
            Text text;
            // The result does not matter: a file that cannot be read leaves the text empty.
            ReadTextFile(FolderOfPath(g_strPluginIniPath) + TXT("Favorites.txt"), text, nullptr);
            if (!text.empty()) SplitLines(text.c_str(), lines);
        }
        OutlineBuilder<TreeViewOutline> builder(tree);
        for (Text& piece : lines) {
            builder.AddLine(piece);
            Text().swap(piece);
        }
        // The whole tree expanded: the builder knows which items have children, in tree order, so
        // no walk through the control is needed (the control may take time in proportion to its
        // size for each message naming an item). Expanding a leaf would change nothing.
        for (HTREEITEM hParent : builder.Parents())
            SendMessageW(m_hWndTree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(hParent));
    } catch (...) {
        // Out of memory part way: the items made so far keep their records, which WM_DESTROY
        // releases; the tree shows what was read.
    }
}

void CCustomBar::ExpandAll(HTREEITEM hItem) {
    if (!m_hWndTree) return;
    const HWND hWndTree = m_hWndTree;
    try {
        WalkOutline(TreeViewOutline(hWndTree), hItem, [hWndTree](HTREEITEM hEach, size_t) {
            SendMessageW(hWndTree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(hEach));
        });
    } catch (...) {
        // No memory for the walk: what is expanded stays so.
    }
}

void CCustomBar::FreeItemRecords(HTREEITEM hItem) {
    if (!m_hWndTree) return;
    const TreeViewOutline tree(m_hWndTree);
    try {
        WalkOutline(tree, hItem, [&tree](HTREEITEM hEach, size_t) { delete tree.Record(hEach); });
    } catch (...) {
        // The walk keeps one entry per level, at most 256 of them; should even that fail, the
        // records left are lost rather than the editor.
    }
}
