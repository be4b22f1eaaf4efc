#pragma once
// The favourites outline, free of any window: how "Favorites.txt" is cut into lines and where each
// line goes in the tree. The same placement code drives the panel's tree-view control and the
// in-memory tree of the check tool and the tests, through a small tree interface:
//
//   using Item = ...;                        a handle; Item() is "no item"
//   Item Insert(Item parent, const Text& label, std::unique_ptr<CFavoriteItem>& record);
//                                            the new last child of parent (top level for Item()),
//                                            carrying the record, which the item then owns and
//                                            record is empty; or Item() when the tree refused it,
//                                            and record still owns the record
//   CFavoriteItem* Record(Item item);        null when the item carries none
//   Item FirstRoot(); Item FirstChild(Item); Item NextSibling(Item);
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>
#include "textio/Text.h"

// The record attached to each tree item: the line's depth and its text without the leading tabs.
class CFavoriteItem {
public:
    CFavoriteItem(int32_t nDepth, Text strPath) : m_nDepth(nDepth), m_strPath(std::move(strPath)) {
        s_nLive.fetch_add(1, std::memory_order_relaxed);
    }
    ~CFavoriteItem() { s_nLive.fetch_sub(1, std::memory_order_relaxed); }
    CFavoriteItem(const CFavoriteItem&) = delete;
    CFavoriteItem& operator=(const CFavoriteItem&) = delete;

    // Records alive in this module right now; the tests use it to prove every record is released
    // exactly once.
    static long LiveCount() noexcept { return s_nLive.load(std::memory_order_relaxed); }

    int32_t m_nDepth;   // number of leading tabs of the line
    Text m_strPath;     // the entry text, handed to the editor on a double-click

private:
    static inline std::atomic<long> s_nLive{0};
};

// Appends the pieces of text (up to its first NUL) to lines: cut at every CR and every LF, a CR
// directly followed by an LF being one break, empty pieces kept. Returns how many were appended,
// always at least 1. A null text counts as empty.
size_t SplitLines(const TextUnit* text, std::vector<Text>& lines);

// One piece of the file, taken apart.
struct OutlineLine {
    bool bSeparator = false;  // the text after the leading tabs is exactly "-": no entry
    int32_t nDepth = 0;       // leading tabs
    size_t nLabelStart = 0;   // where the label starts in the piece: after the last backslash
};
OutlineLine ParseOutlineLine(const Text& piece);

// The tree never nests deeper than this: the tree-view control and every walk of it stay far from
// the limits of the call stack, whatever the file's depth.
constexpr size_t kMaxOutlineLevels = 256;

// Places the lines of one file, in file order, into a tree. The parent of a line is the nearest
// item with a smaller depth on the chain of the newest item and its ancestors; the chain is kept
// here, so placing a line sends the tree nothing but the insertion, which carries the record: a
// tree-view control may take time in proportion to its size for every message naming an item.
template <class Tree>
class OutlineBuilder {
public:
    using Item = typename Tree::Item;

    explicit OutlineBuilder(Tree& tree) : m_tree(tree) { m_chain.reserve(kMaxOutlineLevels); }

    // Places one piece of the file. Returns the new item, or Item() for a separator or when the
    // tree refused the item.
    Item AddLine(const Text& piece) {
        const OutlineLine line = ParseOutlineLine(piece);
        if (line.bSeparator) return Item();
        const size_t tabs = static_cast<size_t>(line.nDepth);
        return AddEntry(line.nDepth, piece.substr(tabs), line.nLabelStart - tabs);
    }

    // Places one entry of the given depth; its label is entryText from labelStart on.
    Item AddEntry(int32_t nDepth, Text entryText, size_t labelStart) {
        auto record = std::make_unique<CFavoriteItem>(nDepth, std::move(entryText));
        const Text label = record->m_strPath.substr(labelStart);

        size_t kept = m_chain.size();
        while (kept > 0 && m_chain[kept - 1].nDepth >= nDepth) --kept;
        // The parent would sit on the deepest level allowed: the line goes under its parent.
        if (kept == kMaxOutlineLevels) --kept;
        const Item parent = kept > 0 ? m_chain[kept - 1].item : Item();

        // Room first, so that nothing can fail once the tree holds the item.
        if (kept > 0 && !m_chain[kept - 1].bHasChildren) m_parents.reserve(m_parents.size() + 1);
        const Item item = m_tree.Insert(parent, label, record);
        if (!item) {
            // The refused line's record is released with record. Nothing to hang the next line
            // on: it goes to the top level.
            m_chain.clear();
            return item;
        }
        m_chain.resize(kept);
        if (kept > 0 && !m_chain[kept - 1].bHasChildren) {
            m_chain[kept - 1].bHasChildren = true;
            m_parents.push_back(parent);
        }
        m_chain.push_back(Link{item, nDepth, false});
        return item;
    }

    // The items that have children, in tree order: what expanding the whole tree has to expand.
    const std::vector<Item>& Parents() const { return m_parents; }

private:
    struct Link {
        Item item;
        int32_t nDepth;
        bool bHasChildren;
    };
    Tree& m_tree;
    std::vector<Link> m_chain;  // the newest item and its ancestors, top level first
    std::vector<Item> m_parents;
};

// Places every line of text into tree. An empty text makes no item (an empty file shows an empty
// tree, not one empty entry).
template <class Tree>
void BuildOutline(Tree& tree, const Text& text) {
    if (text.empty()) return;
    std::vector<Text> lines;
    SplitLines(text.c_str(), lines);
    OutlineBuilder<Tree> builder(tree);
    for (const Text& piece : lines) builder.AddLine(piece);
}

// Visits first, each sibling after it and all their descendants, depth-first, each item before its
// children: visit(item, level), level 0 being first's. Without recursion: the file decides how
// deep a tree can be, and the call stack must not.
template <class Tree, class Visit>
void WalkOutline(const Tree& tree, typename Tree::Item first, Visit&& visit) {
    using Item = typename Tree::Item;
    std::vector<Item> resume;  // per level above the current one: the sibling to go on with
    Item item = first;
    while (item) {
        visit(item, resume.size());
        const Item child = tree.FirstChild(item);
        Item next = tree.NextSibling(item);
        if (child) {
            resume.push_back(next);
            item = child;
            continue;
        }
        while (!next && !resume.empty()) {
            next = resume.back();
            resume.pop_back();
        }
        item = next;
    }
}

// One item of the tree as the check tool prints it: index, parent's index (-1 at the top level),
// depth, label and path, tab-separated; tab, CR, LF and backslash escaped as \t, \r, \n and \\.
// A null record prints "-" as its depth and an empty path.
Text FormatOutlineItem(int64_t nIndex, int64_t nParentIndex, const CFavoriteItem* record, const Text& label);

// Calls emit(line) for every item of tree in tree order, each formatted by FormatOutlineItem.
// Tree also needs Text Label(Item).
template <class Tree, class Emit>
void PrintOutline(const Tree& tree, Emit&& emit) {
    std::vector<int64_t> indexAtLevel;
    int64_t next = 0;
    WalkOutline(tree, tree.FirstRoot(), [&](typename Tree::Item item, size_t level) {
        indexAtLevel.resize(level);
        const int64_t parent = level > 0 ? indexAtLevel[level - 1] : -1;
        emit(FormatOutlineItem(next, parent, tree.Record(item), tree.Label(item)));
        indexAtLevel.push_back(next++);
    });
}
