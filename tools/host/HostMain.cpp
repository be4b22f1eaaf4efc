// tarn-host: plays the editor Tarn for a plug-in DLL.
//
//   tarn-host [--plugin PATH] [--log FILE] [--script "CMD; CMD; ..."] [--script-file FILE]
//
// Without a script it opens one frame window and runs until the last frame is closed. With one it
// runs the script, then closes the frames that are still open (EVENT_CLOSE_FRAME for each), unloads
// the plug-in and exits with the script's code. Exit codes: 0 done, 2 bad command line or script,
// 3 the plug-in crashed, 4 the plug-in could not be loaded.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "Host.h"
#include "HostLog.h"

namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    size_t slash = s.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : s.substr(0, slash + 1);
}

// The editor keeps Tarn.ini beside its program; plug-ins find their folder from it.
void EnsureHostIni() {
    std::wstring ini = ProgramFolder() + L"Tarn.ini";
    HANDLE h = CreateFileW(ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

bool ReadUtf8File(const std::wstring& path, std::wstring& text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::string bytes;
    char buf[4096];
    DWORD read = 0;
    while (ReadFile(h, buf, sizeof buf, &read, nullptr) && read > 0) bytes.append(buf, read);
    CloseHandle(h);
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    text = FromUtf8(bytes);
    return true;
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    LogLine("Crash").Hex("code", info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0);
    CloseLog();
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

void Usage() {
    MessageBoxW(nullptr,
                L"tarn-host [--plugin PATH] [--log FILE] [--script \"CMD; CMD\"] [--script-file FILE]",
                L"Tarn stand-in host", MB_OK | MB_ICONINFORMATION);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring pluginPath = ProgramFolder() + L"Shelfmap.dll";
    std::wstring logPath, script;
    bool scripted = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == L"--plugin" && hasValue) pluginPath = argv[++i];
        else if (a == L"--log" && hasValue) logPath = argv[++i];
        else if (a == L"--script" && hasValue) script += std::wstring(argv[++i]) + L"\n", scripted = true;
        else if (a == L"--script-file" && hasValue) {
            std::wstring text;
            if (!ReadUtf8File(argv[++i], text)) return 2;
            script += text + L"\n";
            scripted = true;
        } else {
            if (!scripted && logPath.empty()) Usage();
            return 2;
        }
    }
    LocalFree(argv);

    // A crash of the plug-in ends the run with a log line, never with a debugger's dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(&OnCrash);
    if (!logPath.empty()) OpenLog(logPath);
    g_host.interactive = !scripted;

    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    EnsureHostIni();
    RegisterFrameClass();
    LogLine("HostStarted").Word("mode", scripted ? "script" : "interactive");
    bool loaded = LoadPlugin(pluginPath);

    int code = 0;
    if (scripted) {
        code = RunScript(script);
        LogLine("ScriptEnd").Num("code", code);
        CloseAllFrames();
        PumpMessages(0);
        if (PluginLoaded()) UnloadPlugin();
        if (!loaded && code == 0) code = 4;
    } else {
        OpenFrame(true);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        CloseAllFrames();
        if (PluginLoaded()) UnloadPlugin();
    }
    LogLine("HostExit").Num("code", code);
    CloseLog();
    return code;
}
