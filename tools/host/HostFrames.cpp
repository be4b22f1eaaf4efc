// The host's frame windows: each has a bar pane on the left where a plug-in's custom bar is docked,
// a client area that shows the plug-in's icon and texts, and a status line. Every message the
// plug-in sends to a frame is answered here and logged.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <iterator>

#include "GdiCount.h"
#include "Host.h"
#include "HostLog.h"

HostState g_host;

namespace {

constexpr wchar_t kFrameClass[] = L"TarnHostFrame";
constexpr UINT HM_OPEN_FILE = 2058;
constexpr UINT HM_CUSTOM_BAR_OPEN = 2088;
constexpr UINT HM_CUSTOM_BAR_CLOSE = 2089;
constexpr UINT EVENT_CLOSE_FRAME = 0x8;
constexpr UINT EVENT_CUSTOM_BAR_CLOSED = 0x80000;
constexpr int kPaneWidth = 220;
constexpr int kStatusId = 100;
constexpr int kTreeId = 1001;

enum : UINT { ID_PLUGIN_COMMAND = 1000, ID_NEW_FRAME, ID_CLOSE_FRAME, ID_EXIT };

// The record the plug-in hands over with HM_CUSTOM_BAR_OPEN, as this build lays it out.
struct CustomBarInfo {
    UINT cbSize;
    UINT nReserved;
    HWND hwndClient;
    LPCWSTR pszTitle;
    LPARAM lReserved;
};

Frame* FrameFromWindow(HWND hWnd) {
    return reinterpret_cast<Frame*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
}

void SetStatus(Frame& frame, const std::wstring& text) {
    if (frame.hWndStatus) SendMessageW(frame.hWndStatus, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring StatusDescription() {
    const std::wstring& s = g_host.plugin.statusText;
    size_t bar = s.find(L'|');
    return bar == std::wstring::npos ? s : s.substr(bar + 1);
}

void Layout(Frame& frame) {
    RECT rc;
    GetClientRect(frame.hWnd, &rc);
    int statusHeight = 0;
    if (frame.hWndStatus) {
        SendMessageW(frame.hWndStatus, WM_SIZE, 0, 0);
        RECT rs;
        GetWindowRect(frame.hWndStatus, &rs);
        statusHeight = rs.bottom - rs.top;
    }
    if (!frame.bars.empty()) {
        HWND hWndBar = frame.bars.rbegin()->second;
        if (IsWindow(hWndBar)) MoveWindow(hWndBar, 0, 0, kPaneWidth, rc.bottom - statusHeight, TRUE);
    }
    InvalidateRect(frame.hWnd, nullptr, TRUE);
}

void Paint(HWND hWnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    SetBkMode(hdc, TRANSPARENT);
    int x = kPaneWidth + 16, y = 16;
    const PluginApi& api = g_host.plugin;
    if (api.hIcon) DrawIconEx(hdc, x, y, api.hIcon, 16, 16, 0, nullptr, DI_NORMAL);
    std::wstring line = api.hModule ? L"Plugins menu: " + api.menuText : L"(no plug-in loaded)";
    TextOutW(hdc, x + 24, y, line.c_str(), static_cast<int>(line.size()));
    line = L"Status text: " + api.statusText;
    TextOutW(hdc, x, y + 24, line.c_str(), static_cast<int>(line.size()));
    EndPaint(hWnd, &ps);
}

// The icon drawn into a 32-bpp bitmap, for the menu item.
HBITMAP IconBitmap(HICON hIcon) {
    if (!hIcon) return nullptr;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC hdc = CreateCompatibleDC(nullptr);
    HBITMAP hbm = CreateDIBSection(hdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (hbm) {
        HGDIOBJ old = SelectObject(hdc, hbm);
        DrawIconEx(hdc, 0, 0, hIcon, 16, 16, 0, nullptr, DI_NORMAL);
        SelectObject(hdc, old);
    }
    DeleteDC(hdc);
    return hbm;
}

HMENU BuildMenu(Frame& frame) {
    HMENU hMenu = CreateMenu();
    HMENU hFile = CreatePopupMenu();
    AppendMenuW(hFile, MF_STRING, ID_NEW_FRAME, L"&New frame");
    AppendMenuW(hFile, MF_STRING, ID_CLOSE_FRAME, L"&Close frame");
    AppendMenuW(hFile, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(hFile, MF_STRING, ID_EXIT, L"E&xit");
    AppendMenuW(hMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(hFile), L"&File");
    HMENU hPlugins = CreatePopupMenu();
    if (PluginLoaded()) {
        AppendMenuW(hPlugins, MF_STRING, ID_PLUGIN_COMMAND, g_host.plugin.menuText.c_str());
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_BITMAP;
        mii.hbmpItem = frame.hMenuBitmap = IconBitmap(g_host.plugin.hIcon);
        if (mii.hbmpItem) SetMenuItemInfoW(hPlugins, ID_PLUGIN_COMMAND, FALSE, &mii);
    } else {
        AppendMenuW(hPlugins, MF_STRING | MF_GRAYED, 0, L"(none)");
    }
    AppendMenuW(hMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(hPlugins), L"&Plugins");
    return hMenu;
}

const char* ClientState(Frame& frame, HWND hWndClient) {
    if (!hWndClient) return "null";
    if (!IsWindow(hWndClient)) return "invalid";
    return GetParent(hWndClient) == frame.hWnd ? "ok" : "not-child";
}

void RecordBarFont(HWND hWndBar) {
    HWND hWndTree = GetDlgItem(hWndBar, kTreeId);
    if (!hWndTree) return;
    auto hFont = reinterpret_cast<HFONT>(SendMessageW(hWndTree, WM_GETFONT, 0, 0));
    if (!hFont) return;
    for (HFONT f : g_host.barFonts)
        if (f == hFont) return;
    g_host.barFonts.push_back(hFont);
}

LRESULT OnCustomBarOpen(Frame& frame, LPARAM lParam) {
    const auto* info = reinterpret_cast<const CustomBarInfo*>(lParam);
    LogLine line("HM_CUSTOM_BAR_OPEN");
    line.Num("frame", frame.index);
    if (!info) {
        line.Num("id", -1).Word("info", "null");
        return -1;
    }
    const char* client = ClientState(frame, info->hwndClient);
    bool dockable = client[0] == 'o' || client[0] == 'n';  // ok, not-child
    LRESULT id = -1;
    if (g_host.refuseNextOpen) {
        g_host.refuseNextOpen = false;
        id = g_host.refuseValue;
    } else if (dockable) {
        id = g_host.nextBarId++;
    }
    line.Num("id", id).Num("cbSize", info->cbSize).Word("client", client);
    line.Num("reserved4", info->nReserved).Num("reserved16", static_cast<long long>(info->lReserved));
    line.Text("title", info->pszTitle ? std::wstring(info->pszTitle) : std::wstring(L"(null)"));
    if (id >= 0 && dockable) {
        if (GetParent(info->hwndClient) != frame.hWnd) SetParent(info->hwndClient, frame.hWnd);
        frame.bars[static_cast<int>(id)] = info->hwndClient;
        RecordBarFont(info->hwndClient);
        Layout(frame);
    }
    return id;
}

LRESULT OnCustomBarClose(Frame& frame, WPARAM wParam) {
    int id = static_cast<int>(wParam);
    auto it = frame.bars.find(id);
    bool known = it != frame.bars.end();
    const char* mode = g_host.closeMode == CloseMode::Sync ? "sync" : g_host.closeMode == CloseMode::Defer ? "defer" : "ignore";
    LogLine("HM_CUSTOM_BAR_CLOSE").Num("frame", frame.index).Num("id", id).Num("known", known).Word("mode", mode);
    if (!known || g_host.closeMode == CloseMode::Ignore) return 0;
    HWND hWndBar = it->second;
    frame.bars.erase(it);
    DestroyWindow(hWndBar);
    Layout(frame);
    // Reported from inside the plug-in's own message, as an editor may well do.
    if (g_host.closeMode == CloseMode::Sync) CallOnEvents(frame, EVENT_CUSTOM_BAR_CLOSED);
    return 0;
}

LRESULT CALLBACK FrameProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        static_cast<Frame*>(cs->lpCreateParams)->hWnd = hWnd;
    }
    Frame* frame = FrameFromWindow(hWnd);
    if (!frame) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    switch (uMsg) {
    case WM_CREATE:
        frame->hWndStatus = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP,
                                            0, 0, 0, 0, hWnd, reinterpret_cast<HMENU>(kStatusId), nullptr, nullptr);
        SetStatus(*frame, L"Ready");
        if (g_host.plugin.hIcon)
            SendMessageW(hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_host.plugin.hIcon));
        return 0;
    case WM_SIZE:
        Layout(*frame);
        return 0;
    case WM_PAINT:
        Paint(hWnd);
        return 0;
    case WM_INITMENUPOPUP:
        if (PluginLoaded() && GetMenuState(reinterpret_cast<HMENU>(wParam), ID_PLUGIN_COMMAND, MF_BYCOMMAND) != UINT(-1)) {
            BOOL checked = FALSE;
            g_host.plugin.QueryStatus(hWnd, &checked);
            CheckMenuItem(reinterpret_cast<HMENU>(wParam), ID_PLUGIN_COMMAND, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
        }
        return 0;
    case WM_MENUSELECT:
        SetStatus(*frame, LOWORD(wParam) == ID_PLUGIN_COMMAND && !(HIWORD(wParam) & MF_POPUP) ? StatusDescription() : L"Ready");
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case ID_PLUGIN_COMMAND: CallOnCommand(*frame); return 0;
        case ID_NEW_FRAME: OpenFrame(true); return 0;
        case ID_CLOSE_FRAME: CloseFrame(*frame); return 0;
        case ID_EXIT: CloseAllFrames(); return 0;
        }
        break;
    case WM_CLOSE:
        CloseFrame(*frame);
        return 0;
    case WM_PARENTNOTIFY:
        if ((LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY) && HIWORD(wParam) != kStatusId && !frame->closed)
            LogLine(LOWORD(wParam) == WM_CREATE ? "ChildCreated" : "ChildDestroyed").Num("frame", frame->index).Num("ctrl-id", HIWORD(wParam));
        return 0;
    case WM_NCDESTROY:
        if (frame->hMenuBitmap) DeleteObject(frame->hMenuBitmap);
        frame->hMenuBitmap = nullptr;
        break;
    case WM_DESTROY:
        frame->closed = true;
        if (g_host.interactive) {
            bool any = false;
            for (auto& f : g_host.frames) any = any || (!f->raw && !f->closed);
            if (!any) PostQuitMessage(0);
        }
        return 0;
    case HM_OPEN_FILE: {
        auto path = reinterpret_cast<const wchar_t*>(lParam);
        std::wstring text = path ? path : L"(null)";
        LogLine("HM_OPEN_FILE").Num("frame", frame->index).Num("wparam", static_cast<long long>(wParam)).Text("path", text);
        SetStatus(*frame, L"Opened: " + text);
        return 0;
    }
    case HM_CUSTOM_BAR_OPEN:
        return OnCustomBarOpen(*frame, lParam);
    case HM_CUSTOM_BAR_CLOSE:
        return OnCustomBarClose(*frame, wParam);
    default:
        if (uMsg >= WM_USER && uMsg < 0x8000) {
            LogLine("HostMessage").Num("frame", frame->index).Num("msg", uMsg).Hex("wparam", wParam).Hex("lparam", static_cast<ULONG_PTR>(lParam));
            return 0;
        }
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

BOOL CALLBACK CountChild(HWND, LPARAM lParam) {
    ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hWnd, LPARAM lParam) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid == GetCurrentProcessId()) {
        ++*reinterpret_cast<int*>(lParam);
        EnumChildWindows(hWnd, &CountChild, lParam);
    }
    return TRUE;
}

}  // namespace

