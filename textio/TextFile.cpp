// ReadTextFile and WriteTextFile on Windows; what happens between the file's bytes and
// the text is in TextFileCore.cpp, shared with the native build.
//
// Where this goes beyond the plain algorithm, each a mended fault or an open choice made:
//  - The size comes from GetFileSizeEx (all 64 bits); a file of 2 GiB - 2 bytes or more is refused
//    before anything is allocated or read (false, outputs unchanged).
//  - A ReadFile that fails returns false (outputs unchanged) instead of taking zero bytes as the file.
//  - A WriteFile that fails or writes less, a failed SetEndOfFile or CloseHandle: false.
//  - A non-empty text whose conversion yields no bytes: false, and the file is not touched.
//  - UTF-16 data after the mark with an odd number of bytes: the lone last byte is dropped.
//  - ISO-2022-JP: code page 50220 when the system has it, else this module's own transcoding
//    through EUC-JP (code page 20932); see JisTranscode.h.
//  - Code page 20932 takes JIS X 0212 as two bytes (A1-FE 21-7E), not as usual EUC-JP's 8F A1-FE
//    A1-FE: EUC-JP is put into the code page's form before the conversion to text, and back into
//    the usual form after the conversion from text, so that iconv's EUC-JP files read right and
//    the files written are usual EUC-JP.
//  - Exhausted memory: false, outputs unchanged (no exception leaves these functions).
//  - A path holding U+0000 is refused (false): the system would take only the part before it.
#include "TextFile.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "JisTranscode.h"
#include "TextFileCalls.h"
#include "TextFileCore.h"
#include "UniqueHandle.h"
#include "settings/Paths.h"

namespace textio {

TextFileCalls TextFileDefaultCalls() {
    return TextFileCalls{&::CreateFileW, &::GetFileSizeEx, &::ReadFile, &::WriteFile, &::SetEndOfFile,
                         &::MultiByteToWideChar, &::WideCharToMultiByte};
}

TextFileCalls& TextFileSystemCalls() {
    static TextFileCalls calls = TextFileDefaultCalls();
    return calls;
}

}  // namespace textio

namespace {

using textio::TextFileSystemCalls;

class WindowsConverter : public textio::CodePageConverter {
public:
    bool ToText(uint32_t codePage, const unsigned char* bytes, size_t count, Text& text) override {
        textio::ByteVector fixed;
        if (codePage == 20932 && std::memchr(bytes, 0x8F, count)) {
            textio::EucJpToCp20932(bytes, count, fixed);
            bytes = fixed.data();
            count = fixed.size();
        }
        if (count == 0) {
            text.clear();
            return true;
        }
        if (count > static_cast<size_t>(INT_MAX)) return false;
        const auto src = reinterpret_cast<LPCCH>(bytes);
        const int n = TextFileSystemCalls().multiByteToWideChar(codePage, 0, src, static_cast<int>(count), nullptr, 0);
        if (n <= 0) return false;
        Text out(static_cast<size_t>(n), L'\0');
        const int m = TextFileSystemCalls().multiByteToWideChar(codePage, 0, src, static_cast<int>(count), &out[0], n);
        if (m <= 0) return false;
        out.resize(static_cast<size_t>(m));
        text.swap(out);
        return true;
    }

    bool FromText(uint32_t codePage, const TextUnit* units, size_t count, std::vector<unsigned char>& bytes) override {
        if (count == 0) {
            bytes.clear();
            return true;
        }
        if (count > static_cast<size_t>(INT_MAX)) return false;
        const int n = TextFileSystemCalls().wideCharToMultiByte(codePage, 0, units, static_cast<int>(count), nullptr,
                                                                0, nullptr, nullptr);
        if (n <= 0) return false;
        std::vector<unsigned char> out(static_cast<size_t>(n));
        const int m = TextFileSystemCalls().wideCharToMultiByte(codePage, 0, units, static_cast<int>(count),
                                                                reinterpret_cast<LPSTR>(out.data()), n, nullptr,
                                                                nullptr);
        if (m <= 0) return false;
        out.resize(static_cast<size_t>(m));
        if (codePage == 20932) {
            std::vector<unsigned char> euc;
            textio::Cp20932ToEucJp(out.data(), out.size(), euc);
            out.swap(euc);
        }
        bytes.swap(out);
        return true;
    }
};

bool HasZeroUnit(const Text& path) { return path.find(L'\0') != Text::npos; }

// All of size bytes with WriteFile: one call unless the image is larger than a call can take.
bool WriteAll(HANDLE file, const unsigned char* data, size_t size) {
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!TextFileSystemCalls().writeFile(file, data, chunk, &written, nullptr) || written != chunk) return false;
        data += chunk;
        size -= chunk;
    }
    return true;
}

}  // namespace

bool ReadTextFile(const Text& path, Text& text, TextEncoding* encoding) {
    try {
        if (path.empty() || HasZeroUnit(path) || !IsExistingFile(path)) return false;
        UniqueFile file(TextFileSystemCalls().createFile(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        LARGE_INTEGER size{};
        if (!TextFileSystemCalls().getFileSizeEx(file.get(), &size)) return false;
        if (size.QuadPart < 0 || size.QuadPart > textio::kMaxTextFileSize) return false;
        const auto want = static_cast<size_t>(size.QuadPart);
        std::unique_ptr<unsigned char[]> image(new unsigned char[want + 2]);
        DWORD got = 0;
        if (want > 0 &&
            !TextFileSystemCalls().readFile(file.get(), image.get(), static_cast<DWORD>(want), &got, nullptr))
            return false;
        if (got > want) got = static_cast<DWORD>(want);
        file.reset();
        WindowsConverter conv;
        return textio::DecodeTextImage(image.get(), got, conv, text, encoding);
    } catch (...) {  // std::bad_alloc: nothing may leave the module
        return false;
    }
}

bool WriteTextFile(const Text& path, const Text& text, TextEncoding encoding) {
    try {
        if (path.empty() || HasZeroUnit(path)) return false;
        WindowsConverter conv;
        std::vector<unsigned char> image;
        if (!textio::EncodeTextImage(text, encoding, conv, image)) return false;

        const Text folder = FolderOfPath(path);
        if (!folder.empty() && !(PathFileExistsW(folder.c_str()) && PathIsDirectoryW(folder.c_str())))
            SHCreateDirectory(nullptr, folder.c_str());  // its result is not looked at: the open tells

        UniqueFile file(TextFileSystemCalls().createFile(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        static const unsigned char kUtf8Mark[3] = {0xEF, 0xBB, 0xBF};
        bool ok = true;
        if (textio::Utf8MarkFor(encoding)) ok = WriteAll(file.get(), kUtf8Mark, sizeof kUtf8Mark);
        if (ok) ok = WriteAll(file.get(), image.data(), image.size());
        if (ok) ok = TextFileSystemCalls().setEndOfFile(file.get()) != FALSE;
        if (!CloseHandle(file.release())) ok = false;
        return ok;
    } catch (...) {
        return false;
    }
}
