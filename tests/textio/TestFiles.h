#pragma once
// Helpers for the textio tests on both platforms: paths of the committed test files, raw bytes in
// and out, and a scratch folder of the test's own.
#include <cstdio>
#include <string>

#include "textio/Text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace testfiles {

using Bytes = std::string;

// A path below the source tree, e.g. "tests/data/favorites/Favorites.utf8.txt". Under Wine the
// Unix folders are drive Z:.
inline Text SourcePath(const std::string& rel) {
    const std::string unix = std::string(SHELFMAP_SOURCE_DIR) + "/" + rel;
#ifdef _WIN32
    Text out = L"Z:";
    for (char c : unix) out += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return out;
#else
    Text out;
    for (char c : unix) out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
#endif
}

// UTF-16 (ASCII and BMP only is enough for the tests' own paths, but any is fine) to the system's
// form of a path.
#ifdef _WIN32
inline std::FILE* Open(const Text& path, const char* mode) {
    std::wstring m(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), m.c_str());
}
#else
inline std::string Narrow(const Text& path) {
    std::string out;
    for (char16_t u : path) {
        uint32_t c = u;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}
inline std::FILE* Open(const Text& path, const char* mode) { return std::fopen(Narrow(path).c_str(), mode); }
#endif

inline bool ReadBytes(const Text& path, Bytes& out) {
    std::FILE* f = Open(path, "rb");
    if (!f) return false;
    out.clear();
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
    return true;
}

inline Bytes ReadSource(const std::string& rel) {
    Bytes b;
    if (!ReadBytes(SourcePath(rel), b)) b = "<missing test file " + rel + ">";
    return b;
}

inline bool WriteBytes(const Text& path, const Bytes& bytes) {
    std::FILE* f = Open(path, "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

inline Text Ascii(const std::string& s) { return Text(s.begin(), s.end()); }

// The current folder with a trailing separator.
inline Text CurrentFolder() {
#ifdef _WIN32
    wchar_t buf[MAX_PATH + 1];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, buf);
    Text out(buf, n);
    if (out.empty() || out.back() != L'\\') out += L'\\';
    return out;
#else
    char buf[4096];
    if (!getcwd(buf, sizeof buf)) return Text();
    Text out = Ascii(buf);
    if (out.empty() || out.back() != u'/') out += u'/';
    return out;
#endif
}

constexpr TextUnit kSep =
#ifdef _WIN32
    L'\\';
#else
    u'/';
#endif

}  // namespace testfiles
