#pragma once
// The stand-in host's log: one UTF-8 line per call into the plug-in and per message it sends,
// "Name key=value key=value ...". A value never holds a space, except that of a text field
// (path=, title=, text=), which always comes last on its line and runs to the end of it.
#include <windows.h>
#include <cstdint>
#include <string>

class LogLine {
public:
    explicit LogLine(const char* name);
    ~LogLine();  // writes the line
    LogLine(const LogLine&) = delete;
    LogLine& operator=(const LogLine&) = delete;

    LogLine& Num(const char* key, long long value);
    LogLine& Hex(const char* key, unsigned long long value);
    LogLine& Word(const char* key, const char* value);
    // A text field: the last one on the line.
    LogLine& Text(const char* key, const std::wstring& value);

private:
    std::string m_line;
};

// Opens (appends to) the log file; without one, lines go nowhere.
bool OpenLog(const std::wstring& path);
void CloseLog();

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
