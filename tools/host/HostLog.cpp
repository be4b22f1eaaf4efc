#include "HostLog.h"

#include <cstdio>

namespace {
HANDLE g_hLog = INVALID_HANDLE_VALUE;
}

bool OpenLog(const std::wstring& path) {
    CloseLog();
    // Appended, and written line by line, so what was logged survives a crash of the plug-in.
    g_hLog = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return g_hLog != INVALID_HANDLE_VALUE;
}

void CloseLog() {
    if (g_hLog != INVALID_HANDLE_VALUE) CloseHandle(g_hLog);
    g_hLog = INVALID_HANDLE_VALUE;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

LogLine::LogLine(const char* name) : m_line(name) {}

LogLine::~LogLine() {
    if (g_hLog == INVALID_HANDLE_VALUE) return;
    m_line += '\n';
    DWORD written = 0;
    WriteFile(g_hLog, m_line.data(), static_cast<DWORD>(m_line.size()), &written, nullptr);
}

LogLine& LogLine::Num(const char* key, long long value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld", value);
    return Word(key, buf);
}

LogLine& LogLine::Hex(const char* key, unsigned long long value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llX", value);
    return Word(key, buf);
}

LogLine& LogLine::Word(const char* key, const char* value) {
    m_line += ' ';
    m_line += key;
    m_line += '=';
    m_line += value;
    return *this;
}

LogLine& LogLine::Text(const char* key, const std::wstring& value) {
    // CR and LF would split the record: shown escaped.
    std::wstring safe;
    for (wchar_t c : value) {
        if (c == L'\r') safe += L"\\r";
        else if (c == L'\n') safe += L"\\n";
        else safe += c;
    }
    return Word(key, ToUtf8(safe).c_str());
}