bool RegisterFrameClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &FrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = kFrameClass;
    return RegisterClassExW(&wc) != 0;
}

Frame* OpenFrame(bool notify) {
    auto frame = std::make_unique<Frame>();
    frame->index = static_cast<int>(g_host.frames.size());
    Frame* f = frame.get();
    g_host.frames.push_back(std::move(frame));
    std::wstring title = L"Tarn (stand-in host) - frame " + std::to_wstring(f->index);
    HWND hWnd = CreateWindowExW(0, kFrameClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                40 + 30 * f->index, 40 + 30 * f->index, 800, 560, nullptr, BuildMenu(*f),
                                GetModuleHandleW(nullptr), f);
    LogLine("FrameOpened").Num("frame", f->index).Word("window", hWnd ? "1" : "0");
    if (!hWnd) {
        f->closed = true;
        return f;
    }
    ShowWindow(hWnd, g_host.interactive ? SW_SHOW : SW_SHOWNOACTIVATE);
    UpdateWindow(hWnd);
    if (notify) CallOnEvents(*f, 0);
    return f;
}

Frame* AddRawFrame(HWND value) {
    auto frame = std::make_unique<Frame>();
    frame->index = static_cast<int>(g_host.frames.size());
    frame->hWnd = value;
    frame->raw = true;
    LogLine("FrameOpened").Num("frame", frame->index).Word("window", "0").Hex("raw", reinterpret_cast<ULONG_PTR>(value));
    g_host.frames.push_back(std::move(frame));
    return g_host.frames.back().get();
}

