// The favourites outline without a window: cutting the file into lines, placing each line, the
// depth bound, and the walks that must not recurse.
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "OutlineTestUtil.h"
#include "panel/Outline.h"
#include "panel/OutlineModel.h"

namespace {

// The printed outline of text, one FormatOutlineItem line per item, readable in failure messages.
std::string Placed(const Text& text, OutlineModel& tree) {
    BuildOutline(tree, text);
    Text all;
    PrintOutline(tree, [&all](const Text& line) { all += line + TXT("\n"); });
    return Printable(all);
}

std::string Placed(const Text& text) {
    OutlineModel tree;
    return Placed(text, tree);
}

TEST(SplitLines, CutsAtEveryBreakAndKeepsEmptyPieces) {
    struct Case {
        const TextUnit* text;
        std::vector<Text> pieces;
    };
    const Case cases[] = {
        {TXT(""), {TXT("")}},
        {TXT("a"), {TXT("a")}},
        {TXT("a\r\nb"), {TXT("a"), TXT("b")}},
        {TXT("a\r\n"), {TXT("a"), TXT("")}},
        {TXT("a\r"), {TXT("a"), TXT("")}},
        {TXT("a\n\rb"), {TXT("a"), TXT(""), TXT("b")}},
        {TXT("a\r\r\nb"), {TXT("a"), TXT(""), TXT("b")}},
        {TXT("\n"), {TXT(""), TXT("")}},
        // Beyond the basic table: mixed kinds in one text, tabs and spaces left alone.
        {TXT("\tx \r\ny\rz\n\n"), {TXT("\tx "), TXT("y"), TXT("z"), TXT(""), TXT("")}},
    };
    for (const Case& c : cases) {
        std::vector<Text> lines;
        const size_t count = SplitLines(c.text, lines);
        EXPECT_EQ(count, c.pieces.size()) << Printable(c.text);
        EXPECT_EQ(lines, c.pieces) << Printable(c.text);
    }
}

TEST(SplitLines, AppendsToTheListAndStopsAtTheFirstNul) {
    std::vector<Text> lines{TXT("kept")};
    const TextUnit text[] = {'a', '\n', 'b', 0, '\n', 'c', 0};
    EXPECT_EQ(SplitLines(text, lines), 2u);
    EXPECT_EQ(lines, (std::vector<Text>{TXT("kept"), TXT("a"), TXT("b")}));
    EXPECT_EQ(SplitLines(nullptr, lines), 1u);
    EXPECT_EQ(lines.back(), Text());
}

// Columns of each printed line: index, parent index, depth, label, path.
TEST(Placement, TheWorkedExample) {
    const Text file = TXT("Work\r\n\tC:\\proj\\plan.txt\r\n\t\t\tC:\\proj\\a\\\r\n\t\tC:\\proj\\b.txt\r\n-\r\n\tNotes\r\n");
    EXPECT_EQ(Placed(file),
              "0\t-1\t0\tWork\tWork\n"
              "1\t0\t1\tplan.txt\tC:\\\\proj\\\\plan.txt\n"
              "2\t1\t3\t\tC:\\\\proj\\\\a\\\\\n"
              "3\t1\t2\tb.txt\tC:\\\\proj\\\\b.txt\n"
              "4\t0\t1\tNotes\tNotes\n"
              "5\t-1\t0\t\t\n");
}

TEST(Placement, EdgeCases) {
    struct Case {
        const char* what;
        const TextUnit* text;
        const char* placed;
    };
    const Case cases[] = {
        {"an empty file makes no item", TXT(""), ""},
        {"a lone break makes two empty entries", TXT("\n"), "0\t-1\t0\t\t\n1\t-1\t0\t\t\n"},
        {"an empty line ends the nesting; indented lines after it are its children",
         TXT("A\n\tb\n\n\tc"), "0\t-1\t0\tA\tA\n1\t0\t1\tb\tb\n2\t-1\t0\t\t\n3\t2\t1\tc\tc\n"},
        {"a line of tabs only is an empty entry at that depth", TXT("A\n\t\t"),
         "0\t-1\t0\tA\tA\n1\t0\t2\t\t\n"},
        {"a lone hyphen after tabs is skipped and leaves the nesting as it was",
         TXT("A\n\tb\n\t\t-\n\tc\n-\n\t\td"),
         "0\t-1\t0\tA\tA\n1\t0\t1\tb\tb\n2\t0\t1\tc\tc\n3\t2\t2\td\td\n"},
        {"hyphens with company are entries", TXT("- \n -\n--\n\t-x"),
         "0\t-1\t0\t- \t- \n1\t-1\t0\t -\t -\n2\t-1\t0\t--\t--\n3\t2\t1\t-x\t-x\n"},
        {"a separator first leaves the next line at the top level", TXT("-\n\tA"), "0\t-1\t1\tA\tA\n"},
        {"a trailing backslash gives an empty label and keeps the whole path", TXT("C:\\dir\\"),
         "0\t-1\t0\t\tC:\\\\dir\\\\\n"},
        {"no backslash: the whole text; the forward slash is no separator", TXT("Group one\nC:/a/b.txt"),
         "0\t-1\t0\tGroup one\tGroup one\n1\t-1\t0\tC:/a/b.txt\tC:/a/b.txt\n"},
        {"the first line goes to the top level whatever its depth", TXT("\t\t\tA\n\tb\n\t\t\t\tc"),
         "0\t-1\t3\tA\tA\n1\t-1\t1\tb\tb\n2\t1\t4\tc\tc\n"},
        {"depths 0, 3, 1: both become children of the first", TXT("A\n\t\t\tb\n\tc"),
         "0\t-1\t0\tA\tA\n1\t0\t3\tb\tb\n2\t0\t1\tc\tc\n"},
        {"a space before the tab stops the indentation", TXT("A\n \tb"),
         "0\t-1\t0\tA\tA\n1\t-1\t0\t \\tb\t \\tb\n"},
        {"inner and trailing tabs and spaces stay in the entry", TXT("\ta\\b \tc\t "),
         "0\t-1\t1\tb \\tc\\t \ta\\\\b \\tc\\t \n"},
        {"CR LF, lone CR, lone LF all end a line; LF CR makes an empty line", TXT("A\r\n\tb\r\tc\n\r\td"),
         "0\t-1\t0\tA\tA\n1\t0\t1\tb\tb\n2\t0\t1\tc\tc\n3\t-1\t0\t\t\n4\t3\t1\td\td\n"},
        {"lines of equal depth under one parent are siblings", TXT("A\n\t\tb\n\t\tc\n\t\t\td"),
         "0\t-1\t0\tA\tA\n1\t0\t2\tb\tb\n2\t0\t2\tc\tc\n3\t2\t3\td\td\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Placed(c.text), c.placed) << c.what;
}

TEST(Placement, NonAsciiTextIsKeptUnitForUnit) {
    const Text file = TXT("\u304a\u6c17\n\tC:\\\u5c71\u7530\\\u8a08\u753b.txt\n\t\U0001F600");
    OutlineModel tree;
    BuildOutline(tree, file);
    ASSERT_EQ(tree.Size(), 3u);
    EXPECT_EQ(tree.At(1).label, TXT("\u8a08\u753b.txt"));
    EXPECT_EQ(tree.At(1).record->m_strPath, TXT("C:\\\u5c71\u7530\\\u8a08\u753b.txt"));
    EXPECT_EQ(tree.At(2).label, TXT("\U0001F600"));
    EXPECT_EQ(tree.At(2).parent, tree.ItemAt(0));
}

// A small fixture: a model whose refusals are chosen per attempt, and the count of live records
// taken before, so every test proves that nothing leaks or is released twice.
class PlacementFailure : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(CFavoriteItem::LiveCount(), m_nLiveBefore); }
    long m_nLiveBefore = CFavoriteItem::LiveCount();
};

TEST_F(PlacementFailure, ARefusedItemReleasesItsRecordAndSendsTheNextLineToTheTopLevel) {
    OutlineModel tree;
    tree.m_failInsert = [](size_t attempt) { return attempt == 2; };
    EXPECT_EQ(Placed(TXT("A\n\tb\n\t\tc\n\t\t\td\n\t\t\t\te"), tree),
              "0\t-1\t0\tA\tA\n1\t0\t1\tb\tb\n2\t-1\t3\td\td\n3\t2\t4\te\te\n");
    EXPECT_EQ(CFavoriteItem::LiveCount(), m_nLiveBefore + 4);
}

TEST_F(PlacementFailure, EveryInsertionRefused) {
    OutlineModel tree;
    tree.m_failInsert = [](size_t) { return true; };
    EXPECT_EQ(Placed(TXT("A\n\tb\n-\nc"), tree), "");
    EXPECT_EQ(CFavoriteItem::LiveCount(), m_nLiveBefore);
}

// Lines 0 .. n-1 with i tabs each: a chain as deep as the file allows.
Text RisingLines(int n) {
    Text file;
    for (int i = 0; i < n; ++i) {
        file.append(static_cast<size_t>(i), TXT('\t'));
        file += TXT("x");
        file += TXT("\n");
    }
    file.pop_back();
    return file;
}

TEST(Placement, NeverNestsDeeperThan256Levels) {
    // 300 rising lines, then one of depth 10.
    Text file = RisingLines(300) + TXT("\n");
    file.append(10, TXT('\t'));
    file += TXT("back");
    OutlineModel tree;
    BuildOutline(tree, file);
    ASSERT_EQ(tree.Size(), 301u);
    for (size_t i = 0; i < 256; ++i) {
        EXPECT_EQ(tree.At(i).level, i + 1);
        EXPECT_EQ(tree.At(i).parent, i ? tree.ItemAt(i - 1) : nullptr);
    }
    // Below the 256th level nothing nests: the deeper lines follow the 256th item as siblings.
    for (size_t i = 256; i < 300; ++i) {
        EXPECT_EQ(tree.At(i).level, 256u) << i;
        EXPECT_EQ(tree.At(i).parent, tree.ItemAt(254)) << i;
        EXPECT_EQ(tree.At(i).record->m_nDepth, static_cast<int32_t>(i)) << "the depth stays as written";
    }
    EXPECT_EQ(tree.At(254).lastChild, tree.ItemAt(299));
    EXPECT_EQ(tree.At(300).parent, tree.ItemAt(9));
    EXPECT_EQ(tree.At(300).record->m_strPath, TXT("back"));
}

TEST(Placement, AHundredThousandLevelsStayWithinTheBoundInFileOrder) {
    // As a file this would take five thousand million tabs; the placement takes the depths directly.
    constexpr int32_t kLevels = 100000;
    OutlineModel tree;
    OutlineBuilder<OutlineModel> builder(tree);
    for (int32_t i = 0; i < kLevels; ++i) ASSERT_NE(builder.AddEntry(i, TXT("x"), 0), nullptr);
    ASSERT_EQ(tree.Size(), static_cast<size_t>(kLevels));
    size_t visited = 0;
    size_t deepest = 0;
    WalkOutline(tree, tree.FirstRoot(), [&](OutlineModel::Item item, size_t level) {
        EXPECT_EQ(item->order, visited);
        EXPECT_EQ(level + 1, item->level);
        deepest = std::max(deepest, item->level);
        ++visited;
    });
    EXPECT_EQ(visited, static_cast<size_t>(kLevels));
    EXPECT_EQ(deepest, kMaxOutlineLevels);
    EXPECT_EQ(tree.At(kLevels - 1).parent, tree.ItemAt(254));
    EXPECT_EQ(tree.At(kLevels - 1).record->m_nDepth, kLevels - 1);
}

TEST(Placement, KnowsTheItemsWithChildrenInTreeOrder) {
    // Expanding the whole tree needs exactly these, also where the bound and a refusal bend the
    // nesting.
    Text file = TXT("A\n\tb\n\t\tc\n\td\nE\nF\n\tg\n") + RisingLines(300);
    OutlineModel tree;
    tree.m_failInsert = [](size_t attempt) { return attempt == 5; };  // F: g goes to the top level
    OutlineBuilder<OutlineModel> builder(tree);
    std::vector<Text> pieces;
    SplitLines(file.c_str(), pieces);
    for (const Text& piece : pieces) builder.AddLine(piece);
    std::vector<OutlineModel::Item> withChildren;
    WalkOutline(tree, tree.FirstRoot(), [&](OutlineModel::Item item, size_t) {
        if (item->firstChild) withChildren.push_back(item);
    });
    EXPECT_EQ(builder.Parents(), withChildren);
    ASSERT_EQ(withChildren.size(), 2u + 255u);
    EXPECT_EQ(withChildren[0]->label, TXT("A"));
    EXPECT_EQ(withChildren[1]->label, TXT("b"));
}

TEST(Placement, AgreesWithTheLiteralRuleOnADeepFile) {
    // Rising to 600 levels and falling back in steps, twice: crosses the bound from both sides.
    std::vector<Text> pieces;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 600; ++i) pieces.push_back(Text(static_cast<size_t>(i), TXT('\t')) + TXT("up"));
        for (int i = 600; i >= 0; i -= 7) pieces.push_back(Text(static_cast<size_t>(i), TXT('\t')) + TXT("down"));
    }
    OutlineModel tree;
    OutlineBuilder<OutlineModel> builder(tree);
    for (const Text& piece : pieces) builder.AddLine(piece);
    const auto expected = ReferencePlacement(pieces, [](size_t) { return false; });
    ASSERT_EQ(tree.Size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const long parent = tree.At(i).parent ? static_cast<long>(tree.At(i).parent->order) : -1;
        ASSERT_EQ(parent, expected[i].parent) << i;
        ASSERT_EQ(tree.At(i).level, expected[i].level) << i;
    }
}

