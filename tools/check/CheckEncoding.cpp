#include <cstdio>
#include "CheckTool.h"
#include "textio/DetectEncoding.h"

int RunEncodingCheck(const std::vector<Text>& paths, CheckOutput& out) {
    int status = 0;
    for (const Text& path : paths) {
        std::vector<unsigned char> bytes;
        Text why;
        if (!ReadFileBytes(path, bytes, why)) {
            out.Error(path + TXT(": ") + why);
            status = 1;
            continue;
        }
        const TextEncoding code = DetectEncoding(bytes.data(), static_cast<int32_t>(bytes.size()));
        char number[16];
        std::snprintf(number, sizeof number, "%d", static_cast<int>(code));
        out.Line(AsciiToText(number) + TXT("\t") + AsciiToText(EncodingName(code)) + TXT("\t") + path);
    }
    return status;
}
