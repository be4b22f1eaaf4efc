// shelfmap-check FILE...            the encoding the plug-in detects for each file
// shelfmap-check --MODE FILE        see the table below
#include <cstring>
#include <exception>
#include "CheckTool.h"

namespace {

struct CheckMode {
    const char* option;
    int (*run)(const Text& path, CheckOutput& out);
    const char* help;
};

// One row per mode that takes exactly one file.
const CheckMode kModes[] = {
    {"--outline", RunOutlineCheck, "the tree the panel shows: index, parent, depth, label, path per item"},
    {"--ini", RunIniCheck, "what the plug-in keeps of an INI file, printed as a save of it would write it"},
    {nullptr, nullptr, nullptr},
};

void Usage(CheckOutput& out) {
    Text usage = AsciiToText("usage: shelfmap-check FILE...   the encoding of each file: code<TAB>name<TAB>path");
    for (const CheckMode* m = kModes; m->option; ++m)
        usage += AsciiToText("\n       shelfmap-check ") + AsciiToText(m->option) + AsciiToText(" FILE   ") +
                 AsciiToText(m->help);
    out.Error(usage);
}

int Run(const std::vector<Text>& args) {
    CheckOutput out;
    if (args.empty() || args[0] == TXT("--help") || args[0] == TXT("-h")) {
        Usage(out);
        return args.empty() ? 2 : 0;
    }
    if (args[0].size() > 2 && args[0].compare(0, 2, TXT("--")) == 0) {
        for (const CheckMode* m = kModes; m->option; ++m) {
            if (args[0] == AsciiToText(m->option)) {
                if (args.size() != 2) {
                    out.Error(AsciiToText(m->option) + AsciiToText(" takes exactly one file"));
                    return 2;
                }
                return m->run(args[1], out);
            }
        }
        out.Error(TXT("unknown option ") + args[0]);
        Usage(out);
        return 2;
    }
    return RunEncodingCheck(args, out);
}

int Guarded(const std::vector<Text>& args) {
    try {
        return Run(args);
    } catch (const std::exception& e) {
        CheckOutput().Error(AsciiToText("internal error: ") + AsciiToText(e.what()));
    } catch (...) {
        CheckOutput().Error(AsciiToText("internal error"));
    }
    return 3;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<Text> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return Guarded(args);
}
#else
int main(int argc, char** argv) {
    std::vector<Text> args;
    for (int i = 1; i < argc; ++i) args.push_back(Utf8ToText(argv[i]));
    return Guarded(args);
}
#endif
