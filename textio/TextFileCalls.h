#pragma once
// Windows only, internal: the system calls that TextFile.cpp makes, in one table that the tests may
// change for a while (to make WriteFile or SetEndOfFile fail, report a huge size, or take code
// page 50220 away) and must restore. Not thread-safe while a test changes it; nothing else does.
#ifdef _WIN32
#include <windows.h>

namespace textio {

struct TextFileCalls {
    decltype(&::CreateFileW) createFile;
    decltype(&::GetFileSizeEx) getFileSizeEx;
    decltype(&::ReadFile) readFile;
    decltype(&::WriteFile) writeFile;
    decltype(&::SetEndOfFile) setEndOfFile;
    decltype(&::MultiByteToWideChar) multiByteToWideChar;
    decltype(&::WideCharToMultiByte) wideCharToMultiByte;
};

// The table in use; starts out with the system's functions.
TextFileCalls& TextFileSystemCalls();

// The system's functions, for restoring the table.
TextFileCalls TextFileDefaultCalls();

}  // namespace textio
#endif
