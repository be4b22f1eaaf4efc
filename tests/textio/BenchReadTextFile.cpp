// Wine benchmark (built in the Windows trees, not a test): ReadTextFile of a 16 MiB UTF-8 file
// against a bare ReadFile + MultiByteToWideChar of the same bytes (goal: within 1.3x), and the peak
// memory of each as a multiple of the file size (goal: under 4x), measured with GetProcessMemoryInfo
// in a fresh child process per figure, since the peaks only ever grow.
//   bench_read_text_file.exe            all of it
//   bench_read_text_file.exe mem-read [ascii]  (child) peak memory of one ReadTextFile
//   bench_read_text_file.exe mem-bare [ascii]  (child) peak memory of one bare read and conversion
// Wine reports no page-file figures (PeakPagefileUsage stays put); the working set's peak counts.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "textio/TextFile.h"

namespace {

constexpr size_t kFileSize = 16u << 20;

// Two files: Japanese prose (about one UTF-16 unit per 2 bytes) and ASCII prose in UTF-8 (one unit,
// 2 bytes of text, per byte: the most memory a UTF-8 file can take as text).
bool g_ascii = false;

std::wstring FilePath() {
    wchar_t dir[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir, n) + (g_ascii ? L"shelfmap-bench-16MiB-ascii.txt" : L"shelfmap-bench-16MiB-ja.txt");
}

// Japanese prose with ASCII, as UTF-8, written 64 KiB at a time so that making it costs no memory
// worth counting.
bool MakeFile(const std::wstring& path) {
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    static const char* const kPieces[] = {"日本語の", "テキスト", "ファイル。", "漢字と", "かなと", "カナ、",
                                          " ASCII text ", "C:\\Users\\山田\\計画.txt", "\r\n", "\t"};
    static const char* const kAscii[] = {"plain ", "text ", "file, ", "C:\\proj\\plan.txt ", "\r\n", "\t"};
    unsigned seed = 1;
    std::string chunk;
    size_t total = 0;
    bool ok = true;
    while (total < kFileSize && ok) {
        chunk.clear();
        while (chunk.size() < 65536 - 64) {
            seed = seed * 1103515245u + 12345u;
            chunk += g_ascii ? kAscii[(seed >> 16) % (sizeof kAscii / sizeof *kAscii)]
                             : kPieces[(seed >> 16) % (sizeof kPieces / sizeof *kPieces)];
        }
        if (total + chunk.size() > kFileSize) {
            // End on a character boundary at exactly the size: pad with ASCII.
            chunk.resize(kFileSize - total, 'x');
            size_t cut = chunk.size();
            while (cut > 0 && (static_cast<unsigned char>(chunk[cut - 1]) & 0xC0) == 0x80) --cut;
            if (cut > 0 && static_cast<unsigned char>(chunk[cut - 1]) >= 0xC0) --cut;
            for (size_t i = cut; i < chunk.size(); ++i) chunk[i] = 'x';
        }
        DWORD written = 0;
        ok = WriteFile(h, chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr) && written == chunk.size();
        total += chunk.size();
    }
    CloseHandle(h);
    return ok;
}

// The floor: open, size, one read, measure, convert; no detection, no byte order marks.
size_t BareRead(const std::wstring& path) {
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    LARGE_INTEGER size{};
    GetFileSizeEx(h, &size);
    std::vector<char> bytes(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(h);
    const UINT cp = g_ascii ? CP_ACP : CP_UTF8;  // the code page ReadTextFile will use
    const int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(got), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(got), &text[0], n);
    return text.size();
}

size_t OurRead(const std::wstring& path) {
    Text text;
    TextEncoding code = 0;
    if (!ReadTextFile(path, text, &code) || code != (g_ascii ? ENC_ANSI : ENC_UTF8)) return 0;
    return text.size();
}

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

template <class F>
double BestOf(int runs, F f, size_t& result) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        result = f();
        QueryPerformanceCounter(&b);
        best = std::min(best, Seconds(a, b));
    }
    return best;
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc;
}

// Child: one call, then the growth of the peaks over the usage before it, in file sizes.
int MeasureMemory(bool ours) {
    const std::wstring path = FilePath();
    const PROCESS_MEMORY_COUNTERS before = Memory();
    const size_t units = ours ? OurRead(path) : BareRead(path);
    const PROCESS_MEMORY_COUNTERS after = Memory();
    const double size = static_cast<double>(kFileSize);
    std::printf("%-6s %-26s peak pagefile +%.2fx, peak working set +%.2fx the file size (%zu units)\n",
                g_ascii ? "ascii" : "ja", ours ? "ReadTextFile:" : "ReadFile+MultiByteToWide:",
                static_cast<double>(after.PeakPagefileUsage - before.PagefileUsage) / size,
                static_cast<double>(after.PeakWorkingSetSize - before.WorkingSetSize) / size, units);
    std::fflush(stdout);
    return units ? 0 : 1;
}

int RunChild(const wchar_t* arg) {
    wchar_t exe[MAX_PATH + 1];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring cmd = std::wstring(L"\"") + exe + L"\" " + arg;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

}  // namespace

int Measure(bool ascii) {
    g_ascii = ascii;
    const std::wstring path = FilePath();
    if (!MakeFile(path)) {
        std::printf("cannot write the test file\n");
        return 1;
    }
    size_t bareUnits = 0, ourUnits = 0;
    BareRead(path);  // warm the file cache
    const double bare = BestOf(7, [&] { return BareRead(path); }, bareUnits);
    const double ours = BestOf(7, [&] { return OurRead(path); }, ourUnits);
    std::printf("16 MiB UTF-8 file (%s), best of 7:\n", ascii ? "ASCII prose, read as code 2" : "Japanese prose");
    std::printf("  ReadFile + MultiByteToWideChar: %8.2f ms (%zu units)\n", bare * 1000, bareUnits);
    std::printf("  ReadTextFile:                   %8.2f ms (%zu units)\n", ours * 1000, ourUnits);
    std::printf("  ratio ReadTextFile / bare:      %8.2f (goal <= 1.3)\n", ours / bare);
    std::fflush(stdout);
    int rc = (bareUnits == ourUnits && ourUnits) ? 0 : 1;
    if (RunChild(ascii ? L"mem-read ascii" : L"mem-read") != 0) rc = 1;
    if (RunChild(ascii ? L"mem-bare ascii" : L"mem-bare") != 0) rc = 1;
    DeleteFileW(path.c_str());
    return rc;
}

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    g_ascii = argc > 2 && std::string(argv[2]) == "ascii";
    if (mode == "mem-read") return MeasureMemory(true);
    if (mode == "mem-bare") return MeasureMemory(false);
    const int a = Measure(false);
    const int b = Measure(true);
    return a | b;
}
