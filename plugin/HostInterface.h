#pragma once
// What Shelfmap and the editor Tarn exchange: message numbers, PluginProc codes, OnEvents bits and
// the record that docks a custom bar. The numbers are the editor's; nothing here may change them.
#include <windows.h>
#include <cstddef>

// Messages the plug-in sends to a frame window with SendMessageW.
constexpr UINT HM_OPEN_FILE = 2058;         // lParam: NUL-terminated UTF-16 path; result ignored
constexpr UINT HM_CUSTOM_BAR_OPEN = 2088;   // lParam: CUSTOM_BAR_INFO*; result: bar id, >= 0 when open
constexpr UINT HM_CUSTOM_BAR_CLOSE = 2089;  // wParam: bar id; result ignored

// PluginProc codes. 2304, 2305 and 2308 are the editor's own; the plug-in answers them with 0.
constexpr UINT PP_GET_NAME = 2306;
constexpr UINT PP_GET_VERSION = 2307;

// OnEvents bits. A call with bit 1 or 2 set is ignored whole.
constexpr UINT EVENT_IGNORED_MASK = 0x1 | 0x2;
constexpr UINT EVENT_CLOSE_FRAME = 0x8;
constexpr UINT EVENT_CUSTOM_BAR_CLOSED = 0x80000;

// Valid only during the HM_CUSTOM_BAR_OPEN call. The plug-in zero-initialises the whole record, so
// the unnamed field at offset 4 never carries stack bytes to the editor.
struct CUSTOM_BAR_INFO {
    UINT cbSize;          // sizeof(CUSTOM_BAR_INFO): 20 in the 32-bit editor
    UINT nReserved;       // offset 4: no value of the plug-in's
    HWND hwndClient;      // the window to dock
    LPCWSTR pszTitle;     // static, NUL-terminated
    LPARAM lReserved;     // offset 16 in the 32-bit editor: always 0
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(CUSTOM_BAR_INFO) == 20, "the 32-bit editor reads a 20-byte record");
static_assert(offsetof(CUSTOM_BAR_INFO, cbSize) == 0, "cbSize at offset 0");
static_assert(offsetof(CUSTOM_BAR_INFO, hwndClient) == 8, "hwndClient at offset 8");
static_assert(offsetof(CUSTOM_BAR_INFO, pszTitle) == 12, "pszTitle at offset 12");
static_assert(offsetof(CUSTOM_BAR_INFO, lReserved) == 16, "the zero field at offset 16");
#endif
