// shelfmap-check --outline, run as a user runs it: the same tree from every encoding of the example
// favourites, and a word on standard error with status 1 when the panel would show nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

struct ToolRun {
    std::string out;
    int status = -1;
};

ToolRun CheckOutline(const std::string& path) {
    const std::string command = std::string(SHELFMAP_BINARY_DIR) + "/tools/check/shelfmap-check --outline '" +
                                path + "' 2>/dev/null";
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) run.out.append(buf, n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

const std::string kData = std::string(SHELFMAP_SOURCE_DIR) + "/tests/data/favorites/";

TEST(CheckOutline, EveryEncodingShowsTheSameTree) {
    const std::string expected = ReadAll(std::string(SHELFMAP_SOURCE_DIR) + "/tests/panel/expected/Favorites.outline.txt");
    ASSERT_FALSE(expected.empty());
    for (const char* name : {"utf8", "utf8bom", "utf16le", "utf16be", "sjis", "eucjp", "iso2022jp", "utf7"}) {
        const ToolRun run = CheckOutline(kData + "Favorites." + name + ".txt");
        EXPECT_EQ(run.status, 0) << name;
        EXPECT_EQ(run.out, expected) << name;
    }
}

TEST(CheckOutline, FilesThatShowNothing) {
    const std::string dir = ::testing::TempDir();
    { std::ofstream(dir + "/empty.txt", std::ios::binary); }
    ToolRun run = CheckOutline(dir + "/empty.txt");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");

    run = CheckOutline(dir + "/no such file.txt");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");

    run = CheckOutline(dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
}

}  // namespace
