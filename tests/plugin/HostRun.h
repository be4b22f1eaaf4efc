#pragma once
// Runs the stand-in host with a script in a folder of its own and reads back its log.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

// One log line: "Name key=value ..."; a text field (path, title, text, label) runs to the end.
struct LogRecord {
    std::string name;
    std::map<std::string, std::string> fields;
    std::string line;

    bool Has(const char* key) const { return fields.count(key) != 0; }
    std::string Get(const char* key) const {
        auto it = fields.find(key);
        return it == fields.end() ? std::string() : it->second;
    }
    long long Num(const char* key) const;
};

LogRecord ParseLogLine(const std::string& line);

struct HostResult {
    DWORD exitCode = 0xFFFFFFFF;
    bool timedOut = false;
    std::vector<LogRecord> records;

    // The records of the script (up to ScriptEnd) with one of the names, in order.
    std::vector<LogRecord> Named(const std::vector<std::string>& names) const;
    const LogRecord* Last(const std::string& name) const;
    std::string Dump() const;
};

// A fresh folder with Shelfmap.dll and tarn-host.exe in it (Tarn.ini is made by the host), removed
// again at the end. Nothing is shared between two sandboxes.
class HostSandbox {
public:
    HostSandbox();
    ~HostSandbox();
    HostSandbox(const HostSandbox&) = delete;
    HostSandbox& operator=(const HostSandbox&) = delete;

    const std::wstring& Folder() const { return m_folder; }
    std::wstring PluginFolder() const { return m_folder + L"Plugins\\Shelfmap\\"; }
    bool WriteFile(const std::wstring& path, const std::string& bytes) const;
    HostResult Run(const std::string& script, DWORD timeoutMs = 180000) const;

private:
    std::wstring m_folder;
};

std::wstring WinePathOf(const char* unixPath);
std::string ReadFileBytes(const std::wstring& path);
bool LastWriteTime(const std::wstring& path, FILETIME& time);

// Compares the records named in filter with expected, a table of "Name key=value ..." lines in
// which only the given fields are checked. On a difference, prints both sequences side by side.
::testing::AssertionResult SequenceMatches(const HostResult& result, const std::vector<std::string>& filter,
                                           const std::vector<std::string>& expected);
