// The module's static objects, defined in this one file so that they are built in this order
// (and destroyed in the reverse one): the frame registry, the settings store, the path texts.
// Then DllMain's process attach fills them, and its process detach saves the store.
#include <windows.h>

#include "PluginInstance.h"
#include "WindowImpl.h"
#include "settings/IniFile.h"
#include "settings/Paths.h"
#include "textio/DetectEncoding.h"

InstanceMap g_mapInstances;
CIniFile g_iniFile;
Text g_strHostIniPath;
Text g_strModuleName;
Text g_strPluginIniPath;

UniqueMutex g_hInstanceMutex;

namespace {

void ProcessAttach(HINSTANCE hInstance) noexcept {
    g_module.Init(hInstance);
    g_hInstanceMutex.reset(CreateMutexW(nullptr, FALSE, nullptr));
    InitPaths(hInstance);
    g_iniFile.Load(g_strPluginIniPath);
    g_iniFile.m_nEncoding = ENC_UTF8;  // written back, if ever, as UTF-8 without a byte order mark
}

void ProcessDetach(bool processExiting) noexcept {
    TextEncoding encoding = g_iniFile.m_nEncoding;
    if (encoding == ENC_UNKNOWN || encoding == ENC_BINARY) encoding = ENC_UTF8;
    g_iniFile.Save(g_iniFile.m_strFilePath, encoding);
    // Unloaded while the editor runs on: a bar window left standing would call into code that is
    // gone. At process exit nothing runs any more, and the windows go with the process.
    if (!processExiting) DestroyAllInstances();
    g_hInstanceMutex.reset();
    g_module.Term();
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved) {
    try {
        if (dwReason == DLL_PROCESS_ATTACH) ProcessAttach(hInstance);
        else if (dwReason == DLL_PROCESS_DETACH) ProcessDetach(lpReserved != nullptr);
    } catch (...) {
    }
    return TRUE;
}