TEST(WalkOutline, VisitsAVeryDeepTreeInPreOrderWithoutRecursion) {
    // Deeper than any call stack would take one frame per level; built directly, past the bound.
    constexpr size_t kDepth = 300000;
    OutlineModel tree;
    const auto add = [&tree](OutlineModel::Item parent, const TextUnit* label) {
        std::unique_ptr<CFavoriteItem> noRecord;
        return tree.Insert(parent, label, noRecord);
    };
    OutlineModel::Item parent = nullptr;
    for (size_t i = 0; i < kDepth; ++i) parent = add(parent, TXT("d"));
    OutlineModel::Item sibling = add(tree.ItemAt(0), TXT("s"));  // second child of the root
    add(nullptr, TXT("r"));                                      // second top-level item
    std::vector<size_t> order;
    std::vector<size_t> levels;
    WalkOutline(tree, tree.FirstRoot(), [&](OutlineModel::Item item, size_t level) {
        order.push_back(item->order);
        levels.push_back(level);
    });
    ASSERT_EQ(order.size(), kDepth + 2);
    for (size_t i = 0; i < kDepth; ++i) ASSERT_EQ(order[i], i);
    EXPECT_EQ(order[kDepth], sibling->order);
    EXPECT_EQ(levels[kDepth], 1u);
    EXPECT_EQ(order[kDepth + 1], kDepth + 1);
    EXPECT_EQ(levels[kDepth + 1], 0u);

    // Walking from an inner item covers it, its following siblings and their descendants only.
    size_t count = 0;
    WalkOutline(tree, sibling, [&](OutlineModel::Item, size_t) { ++count; });
    EXPECT_EQ(count, 1u);
    WalkOutline(tree, OutlineModel::Item(), [&](OutlineModel::Item, size_t) { ++count; });
    EXPECT_EQ(count, 1u);
}

TEST(FormatOutlineItem, EscapesTheFourSpecialCharacters) {
    struct Case {
        const TextUnit* label;
        const TextUnit* path;
        const char* line;
    };
    const Case cases[] = {
        {TXT("plain"), TXT("C:\\a\\plain"), "7\t3\t2\tplain\tC:\\\\a\\\\plain"},
        {TXT("a\tb"), TXT("\r\n\\"), "7\t3\t2\ta\\tb\t\\r\\n\\\\"},
        {TXT(""), TXT(""), "7\t3\t2\t\t"},
        {TXT("\\t"), TXT("n\\n"), "7\t3\t2\t\\\\t\tn\\\\n"},
    };
    for (const Case& c : cases) {
        const CFavoriteItem record(2, c.path);
        EXPECT_EQ(Printable(FormatOutlineItem(7, 3, &record, c.label)), c.line);
    }
    EXPECT_EQ(Printable(FormatOutlineItem(0, -1, nullptr, TXT("x"))), "0\t-1\t-\tx\t");
}

}  // namespace
