#pragma once
// The panel's tree-view control behind the tree interface of Outline.h, driven only by its
// messages. The records hang on the items as their item data (TVIF_PARAM).
#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#include <cwchar>
#include <memory>
#include "Outline.h"

class TreeViewOutline {
public:
    using Item = HTREEITEM;

    explicit TreeViewOutline(HWND hWndTree) noexcept : m_hWnd(hWndTree) {}

    // The record goes in with the item, so an item never exists without it; the item owns it only
    // once the control has made the item. The item starts as "expanded once": expanding it with
    // TVM_EXPAND then notifies nobody, so filling a large tree does not cost two notifications
    // per parent (which nobody handles) on top of the expansion itself.
    Item Insert(Item parent, const Text& label, std::unique_ptr<CFavoriteItem>& record) const noexcept {
        TVINSERTSTRUCTW tvis = {};
        tvis.hParent = parent ? parent : TVI_ROOT;
        tvis.hInsertAfter = TVI_LAST;
        tvis.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
        tvis.item.state = TVIS_EXPANDEDONCE;
        tvis.item.stateMask = TVIS_EXPANDEDONCE;
        tvis.item.pszText = const_cast<LPWSTR>(label.c_str());
        tvis.item.lParam = reinterpret_cast<LPARAM>(record.get());
        const auto item = reinterpret_cast<Item>(SendMessageW(m_hWnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&tvis)));
        if (item) record.release();
        return item;
    }

    CFavoriteItem* Record(Item item) const noexcept {
        if (!item) return nullptr;
        TVITEMW tvi = {};
        tvi.mask = TVIF_PARAM;
        tvi.hItem = item;
        if (!SendMessageW(m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi))) return nullptr;
        return reinterpret_cast<CFavoriteItem*>(tvi.lParam);
    }

    Item FirstRoot() const noexcept { return Next(nullptr, TVGN_ROOT); }
    Item FirstChild(Item item) const noexcept { return item ? Next(item, TVGN_CHILD) : nullptr; }
    Item NextSibling(Item item) const noexcept { return item ? Next(item, TVGN_NEXT) : nullptr; }
    Item Parent(Item item) const noexcept { return item ? Next(item, TVGN_PARENT) : nullptr; }

    // The item's text as the control keeps it, whatever its length.
    Text Label(Item item) const {
        for (size_t size = 260;; size *= 2) {
            Text buffer(size, TXT('\0'));
            TVITEMW tvi = {};
            tvi.mask = TVIF_TEXT;
            tvi.hItem = item;
            tvi.pszText = &buffer[0];
            tvi.cchTextMax = static_cast<int>(size);
            if (!SendMessageW(m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi))) return Text();
            // The control may hand back its own buffer instead of filling ours.
            const wchar_t* text = tvi.pszText ? tvi.pszText : buffer.c_str();
            const size_t length = wcsnlen(text, size);
            if (length + 1 < size || size >= (size_t(1) << 28)) return Text(text, length);
        }
    }

private:
    Item Next(Item item, WPARAM how) const noexcept {
        return reinterpret_cast<Item>(SendMessageW(m_hWnd, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    }

    HWND m_hWnd;
};
#endif
