#pragma once
// Where the module's files lie: the host's INI file is found beside the host program or in the
// user's application-data folder, and the module's own INI file (with "Favorites.txt" beside it)
// lies under "Plugins\<module name>\" in the folder of the host's INI file.
#include <windows.h>
#include <functional>
#include "textio/Text.h"

// Defined with the module's other static objects (plugin/ModuleState.cpp), so that their order of
// construction is fixed. Empty until InitPaths, then unchanged until unload.
extern Text g_strHostIniPath;
extern Text g_strModuleName;
extern Text g_strPluginIniPath;

// The parts of a path: the drive ("X:" or nothing), the folder from after the drive to the last
// backslash or slash inclusive, the file name up to the last dot after the last separator, and the
// extension from that dot on. The parts are Texts of their own, so a part of any length is kept
// whole and nothing is cut or written past a fixed buffer.
struct PathParts {
    Text strDrive;
    Text strFolder;
    Text strName;
    Text strExt;
};
PathParts SplitPath(const Text& path);

// The drive and folder parts, ending with a separator whenever there is a folder part; empty for
// a bare file name.
Text FolderOfPath(const Text& path);

// True when something exists at the path and it is not a folder.
bool IsExistingFile(const Text& path);

// A path as a system call left it in a buffer of MAX_PATH characters: length is what the call
// returned. Empty when the call failed (0) or filled the whole buffer, i.e. the path was cut.
Text PathFromSystem(const wchar_t* buffer, DWORD length);

// What finding the host's INI file asks of the system. SystemPathServices() gives the real ones;
// tests put in their own.
struct PathServices {
    std::function<bool(const Text& path, Text& canonical)> canonicalize;  // removes . and .. segments
    std::function<bool(const Text& path)> isExistingFile;
    std::function<bool(Text& folder)> appDataFolder;                      // the user's, created when missing
};
PathServices SystemPathServices();

// The host program's file, and the module's, as GetModuleFileNameW reports them; empty on failure.
Text ModuleFilePath(HMODULE hModule);

// The file name part of the module's file: Shelfmap for X:\A\Shelfmap.dll.
Text ModuleNameOfPath(const Text& moduleFile);

// Where the host keeps its INI file, given the host program's file (empty: not known).
Text FindHostIniPath(const Text& hostProgramFile, const PathServices& services);

// Drive and folder of the host's INI file, "Plugins\", the module name, "\", the module name and ".ini".
Text BuildPluginIniPath(const Text& hostIniPath, const Text& moduleName);

// The three texts, from the module's file and the host program's file.
struct ConfigPaths {
    Text strModuleName;
    Text strHostIniPath;
    Text strPluginIniPath;
};
ConfigPaths ComputeConfigPaths(const Text& moduleFile, const Text& hostProgramFile,
                               const PathServices& services);

// Fills the three texts from the system; called once, at process attach. They are set together,
// or (out of memory) not at all.
void InitPaths(HINSTANCE hInstance) noexcept;
