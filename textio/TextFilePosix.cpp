// ReadTextFile and WriteTextFile for the native (POSIX) build, used by the native check tool and
// the native tests. The byte side is TextFileCore.cpp, shared with Windows; here are the file
// calls and the conversions, through iconv(3):
//   code page 0     -> "CP1252" (a platform without an ANSI code page: Windows-1252, the ANSI code
//                      page of Western Windows systems and of a default Wine prefix)
//   932             -> "CP932"
//   20932           -> "EUC-JP"
//   50220           -> none here: the codec's own ISO-2022-JP transcoding through EUC-JP, as on Wine
//   65000           -> "UTF-7"
//   65001           -> "UTF-8"
// Bytes a conversion to text cannot take become U+FFFD; characters a conversion from text cannot
// take become "?" (U+FFFD in UTF-8 and UTF-7), as the Windows conversions do.
// Share mode 0 stands as an exclusive, non-blocking flock(2) on the open file: advisory, so it keeps
// out other flock users (these functions among them), not every other opener; a write refused
// this way may leave behind the empty file that its open created. SHCreateDirectory
// stands as mkdir(2) of each missing folder on the path. Paths are UTF-16 texts, passed to the
// system as UTF-8; "/" separates folders. As on Windows, the size is refused from 2 GiB - 2 bytes
// on, and every failure is a false result.
#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "TextFile.h"
#include "TextFileCore.h"
#include "Utf8.h"

namespace {

const char* CharsetFor(uint32_t codePage) {
    switch (codePage) {
    case 0: return "CP1252";
    case 932: return "CP932";
    case 20932: return "EUC-JP";
    case 65000: return "UTF-7";
    case 65001: return "UTF-8";
    default: return nullptr;
    }
}

class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};

// Runs the whole input through cd into out; on a byte sequence it cannot take, appends bad and
// skips step input bytes. False only when iconv fails otherwise.
bool Convert(iconv_t cd, const unsigned char* in, size_t n, size_t step, const std::string& bad, std::string& out) {
    out.clear();
    out.reserve(n * 2 + 16);
    char* src = const_cast<char*>(reinterpret_cast<const char*>(in));
    size_t left = n;
    std::vector<char> buf(64 * 1024);
    for (;;) {
        char* dst = buf.data();
        size_t room = buf.size();
        const size_t r = left ? iconv(cd, &src, &left, &dst, &room) : iconv(cd, nullptr, nullptr, &dst, &room);
        const int err = errno;
        out.append(buf.data(), static_cast<size_t>(dst - buf.data()));
        if (r != static_cast<size_t>(-1)) {
            if (left == 0) {
                // Flush the shift state (UTF-7's open run) once the input is used up.
                dst = buf.data();
                room = buf.size();
                if (iconv(cd, nullptr, nullptr, &dst, &room) == static_cast<size_t>(-1)) return false;
                out.append(buf.data(), static_cast<size_t>(dst - buf.data()));
                return true;
            }
            continue;
        }
        if (err == E2BIG) continue;
        if (err == EILSEQ || err == EINVAL) {
            out += bad;
            const size_t skip = left < step ? left : step;
            src += skip;
            left -= skip;
            if (left == 0) {
                dst = buf.data();
                room = buf.size();
                iconv(cd, nullptr, nullptr, &dst, &room);
                out.append(buf.data(), static_cast<size_t>(dst - buf.data()));
                return true;
            }
            continue;
        }
        return false;
    }
}

class PosixConverter : public textio::CodePageConverter {
public:
    bool ToText(uint32_t codePage, const unsigned char* bytes, size_t count, Text& text) override {
        const char* cs = CharsetFor(codePage);
        if (!cs) return false;
        Iconv cd("UTF-16LE", cs);
        if (!cd.ok()) return false;
        std::string le;
        if (!Convert(cd.get(), bytes, count, 1, std::string("\xFD\xFF", 2), le)) return false;
        Text out(le.size() / 2, TextUnit());
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<TextUnit>(static_cast<unsigned char>(le[2 * i]) |
                                           static_cast<unsigned char>(le[2 * i + 1]) << 8);
        text.swap(out);
        return true;
    }

