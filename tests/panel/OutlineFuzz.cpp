// Any bytes as a favourites file: read as widened bytes and as UTF-16LE units, and once more with
// the tree refusing some insertions. Nothing may crash or leak, and the placement
// must keep its promises: parents before children with smaller depths, at most 256 levels, one
// item per entry line in file order, exactly where the literal rule puts it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>
#include "OutlineTestUtil.h"
#include "panel/Outline.h"
#include "panel/OutlineModel.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

template <class FailInsert>
void PlaceAndCheck(const Text& text, FailInsert failInsert) {
    const long liveBefore = CFavoriteItem::LiveCount();
    {
        OutlineModel tree;
        tree.m_failInsert = failInsert;
        std::vector<Text> pieces;
        if (!text.empty()) Check(SplitLines(text.c_str(), pieces) == pieces.size());
        OutlineBuilder<OutlineModel> builder(tree);
        for (const Text& piece : pieces) builder.AddLine(piece);
        const auto expected = ReferencePlacement(pieces, failInsert);
        Check(tree.Size() == expected.size());

        long records = 0;
        for (size_t i = 0; i < tree.Size(); ++i) {
            const OutlineModel::Node& node = tree.At(i);
            const ReferenceItem& want = expected[i];
            const long parent = node.parent ? static_cast<long>(node.parent->order) : -1;
            Check(parent == want.parent);
            Check(node.level <= kMaxOutlineLevels && node.level == want.level);
            Check(parent < static_cast<long>(i));
            Check(parent < 0 || expected[static_cast<size_t>(parent)].depth < want.depth);
            Check(node.label == want.label);
            Check(node.record != nullptr);
            ++records;
            Check(node.record->m_nDepth == want.depth && node.record->m_strPath == want.path);
        }
        Check(CFavoriteItem::LiveCount() - liveBefore == records);

        // Tree order is file order; the builder knows every item with children, in that order.
        size_t visited = 0;
        std::vector<OutlineModel::Item> withChildren;
        WalkOutline(tree, tree.FirstRoot(), [&](OutlineModel::Item item, size_t level) {
            Check(item->order == visited++ && level + 1 == item->level);
            if (item->firstChild) withChildren.push_back(item);
        });
        Check(visited == tree.Size());
        Check(builder.Parents() == withChildren);
        size_t printed = 0;
        PrintOutline(tree, [&printed](const Text& line) { printed += !line.empty(); });
        Check(printed == tree.Size());
    }
    Check(CFavoriteItem::LiveCount() == liveBefore);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Text widened;
    widened.reserve(size);
    for (size_t i = 0; i < size && data[i] != 0; ++i) widened += static_cast<TextUnit>(data[i]);

    Text units;
    units.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const auto unit = static_cast<TextUnit>(data[i] | (data[i + 1] << 8));
        if (unit == 0) break;
        units += unit;
    }

    const auto never = [](size_t) { return false; };
    PlaceAndCheck(widened, never);
    PlaceAndCheck(units, never);
    PlaceAndCheck(widened, [](size_t n) { return n % 7 == 3; });
    return 0;
}
