// The panel's tree as the user meets it: what it shows, printed exactly as shelfmap-check
// --outline prints the file, and clicks and keys through SendInput, so the tree gets the same
// messages as from a real mouse and keyboard.
#include "HostTreePanel.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

#include "HostLog.h"
#include "panel/Outline.h"
#include "panel/TreeViewOutline.h"

namespace {

constexpr int kTreeId = 1001;

HWND NewestTree(const Frame& frame) {
    if (frame.bars.empty()) return nullptr;
    HWND hWndBar = frame.bars.rbegin()->second;
    return IsWindow(hWndBar) ? GetDlgItem(hWndBar, kTreeId) : nullptr;
}

// The item at index in tree order, or null.
HTREEITEM ItemAt(HWND hWndTree, long long index) {
    const TreeViewOutline tree(hWndTree);
    HTREEITEM found = nullptr;
    long long i = 0;
    WalkOutline(tree, tree.FirstRoot(), [&](HTREEITEM hItem, size_t) {
        if (i++ == index) found = hItem;
    });
    return found;
}

UINT HitFlags(HWND hWndTree, POINT pt, HTREEITEM* hItem) {
    TVHITTESTINFO hit = {};
    hit.pt = pt;
    *hItem = reinterpret_cast<HTREEITEM>(SendMessageW(hWndTree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return hit.flags;
}

void SendMouseClicks(POINT screen, long long count) {
    SetCursorPos(screen.x, screen.y);
    std::vector<INPUT> inputs;
    for (long long i = 0; i < count; ++i) {
        for (DWORD flag : {DWORD(MOUSEEVENTF_LEFTDOWN), DWORD(MOUSEEVENTF_LEFTUP)}) {
            INPUT in = {};
            in.type = INPUT_MOUSE;
            in.mi.dwFlags = flag;
            inputs.push_back(in);
        }
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

void LogTreeItems(Frame& frame) {
    HWND hWndTree = NewestTree(frame);
    if (!hWndTree) {
        LogLine("TreeDump").Num("frame", frame.index).Word("tree", "none");
        return;
    }
    const TreeViewOutline tree(hWndTree);
    long long items = 0;
    size_t deepest = 0;
    std::vector<HTREEITEM> inOrder;
    WalkOutline(tree, tree.FirstRoot(), [&](HTREEITEM hItem, size_t level) {
        inOrder.push_back(hItem);
        if (level + 1 > deepest) deepest = level + 1;
    });
    // The records are the plug-in's, in this process's memory; the host only reads them.
    PrintOutline(tree, [&](const Text& line) {
        HTREEITEM hItem = inOrder[static_cast<size_t>(items++)];
        const UINT state = static_cast<UINT>(SendMessageW(hWndTree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hItem), TVIS_EXPANDED));
        LogLine("TreeItem").Num("frame", frame.index).Num("children", tree.FirstChild(hItem) ? 1 : 0)
            .Num("expanded", (state & TVIS_EXPANDED) ? 1 : 0).Text("text", line);
    });
    LogLine("TreeDump").Num("frame", frame.index).Num("items", items)
        .Num("count", static_cast<long long>(SendMessageW(hWndTree, TVM_GETCOUNT, 0, 0)))
        .Num("levels", static_cast<long long>(deepest));
}

void ClickTreeItem(Frame& frame, long long index, const std::wstring& part, long long count) {
    HWND hWndTree = NewestTree(frame);
    HTREEITEM hItem = hWndTree ? ItemAt(hWndTree, index) : nullptr;
    if (!hItem || count < 1 || count > 2) {
        LogLine("ClickRefused").Num("frame", frame.index).Num("index", index);
        return;
    }
    SendMessageW(hWndTree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hItem));
    // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
    RECT label = {};
    std::memcpy(&label, &hItem, sizeof hItem);
    if (!SendMessageW(hWndTree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label))) {
        LogLine("ClickRefused").Num("frame", frame.index).Num("index", index);
        return;
    }
    const LONG y = (label.top + label.bottom) / 2;
    POINT pt = {(label.left + label.right) / 2, y};
    if (part == L"right") {
        pt.x = label.right + 6;
    } else if (part == L"button" || part == L"indent") {
        // Left of the label, the first point the tree itself calls a button or indentation.
        const UINT want = part == L"button" ? TVHT_ONITEMBUTTON : TVHT_ONITEMINDENT;
        pt.x = -1;
        for (LONG x = label.left - 1; x >= 0; --x) {
            HTREEITEM hHit = nullptr;
            if ((HitFlags(hWndTree, POINT{x, y}, &hHit) & want) && hHit == hItem) {
                pt.x = x;
                break;
            }
        }
    } else if (part != L"label") {
        pt.x = -1;
    }
    if (pt.x < 0) {
        LogLine("ClickRefused").Num("frame", frame.index).Num("index", index);
        return;
    }
    HTREEITEM hHit = nullptr;
    const UINT flags = HitFlags(hWndTree, pt, &hHit);
    POINT screen = pt;
    ClientToScreen(hWndTree, &screen);
    LogLine("ClickAt").Num("frame", frame.index).Num("index", index).Num("x", screen.x).Num("y", screen.y)
        .Hex("hit", flags).Num("hit-item", hHit == hItem ? 1 : 0).Num("count", count)
        .Num("label-left", label.left).Num("label-right", label.right);
    SendMouseClicks(screen, count);
}

void PressKey(long long virtualKey) {
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = static_cast<WORD>(virtualKey);
    }
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    LogLine("Key").Num("vk", virtualKey);
}
