// Loading the plug-in and reading what it shows: menu text, status text, icon, name, version.
#include "Host.h"
#include "HostLog.h"

namespace {

template <typename Fn>
void Resolve(HMODULE hModule, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(hModule, name)));
    LogLine("Export").Word("name", name).Word("found", fn ? "1" : "0");
}

std::wstring LoadResourceString(HMODULE hModule, UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out the resource's own text, not terminated.
    int n = LoadStringW(hModule, id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 && text ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
}

// PluginProc with a buffer of 64 characters, as the editor asks for the name and the version.
void LogPluginText(UINT code) {
    wchar_t buffer[64];
    wmemset(buffer, L'#', 64);
    LRESULT result = g_host.plugin.PluginProc(nullptr, code, 64, reinterpret_cast<LPARAM>(buffer));
    buffer[63] = L'\0';
    LogLine("PluginProc").Num("code", code).Num("wparam", 64).Num("result", result).Text("text", buffer);
}

}  // namespace

bool PluginLoaded() { return g_host.plugin.hModule != nullptr; }

bool LoadPlugin(const std::wstring& path) {
    if (PluginLoaded()) {
        LogLine("LoadLibrary").Word("result", "already-loaded");
        return true;
    }
    PluginApi& api = g_host.plugin;
    api.path = path;
    api.hModule = LoadLibraryW(path.c_str());
    LogLine("LoadLibrary").Word("result", api.hModule ? "ok" : "failed").Num("error", api.hModule ? 0 : GetLastError()).Text("path", path);
    if (!api.hModule) return false;
    Resolve(api.hModule, "OnCommand", api.OnCommand);
    Resolve(api.hModule, "QueryStatus", api.QueryStatus);
    Resolve(api.hModule, "GetMenuTextID", api.GetMenuTextID);
    Resolve(api.hModule, "GetStatusMessageID", api.GetStatusMessageID);
    Resolve(api.hModule, "GetIconID", api.GetIconID);
    Resolve(api.hModule, "OnEvents", api.OnEvents);
    Resolve(api.hModule, "PluginProc", api.PluginProc);
    if (!api.OnCommand || !api.QueryStatus || !api.GetMenuTextID || !api.GetStatusMessageID ||
        !api.GetIconID || !api.OnEvents || !api.PluginProc) {
        LogLine("LoadLibrary").Word("result", "missing-exports");
        UnloadPlugin();
        return false;
    }

    UINT menuId = api.GetMenuTextID();
    LogLine("GetMenuTextID").Num("result", menuId);
    UINT statusId = api.GetStatusMessageID();
    LogLine("GetStatusMessageID").Num("result", statusId);
    UINT iconId = api.GetIconID();
    LogLine("GetIconID").Num("result", iconId);
    api.menuText = LoadResourceString(api.hModule, menuId);
    LogLine("MenuText").Num("id", menuId).Text("text", api.menuText);
    api.statusText = LoadResourceString(api.hModule, statusId);
    LogLine("StatusText").Num("id", statusId).Text("text", api.statusText);

    api.hIcon = static_cast<HICON>(LoadImageW(api.hModule, MAKEINTRESOURCEW(iconId), IMAGE_ICON, 16, 16, 0));
    LogLine icon("Icon");
    icon.Num("id", iconId).Word("loaded", api.hIcon ? "1" : "0");
    ICONINFO info = {};
    if (api.hIcon && GetIconInfo(api.hIcon, &info)) {
        BITMAP bm = {};
        if (info.hbmColor && GetObjectW(info.hbmColor, sizeof bm, &bm))
            icon.Num("width", bm.bmWidth).Num("height", bm.bmHeight).Num("bpp", bm.bmBitsPixel);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }

    LogPluginText(2306);
    LogPluginText(2307);
    return true;
}

void UnloadPlugin() {
    PluginApi& api = g_host.plugin;
    if (!api.hModule) {
        LogLine("FreeLibrary").Word("result", "not-loaded");
        return;
    }
    if (api.hIcon) DestroyIcon(api.hIcon);
    BOOL ok = FreeLibrary(api.hModule);
    LogLine("FreeLibrary").Num("result", ok);
    std::wstring path = api.path;
    api = PluginApi();
    api.path = path;
}