Frame* FindFrame(int index) {
    if (index < 0 || index >= static_cast<int>(g_host.frames.size())) return nullptr;
    return g_host.frames[static_cast<size_t>(index)].get();
}

void CallOnEvents(Frame& frame, UINT bits) {
    if (!PluginLoaded()) {
        LogLine("OnEvents").Num("frame", frame.index).Hex("bits", bits).Word("error", "not-loaded");
        return;
    }
    LogLine("OnEvents").Num("frame", frame.index).Hex("bits", bits);  // written before the call
    g_host.plugin.OnEvents(frame.hWnd, bits, 0);
}

void CallOnCommand(Frame& frame) {
    if (!PluginLoaded()) {
        LogLine("OnCommand").Num("frame", frame.index).Word("error", "not-loaded");
        return;
    }
    LogLine("OnCommand").Num("frame", frame.index);
    g_host.plugin.OnCommand(frame.hWnd);
}

void CallQueryStatus(Frame& frame, bool nullPointer) {
    LogLine line("QueryStatus");
    line.Num("frame", frame.index);
    if (!PluginLoaded()) {
        line.Word("error", "not-loaded");
        return;
    }
    constexpr BOOL kUnwritten = 0x5A5A;
    BOOL checked = kUnwritten;
    BOOL result = g_host.plugin.QueryStatus(frame.hWnd, nullPointer ? nullptr : &checked);
    if (nullPointer) line.Word("pointer", "null");
    else if (checked == kUnwritten) line.Word("checked", "unwritten");
    else line.Num("checked", checked);
    line.Num("result", result);
}

