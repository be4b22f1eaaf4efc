#pragma once
// Runs a console program to completion and collects its exit status, standard output and error.
#include <windows.h>
#include <string>

struct ProcessResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;  // bytes as written
    std::string err;
};

// A Unix path from the build system, as Wine's Windows side names it.
inline std::wstring WinePath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    return path;
}

ProcessResult RunProcess(const std::wstring& commandLine);
