// The editor's calls: the command, its checked state, the texts and the icon it shows.
#include "Exports.h"

#include <cwchar>

#include "HostInterface.h"
#include "PluginInstance.h"

namespace {

constexpr UINT kMenuTextId = 40000;
constexpr UINT kStatusTextId = 40001;
constexpr UINT kIconId = 101;
constexpr wchar_t kName[] = L"Shelfmap";
constexpr wchar_t kVersion[] = L"0.2.2.0";
constexpr wchar_t kBarTitle[] = L"\u30AB\u30B9\u30BF\u30E0\u30D0\u30FC";  // カスタムバー

template <size_t N>
constexpr LRESULT TextLength(const wchar_t (&)[N]) {
    return static_cast<LRESULT>(N - 1);
}

// Copies text into a buffer of size characters: never past the buffer, and always terminated
// when there is room for the terminator, so a short buffer holds the text's beginning.
void CopyBounded(const wchar_t* text, size_t length, WPARAM size, LPARAM lParam) {
    auto* buffer = reinterpret_cast<wchar_t*>(lParam);
    if (!buffer || size == 0) return;
    size_t n = length < size - 1 ? length : static_cast<size_t>(size - 1);
    wmemcpy(buffer, text, n);
    buffer[n] = L'\0';
}

}  // namespace

extern "C" void WINAPI OnCommand(HWND hWnd) {
    try {
        CPluginInstance* pInstance = LookupInstance(hWnd);
        if (!pInstance) return;  // a frame the editor never announced

        if (pInstance->m_nBarId >= 0) {
            // Open: ask the editor to close it; the id goes when it reports the bar closed.
            SendMessageW(hWnd, HM_CUSTOM_BAR_CLOSE, static_cast<WPARAM>(pInstance->m_nBarId), 0);
            return;
        }

        CCustomBar& bar = pInstance->m_wndBar;
        {
            CCustomBarDlg dlg;
            dlg.CreateBar(hWnd, bar);
        }
        // No window, nothing to dock: the panel stays closed.
        if (!bar.m_hWnd) return;
        HWND hWndBar = bar.m_hWnd;

        CUSTOM_BAR_INFO info = {};
        info.cbSize = sizeof(info);
        info.hwndClient = hWndBar;
        info.pszTitle = kBarTitle;
        const LRESULT nBarId = SendMessageW(hWnd, HM_CUSTOM_BAR_OPEN, 0, reinterpret_cast<LPARAM>(&info));

        // The editor may have called back while it docked the bar; use the instance only if the
        // frame still has it.
        if (LookupInstance(hWnd) != pInstance) return;
        pInstance->m_nBarId = static_cast<int32_t>(nBarId);
        bar.m_hWndHost = hWnd;
        if (bar.m_hWnd == hWndBar) ShowWindow(hWndBar, SW_SHOW);
    } catch (...) {
    }
}

extern "C" BOOL WINAPI QueryStatus(HWND hWnd, LPBOOL pbChecked) {
    if (!pbChecked) return TRUE;
    CPluginInstance* pInstance = LookupInstance(hWnd);
    *pbChecked = pInstance && pInstance->m_nBarId >= 0 ? TRUE : FALSE;
    return TRUE;
}

extern "C" UINT WINAPI GetMenuTextID() { return kMenuTextId; }

extern "C" UINT WINAPI GetStatusMessageID() { return kStatusTextId; }

extern "C" UINT WINAPI GetIconID() { return kIconId; }

extern "C" LRESULT WINAPI PluginProc(HWND, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    switch (nMsg) {
    case PP_GET_NAME:
        CopyBounded(kName, TextLength(kName), wParam, lParam);
        return TextLength(kName);
    case PP_GET_VERSION:
        CopyBounded(kVersion, TextLength(kVersion), wParam, lParam);
        return TextLength(kVersion);
    default:
        return 0;
    }
}
