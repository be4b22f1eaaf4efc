#pragma once
// Helpers shared by the outline tests and the fuzzer: readable text for failure messages and the
// placement rule written the slow, literal way, as an oracle for the chain that Outline.h keeps.
#include <cstdio>
#include <string>
#include <vector>
#include "panel/Outline.h"

// ASCII as is; every other unit as \uXXXX, so gtest prints something a person can read.
inline std::string Printable(const Text& text) {
    std::string out;
    for (TextUnit c : text) {
        const unsigned u = static_cast<unsigned>(static_cast<uint16_t>(c));
        if (u == 0x09 || u == 0x0A || (u >= 0x20 && u < 0x7F)) {
            out += static_cast<char>(u);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", u);
            out += buf;
        }
    }
    return out;
}

inline Text Widen(const std::string& ascii) {
    Text out;
    for (char c : ascii) out += static_cast<TextUnit>(static_cast<unsigned char>(c));
    return out;
}

// Where one entry ends up, by the rule as first stated: walk from the newest item up through its
// ancestors to the first one of smaller depth; never below level kMaxOutlineLevels; a refused
// insertion leaves no newest item.
struct ReferenceItem {
    long parent = -1;     // index among the placed items, -1 at the top level
    size_t level = 1;
    int32_t depth = 0;
    Text path;
    Text label;
};

template <class FailInsert>
std::vector<ReferenceItem> ReferencePlacement(const std::vector<Text>& pieces, FailInsert failInsert) {
    std::vector<ReferenceItem> items;
    long newest = -1;
    size_t attempt = 0;
    for (const Text& piece : pieces) {
        size_t tabs = 0;
        while (tabs < piece.size() && piece[tabs] == TXT('\t')) ++tabs;
        const Text entry = piece.substr(tabs);
        if (entry == TXT("-")) continue;
        ReferenceItem item;
        item.depth = static_cast<int32_t>(tabs);
        item.path = entry;
        const size_t slash = entry.rfind(TXT('\\'));
        item.label = slash == Text::npos ? entry : entry.substr(slash + 1);
        long parent = newest;
        while (parent >= 0 && items[static_cast<size_t>(parent)].depth >= item.depth)
            parent = items[static_cast<size_t>(parent)].parent;
        if (parent >= 0 && items[static_cast<size_t>(parent)].level == kMaxOutlineLevels)
            parent = items[static_cast<size_t>(parent)].parent;
        if (failInsert(attempt++)) {
            newest = -1;
            continue;
        }
        item.parent = parent;
        item.level = parent >= 0 ? items[static_cast<size_t>(parent)].level + 1 : 1;
        items.push_back(item);
        newest = static_cast<long>(items.size()) - 1;
    }
    return items;
}
