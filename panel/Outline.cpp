#include "Outline.h"

#include <climits>
#include <cstdio>

namespace {
constexpr TextUnit kTab = 0x09;
constexpr TextUnit kLf = 0x0A;
constexpr TextUnit kCr = 0x0D;
constexpr TextUnit kBackslash = 0x5C;
constexpr TextUnit kHyphen = 0x2D;

Text NumberText(int64_t n) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(n));
    Text out;
    for (const char* p = buf; *p; ++p) out += static_cast<TextUnit>(*p);
    return out;
}

void AppendEscaped(Text& out, const Text& text) {
    for (TextUnit c : text) {
        switch (c) {
        case kTab: out += TXT("\\t"); break;
        case kCr: out += TXT("\\r"); break;
        case kLf: out += TXT("\\n"); break;
        case kBackslash: out += TXT("\\\\"); break;
        default: out += c; break;
        }
    }
}
}  // namespace

size_t SplitLines(const TextUnit* text, std::vector<Text>& lines) {
    const size_t before = lines.size();
    if (!text) {
        lines.emplace_back();
        return 1;
    }
    size_t start = 0;
    size_t i = 0;
    for (; text[i] != 0; ++i) {
        if (text[i] != kCr && text[i] != kLf) continue;
        lines.emplace_back(text + start, i - start);
        if (text[i] == kCr && text[i + 1] == kLf) ++i;
        start = i + 1;
    }
    lines.emplace_back(text + start, i - start);
    return lines.size() - before;
}

OutlineLine ParseOutlineLine(const Text& piece) {
    OutlineLine line;
    size_t tabs = 0;
    while (tabs < piece.size() && piece[tabs] == kTab) ++tabs;
    // A piece cannot hold more tabs than a file can (ReadTextFile stops below 2 GiB); the clamp
    // only keeps the depth's type honest.
    line.nDepth = tabs > static_cast<size_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(tabs);
    const size_t entryStart = static_cast<size_t>(line.nDepth);
    line.bSeparator = piece.size() == entryStart + 1 && piece[entryStart] == kHyphen;
    const size_t lastBackslash = piece.rfind(kBackslash);
    line.nLabelStart = lastBackslash == Text::npos ? entryStart : lastBackslash + 1;
    return line;
}

Text FormatOutlineItem(int64_t nIndex, int64_t nParentIndex, const CFavoriteItem* record, const Text& label) {
    Text out = NumberText(nIndex);
    out += kTab;
    out += NumberText(nParentIndex);
    out += kTab;
    out += record ? NumberText(record->m_nDepth) : Text(TXT("-"));
    out += kTab;
    AppendEscaped(out, label);
    out += kTab;
    if (record) AppendEscaped(out, record->m_strPath);
    return out;
}
