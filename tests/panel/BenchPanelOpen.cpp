// Wine benchmark (built in the Windows trees, not a test): opening the panel (CreateBar: the
// dialog, the bar, reading and placing "Favorites.txt", inserting and expanding) on 1,000, 10,000
// and 100,000 entries, flat and in groups of ten, against the bare cost of inserting and expanding
// the same items in a visible tree-view control with redrawing off and nothing else (goal: within
// 1.3x). Times are medians of alternating runs in one process; peak memory (working set, the
// figure Wine keeps) is measured in a fresh child process per figure, since peaks only grow.
//   bench_panel_open.exe                          all of it
//   bench_panel_open.exe mem panel|bare N flat|groups   (child) peak memory of one opening
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CustomBar.h"
#include "panel/Outline.h"
#include "settings/Paths.h"

namespace {

constexpr DWORD kTreeStyle = 0x50811817;  // the template's tree-view control

struct Shape {
    const char* name;
    bool groups;
};

// The same entries the file holds, as the bare run inserts them: label and the index of the parent
// (-1 at the top level).
struct Entry {
    std::wstring label;
    long parent;
};

std::vector<Entry> Entries(size_t n, bool groups) {
    std::vector<Entry> entries;
    entries.reserve(n);
    long group = -1;
    for (size_t i = 0; i < n; ++i) {
        if (groups && i % 10 == 0) {
            group = static_cast<long>(i);
            entries.push_back({L"Group " + std::to_wstring(i / 10), -1});
        } else {
            entries.push_back({L"entry" + std::to_wstring(i) + L".txt", groups ? group : -1});
        }
    }
    return entries;
}

std::string FileBytes(size_t n, bool groups) {
    std::string bytes;
    for (size_t i = 0; i < n; ++i) {
        if (groups && i % 10 == 0) {
            bytes += "Group " + std::to_string(i / 10);
        } else {
            if (groups) bytes += "\t";
            bytes += "C:\\Users\\me\\files\\entry" + std::to_string(i) + ".txt";
        }
        if (i + 1 < n) bytes += "\r\n";
    }
    return bytes;
}

std::wstring Folder() {
    wchar_t dir[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir, n) + L"shelfmap-bench-panel\\";
}

// n = 0 writes an empty file.
bool WriteFavorites(size_t n, bool groups) {
    CreateDirectoryW(Folder().c_str(), nullptr);
    const std::string bytes = FileBytes(n, groups);
    HANDLE h = CreateFileW((Folder() + L"Favorites.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

double Now() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HWND MakeFrame() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BenchPanelFrame";
    RegisterClassW(&wc);
    HWND hWnd = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 800,
                                600, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(hWnd, SW_SHOWNOACTIVATE);
    Pump();
    return hWnd;
}

// The panel: the whole opening, as the editor's command runs it.
double OpenPanel(HWND hWndFrame, size_t expected) {
    CCustomBar bar;
    const double start = Now();
    {
        CCustomBarDlg dlg;
        dlg.CreateBar(hWndFrame, bar);
    }
    const double elapsed = Now() - start;
    if (!bar.m_hWndTree || static_cast<size_t>(SendMessageW(bar.m_hWndTree, TVM_GETCOUNT, 0, 0)) != expected) {
        std::fprintf(stderr, "the panel shows the wrong number of items\n");
        std::exit(1);
    }
    DestroyWindow(bar.m_hWnd);
    Pump();
    return elapsed;
}

// The bare baseline: a tree-view control like the panel's; only the insertions and the expansion
// of the items with children are timed, with redrawing off.
double BareTree(HWND hWndFrame, const std::vector<Entry>& entries) {
    HWND hWndTree = CreateWindowExW(0, WC_TREEVIEWW, L"", kTreeStyle, 0, 0, 220, 560, hWndFrame, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    std::vector<HTREEITEM> items(entries.size());
    std::vector<bool> hasChildren(entries.size());
    for (const Entry& e : entries)
        if (e.parent >= 0) hasChildren[static_cast<size_t>(e.parent)] = true;
    const double start = Now();
    SendMessageW(hWndTree, WM_SETREDRAW, FALSE, 0);
    for (size_t i = 0; i < entries.size(); ++i) {
        TVINSERTSTRUCTW tvis = {};
        tvis.hParent = entries[i].parent >= 0 ? items[static_cast<size_t>(entries[i].parent)] : TVI_ROOT;
        tvis.hInsertAfter = TVI_LAST;
        tvis.item.mask = TVIF_TEXT;
        tvis.item.pszText = const_cast<LPWSTR>(entries[i].label.c_str());
        items[i] = reinterpret_cast<HTREEITEM>(SendMessageW(hWndTree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&tvis)));
    }
    for (size_t i = 0; i < entries.size(); ++i)
        if (hasChildren[i]) SendMessageW(hWndTree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(items[i]));
    SendMessageW(hWndTree, WM_SETREDRAW, TRUE, 0);
    const double elapsed = Now() - start;
    DestroyWindow(hWndTree);
    Pump();
    return elapsed;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

SIZE_T PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PeakWorkingSetSize;
}

SIZE_T WorkingSet() {
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.WorkingSetSize;
}

// Child: one opening, then the growth of the peak working set over what the process had before, in
// bytes, on standard output.
int MemoryChild(bool panel, size_t n, bool groups) {
    HWND hWndFrame = MakeFrame();
    const std::vector<Entry> entries = panel ? std::vector<Entry>() : Entries(n, groups);
    // Warm up the control's code and the window classes with a tiny run, so the figure is the items'.
    if (panel) {
        WriteFavorites(1, groups);
        OpenPanel(hWndFrame, 1);
        WriteFavorites(n, groups);
    } else {
        BareTree(hWndFrame, Entries(1, groups));
    }
    const SIZE_T before = std::max(PeakWorkingSet(), WorkingSet());
    if (panel) {
        OpenPanel(hWndFrame, n);
    } else {
        BareTree(hWndFrame, entries);
    }
    std::printf("%llu\n", static_cast<unsigned long long>(PeakWorkingSet() - before));
    DestroyWindow(hWndFrame);
    return 0;
}

long long RunChild(const std::wstring& args) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" " + args;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi = {};
    const BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    std::string out;
    char buf[256];
    DWORD got = 0;
    while (started && ReadFile(readEnd, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(readEnd);
    if (!started) return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return std::atoll(out.c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    g_module.Init(GetModuleHandleW(nullptr));
    g_strPluginIniPath = Folder() + L"Shelfmap.ini";

    if (argc == 5 && std::wstring(argv[1]) == L"mem")
        return MemoryChild(std::wstring(argv[2]) == L"panel", static_cast<size_t>(_wtoi(argv[3])),
                           std::wstring(argv[4]) == L"groups");

    const Shape shapes[] = {{"flat", false}, {"groups", true}};
    const size_t sizes[] = {1000, 10000, 100000};
    HWND hWndFrame = MakeFrame();
    // What opening costs whatever the file holds: the dialog, the bar and its tree.
    {
        WriteFavorites(0, false);
        std::vector<double> empty;
        OpenPanel(hWndFrame, 0);
        for (int r = 0; r < 7; ++r) empty.push_back(OpenPanel(hWndFrame, 0));
        std::printf("opening on an empty file: %.2f ms\n", Median(empty) * 1000);
    }
    std::printf("%-7s %-7s %12s %12s %7s %14s %14s %9s\n", "entries", "shape", "bare ms", "panel ms", "ratio",
                "bare peak KiB", "panel peak KiB", "mem ratio");
    for (const size_t n : sizes) {
        for (const Shape& shape : shapes) {
            if (!WriteFavorites(n, shape.groups)) return 1;
            const std::vector<Entry> entries = Entries(n, shape.groups);
            const int runs = n >= 100000 ? 3 : 7;
            std::vector<double> bare, panel;
            BareTree(hWndFrame, entries);  // warm-up
            OpenPanel(hWndFrame, n);
            for (int r = 0; r < runs; ++r) {
                bare.push_back(BareTree(hWndFrame, entries));
                panel.push_back(OpenPanel(hWndFrame, n));
            }
            const double b = Median(bare), p = Median(panel);
            const std::wstring args = std::to_wstring(n) + (shape.groups ? L" groups" : L" flat");
            const long long memBare = RunChild(L"mem bare " + args);
            const long long memPanel = RunChild(L"mem panel " + args);
            std::printf("%-7zu %-7s %12.2f %12.2f %7.2f %14lld %14lld %9.2f\n", n, shape.name, b * 1000, p * 1000, p / b,
                        memBare / 1024, memPanel / 1024, memBare > 0 ? static_cast<double>(memPanel) / memBare : 0.0);
            std::fflush(stdout);
        }
    }
    DestroyWindow(hWndFrame);
    DeleteFileW((Folder() + L"Favorites.txt").c_str());
    RemoveDirectoryW(Folder().c_str());
    g_module.Term();
    return 0;
}
