#include "HostRun.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <sstream>

namespace {

const char* const kTextKeys[] = {"path", "title", "text", "label"};

std::wstring Widen(const std::string& s) {
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path + L"\\");
            else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
}

// Creates every folder of path that is missing.
void MakeFolders(const std::wstring& path) {
    for (size_t i = 3; i < path.size(); ++i)
        if (path[i] == L'\\') CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
}

}  // namespace

long long LogRecord::Num(const char* key) const {
    std::string v = Get(key);
    return v.empty() ? -999999 : std::strtoll(v.c_str(), nullptr, 0);
}

LogRecord ParseLogLine(const std::string& line) {
    LogRecord r;
    r.line = line;
    size_t pos = line.find(' ');
    r.name = line.substr(0, pos);
    while (pos != std::string::npos) {
        size_t start = pos + 1;
        size_t eq = line.find('=', start);
        if (eq == std::string::npos) break;
        std::string key = line.substr(start, eq - start);
        bool text = std::any_of(std::begin(kTextKeys), std::end(kTextKeys), [&](const char* k) { return key == k; });
        size_t end = text ? std::string::npos : line.find(' ', eq + 1);
        r.fields[key] = line.substr(eq + 1, end == std::string::npos ? std::string::npos : end - eq - 1);
        pos = end;
    }
    return r;
}

std::vector<LogRecord> HostResult::Named(const std::vector<std::string>& names) const {
    std::vector<LogRecord> out;
    for (const LogRecord& r : records) {
        if (r.name == "ScriptEnd") break;  // what the host does on its own at exit is not the script's
        if (std::find(names.begin(), names.end(), r.name) != names.end()) out.push_back(r);
    }
    return out;
}

const LogRecord* HostResult::Last(const std::string& name) const {
    for (auto it = records.rbegin(); it != records.rend(); ++it)
        if (it->name == name) return &*it;
    return nullptr;
}

std::string HostResult::Dump() const {
    std::string s;
    for (const LogRecord& r : records) s += "  " + r.line + "\n";
    return s;
}

std::wstring WinePathOf(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    return path;
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    std::string data;
    char buf[4096];
    DWORD read = 0;
    while (ReadFile(h, buf, sizeof buf, &read, nullptr) && read > 0) data.append(buf, read);
    CloseHandle(h);
    return data;
}

bool LastWriteTime(const std::wstring& path, FILETIME& time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    time = data.ftLastWriteTime;
    return true;
}

HostSandbox::HostSandbox() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_folder = std::wstring(temp) + L"shelfmap-host-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(counter++) + L"\\";
    CreateDirectoryW(m_folder.c_str(), nullptr);
    CopyFileW(WinePathOf(SHELFMAP_DLL_PATH).c_str(), (m_folder + L"Shelfmap.dll").c_str(), FALSE);
    CopyFileW(WinePathOf(SHELFMAP_HOST_PATH).c_str(), (m_folder + L"tarn-host.exe").c_str(), FALSE);
}

HostSandbox::~HostSandbox() { RemoveTree(m_folder); }

bool HostSandbox::WriteFile(const std::wstring& path, const std::string& bytes) const {
    MakeFolders(path);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

HostResult HostSandbox::Run(const std::string& script, DWORD timeoutMs) const {
    HostResult result;
    std::wstring log = m_folder + L"log.txt";
    DeleteFileW(log.c_str());
    std::wstring cmd = L"\"" + m_folder + L"tarn-host.exe\" --plugin \"" + m_folder + L"Shelfmap.dll\" --log \"" + log +
                       L"\" --script \"" + Widen(script) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, m_folder.c_str(), &si, &pi))
        return result;
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_TIMEOUT) {
        result.timedOut = true;
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 10000);
    }
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::istringstream lines(ReadFileBytes(log));
    std::string line;
    while (std::getline(lines, line))
        if (!line.empty()) result.records.push_back(ParseLogLine(line));
    return result;
}

::testing::AssertionResult SequenceMatches(const HostResult& result, const std::vector<std::string>& filter,
                                           const std::vector<std::string>& expected) {
    std::vector<LogRecord> actual = result.Named(filter);
    bool same = actual.size() == expected.size();
    for (size_t i = 0; same && i < expected.size(); ++i) {
        LogRecord want = ParseLogLine(expected[i]);
        same = want.name == actual[i].name;
        for (auto& f : want.fields) same = same && actual[i].Get(f.first.c_str()) == f.second;
    }
    if (same) return ::testing::AssertionSuccess();
    std::ostringstream out;
    out << "sequences differ (expected | actual):\n";
    for (size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
        std::string e = i < expected.size() ? expected[i] : "-";
        std::string a = i < actual.size() ? actual[i].line : "-";
        bool ok = i < expected.size() && i < actual.size();
        if (ok) {
            LogRecord want = ParseLogLine(e);
            ok = want.name == actual[i].name;
            for (auto& f : want.fields) ok = ok && actual[i].Get(f.first.c_str()) == f.second;
        }
        out << (ok ? "   " : "!! ") << e << std::string(e.size() < 60 ? 60 - e.size() : 1, ' ') << "| " << a << "\n";
    }
    out << "full log:\n" << result.Dump();
    return ::testing::AssertionFailure() << out.str();
}
