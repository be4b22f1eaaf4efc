// --outline FILE: the tree the panel would show for FILE as its "Favorites.txt", one line per item
// in tree order: index, parent's index, depth, label and path (see FormatOutlineItem).
#include "CheckTool.h"
#include "panel/Outline.h"
#include "panel/OutlineModel.h"
#include "textio/TextFile.h"

int RunOutlineCheck(const Text& path, CheckOutput& out) {
    Text text;
    TextEncoding encoding = ENC_UNKNOWN;
    // The panel looks only at the text: whatever ReadTextFile leaves is what it shows. The tool
    // also tells why a file shows nothing.
    const bool read = ReadTextFile(path, text, &encoding);
    OutlineModel tree;
    BuildOutline(tree, text);
    PrintOutline(tree, [&out](const Text& line) { out.Line(line); });
    if (read) return 0;
    if (encoding == ENC_BINARY) {
        out.Error(path + TXT(": not a text file; the panel shows no favourites"));
    } else {
        out.Error(path + TXT(": cannot be read; the panel shows no favourites"));
    }
    return 1;
}
