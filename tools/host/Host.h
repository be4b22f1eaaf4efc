#pragma once
// The stand-in host: plays the editor Tarn for a plug-in DLL, for the tests and for trying a
// plug-in without the editor.
#include <windows.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The plug-in's seven exports.
struct PluginApi {
    HMODULE hModule = nullptr;
    void(WINAPI* OnCommand)(HWND) = nullptr;
    BOOL(WINAPI* QueryStatus)(HWND, BOOL*) = nullptr;
    UINT(WINAPI* GetMenuTextID)() = nullptr;
    UINT(WINAPI* GetStatusMessageID)() = nullptr;
    UINT(WINAPI* GetIconID)() = nullptr;
    void(WINAPI* OnEvents)(HWND, UINT, LPARAM) = nullptr;
    LRESULT(WINAPI* PluginProc)(HWND, UINT, WPARAM, LPARAM) = nullptr;

    std::wstring path;
    std::wstring menuText;
    std::wstring statusText;
    HICON hIcon = nullptr;
};

// How the host answers HM_CUSTOM_BAR_CLOSE.
enum class CloseMode {
    Sync,    // destroy the bar window, then report EVENT_CUSTOM_BAR_CLOSED inside the message
    Defer,   // destroy the bar window; the script reports later (report-closed)
    Ignore,  // record the request only
};

struct Frame {
    int index = 0;
    HWND hWnd = nullptr;      // for a raw frame: the handle value, no window behind it
    HWND hWndStatus = nullptr;
    HBITMAP hMenuBitmap = nullptr;  // the plug-in's icon beside its menu item; the menu does not own it
    bool raw = false;
    bool closed = false;
    std::map<int, HWND> bars;  // bar id -> docked client window
};

struct HostState {
    PluginApi plugin;
    std::vector<std::unique_ptr<Frame>> frames;
    int nextBarId = 0;
    bool refuseNextOpen = false;
    LRESULT refuseValue = -1;
    CloseMode closeMode = CloseMode::Sync;
    bool interactive = false;
    std::vector<HFONT> barFonts;  // every font a docked bar's tree used, to count the live ones
};

extern HostState g_host;

// Plug-in
bool LoadPlugin(const std::wstring& path);
void UnloadPlugin();
bool PluginLoaded();

// Frames
bool RegisterFrameClass();
Frame* OpenFrame(bool notify);          // a new frame window; notify: OnEvents(frame, 0)
Frame* AddRawFrame(HWND value);         // a handle value with no window behind it
Frame* FindFrame(int index);
void CloseFrame(Frame& frame);          // OnEvents(EVENT_CLOSE_FRAME), then destroy the window
void HostCloseBar(Frame& frame);        // the user closes the bar: destroy it, then report
void CallOnEvents(Frame& frame, UINT bits);
void CallOnCommand(Frame& frame);
void CallQueryStatus(Frame& frame, bool nullPointer);
void LogBarInfo(Frame& frame);
void LogGuiCounts(const std::wstring& label);
void CloseAllFrames();
void PumpMessages(DWORD milliseconds);

// Script
int RunScript(const std::wstring& script);