void CloseFrame(Frame& frame) {
    if (frame.closed) return;
    if (!frame.raw) {
        CallOnEvents(frame, EVENT_CLOSE_FRAME);
        // Whether the plug-in left its bar window standing when told the frame closes.
        int alive = 0;
        for (auto& bar : frame.bars) alive += IsWindow(bar.second) ? 1 : 0;
        LogLine("FrameClosing").Num("frame", frame.index).Num("bars-alive", alive);
        frame.bars.clear();
        DestroyWindow(frame.hWnd);
    } else {
        CallOnEvents(frame, EVENT_CLOSE_FRAME);
    }
    frame.closed = true;
}

void HostCloseBar(Frame& frame) {
    if (frame.bars.empty()) {
        LogLine("BarClosedByHost").Num("frame", frame.index).Word("result", "no-bar");
        return;
    }
    auto it = std::prev(frame.bars.end());
    LogLine("BarClosedByHost").Num("frame", frame.index).Num("id", it->first);
    DestroyWindow(it->second);
    frame.bars.erase(it);
    Layout(frame);
    CallOnEvents(frame, EVENT_CUSTOM_BAR_CLOSED);
}

void LogBarInfo(Frame& frame) {
    LogLine line("BarInfo");
    line.Num("frame", frame.index);
    // Every child of the frame but the status line: docked bars and anything left behind.
    int children = 0;
    for (HWND h = frame.raw ? nullptr : GetWindow(frame.hWnd, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (h != frame.hWndStatus) ++children;
    line.Num("children", children);
    if (frame.bars.empty()) {
        line.Word("bar", "none");
        return;
    }
    int id = frame.bars.rbegin()->first;
    HWND hWndBar = frame.bars.rbegin()->second;
    line.Num("id", id).Num("exists", IsWindow(hWndBar) ? 1 : 0);
    if (!IsWindow(hWndBar)) return;
    RECT rc;
    GetClientRect(hWndBar, &rc);
    HWND hWndTree = GetDlgItem(hWndBar, kTreeId);
    line.Num("visible", IsWindowVisible(hWndBar)).Num("ctrl-id", GetDlgCtrlID(hWndBar))
        .Word("parent", GetParent(hWndBar) == frame.hWnd ? "frame" : "other")
        .Hex("style", static_cast<DWORD>(GetWindowLongW(hWndBar, GWL_STYLE)))
        .Hex("exstyle", static_cast<DWORD>(GetWindowLongW(hWndBar, GWL_EXSTYLE)))
        .Num("title-length", GetWindowTextLengthW(hWndBar)).Num("width", rc.right).Num("height", rc.bottom)
        .Num("tree", hWndTree ? 1 : 0);
    if (hWndTree) {
        RECT rt;
        GetWindowRect(hWndTree, &rt);
        MapWindowPoints(nullptr, hWndBar, reinterpret_cast<POINT*>(&rt), 2);
        line.Num("tree-left", rt.left).Num("tree-top", rt.top).Num("tree-width", rt.right - rt.left)
            .Num("tree-height", rt.bottom - rt.top).Num("tree-items", static_cast<long long>(SendMessageW(hWndTree, TVM_GETCOUNT, 0, 0)))
            .Num("tree-font", SendMessageW(hWndTree, WM_GETFONT, 0, 0) ? 1 : 0);
    }
}

void LogGuiCounts(const std::wstring& label) {
    LogLine line("GuiCount");
    DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    int fonts = -1;
    const char* method = "system";
    if (gdi == 0 && user == 0) {
        // Wine reports nothing: count GDI handles in the process's table and this process's windows.
        method = "handle-table";
        int all = CountGdiObjects(0);
        fonts = CountGdiObjects(kGdiFont);
        int windows = 0;
        EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&windows));
        gdi = all < 0 ? 0 : static_cast<DWORD>(all);
        user = static_cast<DWORD>(windows);
    } else {
        fonts = CountGdiObjects(kGdiFont);
    }
    int barFonts = 0;
    for (HFONT f : g_host.barFonts) barFonts += GetObjectType(f) == OBJ_FONT ? 1 : 0;
    line.Num("gdi", gdi).Num("user", user).Num("fonts", fonts).Num("bar-fonts", barFonts).Word("method", method).Text("label", label);
}

void CloseAllFrames() {
    for (auto& f : g_host.frames)
        if (!f->closed) CloseFrame(*f);
}

void PumpMessages(DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}
