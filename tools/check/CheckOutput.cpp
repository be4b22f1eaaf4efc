#include "CheckTool.h"
#include "textio/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#endif

std::string TextToUtf8(const Text& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint16_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            uint32_t low = static_cast<uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
        AppendUtf8(out, c);
    }
    return out;
}

Text Utf8ToText(const std::string& bytes) {
    Text out;
    size_t i = 0;
    const size_t n = bytes.size();
    auto cont = [&](size_t k) { return k < n && (static_cast<unsigned char>(bytes[k]) & 0xC0) == 0x80; };
    while (i < n) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        uint32_t c = 0xFFFD;
        size_t len = 1;
        if (b < 0x80) {
            c = b;
        } else if (b >= 0xC2 && b <= 0xDF && cont(i + 1)) {
            c = ((b & 0x1Fu) << 6) | (bytes[i + 1] & 0x3F);
            len = 2;
        } else if (b >= 0xE0 && b <= 0xEF && cont(i + 1) && cont(i + 2)) {
            c = ((b & 0x0Fu) << 12) | ((bytes[i + 1] & 0x3Fu) << 6) | (bytes[i + 2] & 0x3F);
            len = 3;
            if (c < 0x800) c = 0xFFFD;
        } else if (b >= 0xF0 && b <= 0xF4 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
            c = ((b & 0x07u) << 18) | ((bytes[i + 1] & 0x3Fu) << 12) | ((bytes[i + 2] & 0x3Fu) << 6) |
                (bytes[i + 3] & 0x3F);
            len = 4;
            if (c < 0x10000 || c > 0x10FFFF) c = 0xFFFD;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<TextUnit>(0xD800 + (c >> 10));
            out += static_cast<TextUnit>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<TextUnit>(c);
        }
        i += len;
    }
    return out;
}

Text AsciiToText(const char* ascii) {
    Text out;
    for (; ascii && *ascii; ++ascii) out += static_cast<TextUnit>(static_cast<unsigned char>(*ascii));
    return out;
}

#ifdef _WIN32

namespace {
bool IsConsole(HANDLE h) {
    DWORD mode = 0;
    return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &mode);
}
}  // namespace

CheckOutput::CheckOutput()
    : m_bConsoleOut(IsConsole(GetStdHandle(STD_OUTPUT_HANDLE))),
      m_bConsoleErr(IsConsole(GetStdHandle(STD_ERROR_HANDLE))) {}

void CheckOutput::Write(bool toError, const Text& text) {
    HANDLE h = GetStdHandle(toError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) return;
    if (toError ? m_bConsoleErr : m_bConsoleOut) {
        DWORD written = 0;
        WriteConsoleW(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = TextToUtf8(text);
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0) return;
        done += written;
    }
}

bool ReadFileBytes(const Text& path, std::vector<unsigned char>& bytes, Text& why) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        why = TXT("is a folder");
        return false;
    }
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        why = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Text(TXT("no such file"))
              : error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                  ? Text(TXT("the file is in use by another program"))
                  : TXT("cannot be opened (error ") + std::to_wstring(error) + TXT(")");
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(h, &size) != 0;
    if (ok && size.QuadPart > 0x7FFFFFFDLL) {
        why = TXT("is too large (2 GiB or more)");
        CloseHandle(h);
        return false;
    }
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes.empty() || ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        bytes.resize(read);
    }
    CloseHandle(h);
    if (!ok) why = TXT("cannot be read");
    return ok;
}

#else

CheckOutput::CheckOutput() = default;

void CheckOutput::Write(bool toError, const Text& text) {
    const std::string bytes = TextToUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), toError ? stderr : stdout);
}

bool ReadFileBytes(const Text& path, std::vector<unsigned char>& bytes, Text& why) {
    const std::string name = TextToUtf8(path);
    struct stat st {};
    if (stat(name.c_str(), &st) != 0) {
        why = errno == ENOENT ? Text(TXT("no such file")) : AsciiToText(std::strerror(errno));
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        why = TXT("is a folder");
        return false;
    }
    if (st.st_size > 0x7FFFFFFD) {
        why = TXT("is too large (2 GiB or more)");
        return false;
    }
    std::ifstream in(name, std::ios::binary);
    if (!in) {
        why = AsciiToText(std::strerror(errno));
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        why = TXT("cannot be read");
        return false;
    }
    return true;
}

#endif

void CheckOutput::Raw(const Text& text) { Write(false, text); }
void CheckOutput::Line(const Text& text) { Write(false, text + TXT("\n")); }
void CheckOutput::Error(const Text& text) { Write(true, TXT("shelfmap-check: ") + text + TXT("\n")); }