    bool FromText(uint32_t codePage, const TextUnit* units, size_t count, std::vector<unsigned char>& bytes) override {
        const char* cs = CharsetFor(codePage);
        if (!cs) return false;
        Iconv cd(cs, "UTF-16LE");
        if (!cd.ok()) return false;
        // UTF-8 and UTF-7 carry every character: a lone surrogate, which iconv refuses, becomes
        // U+FFFD first (as Windows writes it in UTF-8), so that no refusal can fall inside one of
        // UTF-7's base64 runs. Other code pages put "?" for a character they lack.
        const bool unicode = codePage == 65000 || codePage == 65001;
        std::vector<unsigned char> le(count * 2);
        for (size_t i = 0; i < count; ++i) {
            uint16_t u = static_cast<uint16_t>(units[i]);
            if (unicode && u >= 0xD800 && u <= 0xDFFF) {
                const bool pairStart = u <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
                const bool pairEnd = u >= 0xDC00 && i > 0 && units[i - 1] >= 0xD800 && units[i - 1] <= 0xDBFF;
                if (!pairStart && !pairEnd) u = 0xFFFD;
            }
            le[2 * i] = static_cast<unsigned char>(u & 0xFF);
            le[2 * i + 1] = static_cast<unsigned char>(u >> 8);
        }
        const std::string bad = "?";
        std::string out;
        if (!Convert(cd.get(), le.data(), le.size(), 2, bad, out)) return false;
        bytes.assign(out.begin(), out.end());
        return true;
    }
};

// UTF-16 path to UTF-8 for the system; false for a lone surrogate or U+0000.
bool PathToUtf8(const Text& path, std::string& out) {
    out.clear();
    for (size_t i = 0; i < path.size(); ++i) {
        uint32_t c = path[i];
        if (c == 0) return false;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= path.size() || path[i + 1] < 0xDC00 || path[i + 1] > 0xDFFF) return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (path[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
        AppendUtf8(out, c);
    }
    return !out.empty();
}

class UniqueFd {
public:
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int get() const { return m_fd; }
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

// Exclusive and non-blocking: the stand-in for share mode 0.
bool LockAlone(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }

void CreateFolders(const std::string& file) {
    const size_t slash = file.rfind('/');
    if (slash == std::string::npos || slash == 0) return;
    const std::string folder = file.substr(0, slash);
    struct stat st;
    if (::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return;
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i == folder.size() || folder[i] == '/') ::mkdir(folder.substr(0, i).c_str(), 0777);
    }
}

bool WriteAll(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        const ssize_t w = ::write(fd, data, size);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        data += w;
        size -= static_cast<size_t>(w);
    }
    return true;
}

}  // namespace

bool ReadTextFile(const Text& path, Text& text, TextEncoding* encoding) {
    try {
        std::string name;
        if (!PathToUtf8(path, name)) return false;
        struct stat st;
        if (::stat(name.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;  // IsExistingFile
        UniqueFd fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (fd.get() < 0 || !LockAlone(fd.get())) return false;
        if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
        if (st.st_size < 0 || st.st_size > textio::kMaxTextFileSize) return false;
        const auto want = static_cast<size_t>(st.st_size);
        std::unique_ptr<unsigned char[]> image(new unsigned char[want + 2]);
        size_t got = 0;
        while (got < want) {
            const ssize_t r = ::read(fd.get(), image.get() + got, want - got);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) return false;
            if (r == 0) break;  // a short read: what was read is the file
            got += static_cast<size_t>(r);
        }
        ::close(fd.release());
        PosixConverter conv;
        return textio::DecodeTextImage(image.get(), got, conv, text, encoding);
    } catch (...) {
        return false;
    }
}

bool WriteTextFile(const Text& path, const Text& text, TextEncoding encoding) {
    try {
        std::string name;
        if (!PathToUtf8(path, name)) return false;
        PosixConverter conv;
        std::vector<unsigned char> image;
        if (!textio::EncodeTextImage(text, encoding, conv, image)) return false;
        CreateFolders(name);
        struct stat st;
        if (::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return false;
        UniqueFd fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
        if (fd.get() < 0 || !LockAlone(fd.get())) return false;
        static const unsigned char kUtf8Mark[3] = {0xEF, 0xBB, 0xBF};
        bool ok = true;
        size_t total = 0;
        if (textio::Utf8MarkFor(encoding)) {
            ok = WriteAll(fd.get(), kUtf8Mark, sizeof kUtf8Mark);
            total += sizeof kUtf8Mark;
        }
        if (ok) ok = WriteAll(fd.get(), image.data(), image.size());
        total += image.size();
        if (ok) ok = ::ftruncate(fd.get(), static_cast<off_t>(total)) == 0;
        if (::close(fd.release()) != 0) ok = false;
        return ok;
    } catch (...) {
        return false;
    }
}
