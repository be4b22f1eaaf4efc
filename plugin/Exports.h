#pragma once
// The seven functions the editor calls, under their plain names (Shelfmap.def).
#include <windows.h>

extern "C" {
void WINAPI OnCommand(HWND hWnd);
BOOL WINAPI QueryStatus(HWND hWnd, LPBOOL pbChecked);
UINT WINAPI GetMenuTextID();
UINT WINAPI GetStatusMessageID();
UINT WINAPI GetIconID();
void WINAPI OnEvents(HWND hWnd, UINT nEvent, LPARAM lParam);
LRESULT WINAPI PluginProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
}
