// Kept apart from Paths.cpp: users of FolderOfPath and IsExistingFile link without the module's
// path texts, which only the plug-in defines.
#include "Paths.h"

void InitPaths(HINSTANCE hInstance) noexcept {
    try {
        ConfigPaths paths = ComputeConfigPaths(ModuleFilePath(hInstance), ModuleFilePath(nullptr),
                                               SystemPathServices());
        g_strModuleName.swap(paths.strModuleName);
        g_strHostIniPath.swap(paths.strHostIniPath);
        g_strPluginIniPath.swap(paths.strPluginIniPath);
    } catch (...) {
        // Out of memory: the texts stay empty, and every file they would name is simply not found.
    }
}
