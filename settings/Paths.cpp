#include "Paths.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <cwchar>

namespace {

inline bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Length of a path the system wrote into a buffer of MAX_PATH; MAX_PATH when it is not terminated.
size_t TerminatedLength(const wchar_t* buffer) { return wcsnlen(buffer, MAX_PATH); }

}  // namespace

PathParts SplitPath(const Text& path) {
    PathParts parts;
    size_t start = 0;
    if (path.size() >= 2 && path[1] == L':') {
        parts.strDrive = path.substr(0, 2);
        start = 2;
    }
    size_t nameStart = start;
    for (size_t i = path.size(); i > start; --i) {
        if (IsSeparator(path[i - 1])) {
            nameStart = i;
            break;
        }
    }
    parts.strFolder = path.substr(start, nameStart - start);
    const size_t dot = path.rfind(L'.');
    if (dot != Text::npos && dot >= nameStart) {
        parts.strName = path.substr(nameStart, dot - nameStart);
        parts.strExt = path.substr(dot);
    } else {
        parts.strName = path.substr(nameStart);
    }
    return parts;
}

Text FolderOfPath(const Text& path) {
    PathParts parts = SplitPath(path);
    return parts.strDrive + parts.strFolder;
}

bool IsExistingFile(const Text& path) {
    // The shell's path functions take at most MAX_PATH characters; nothing longer is opened here.
    if (path.empty() || path.size() >= MAX_PATH) return false;
    return PathFileExistsW(path.c_str()) && !PathIsDirectoryW(path.c_str());
}

Text PathFromSystem(const wchar_t* buffer, DWORD length) {
    if (length == 0 || length >= MAX_PATH) return Text();
    return Text(buffer, length);
}

Text ModuleFilePath(HMODULE hModule) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(hModule, buffer, MAX_PATH);
    return PathFromSystem(buffer, length);
}

PathServices SystemPathServices() {
    PathServices services;
    services.canonicalize = [](const Text& path, Text& canonical) {
        if (path.size() >= MAX_PATH) return false;
        wchar_t buffer[MAX_PATH] = {};
        if (!PathCanonicalizeW(buffer, path.c_str())) return false;
        const size_t length = TerminatedLength(buffer);
        if (length >= MAX_PATH) return false;
        canonical.assign(buffer, length);
        return true;
    };
    services.isExistingFile = [](const Text& path) { return IsExistingFile(path); };
    services.appDataFolder = [](Text& folder) {
        wchar_t buffer[MAX_PATH] = {};
        if (!SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_APPDATA, TRUE)) return false;
        const size_t length = TerminatedLength(buffer);
        if (length == 0 || length >= MAX_PATH) return false;
        folder.assign(buffer, length);
        return true;
    };
    return services;
}

Text ModuleNameOfPath(const Text& moduleFile) { return SplitPath(moduleFile).strName; }

Text FindHostIniPath(const Text& hostProgramFile, const PathServices& services) {
    if (hostProgramFile.empty()) return Text();
    Text canonical;
    if (!services.canonicalize(hostProgramFile, canonical)) return Text();
    const PathParts parts = SplitPath(canonical);
    const Text besideProgram = parts.strDrive + parts.strFolder + L"Tarn.ini";
    // A Tarn.ini beside the program wins, even when the application-data folder holds one too.
    if (services.isExistingFile(besideProgram)) return besideProgram;
    Text appData;
    if (services.appDataFolder(appData)) return appData + L"\\Tarn\\Tarn.ini";
    return besideProgram;
}

Text BuildPluginIniPath(const Text& hostIniPath, const Text& moduleName) {
    const PathParts parts = SplitPath(hostIniPath);
    return parts.strDrive + parts.strFolder + L"Plugins\\" + moduleName + L"\\" + moduleName + L".ini";
}

ConfigPaths ComputeConfigPaths(const Text& moduleFile, const Text& hostProgramFile,
                               const PathServices& services) {
    ConfigPaths paths;
    paths.strModuleName = ModuleNameOfPath(moduleFile);
    paths.strHostIniPath = FindHostIniPath(hostProgramFile, services);
    paths.strPluginIniPath = BuildPluginIniPath(paths.strHostIniPath, paths.strModuleName);
    return paths;
}
