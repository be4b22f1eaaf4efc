// The scripted mode: a list of commands separated by ';' or line breaks, each a name followed by
// words, e.g. "open-frame; toggle 0; repeat 10 {toggle 0; toggle 0}; gui-count after; exit".
// '#' starts a comment that runs to the end of the line. Frames are numbered from 0 in the order
// they are made; a number is never reused.
#include <cwctype>

#include "Host.h"
#include "HostLog.h"
#include "HostTreePanel.h"

namespace {

struct Command {
    std::wstring text;                // the command as written, for the log
    std::wstring name;
    std::vector<std::wstring> args;
    std::wstring body;                // the {...} part, for repeat
    bool hasBody = false;
};

struct ScriptError {
    std::wstring message;
};

// Splits a script into commands; false with error set when braces do not match.
bool Parse(const std::wstring& script, std::vector<Command>& out, std::wstring& error) {
    Command cmd;
    std::wstring word;
    auto endWord = [&] {
        if (!word.empty()) {
            if (cmd.name.empty()) cmd.name = word;
            else cmd.args.push_back(word);
            word.clear();
        }
    };
    auto endCommand = [&] {
        endWord();
        size_t a = cmd.text.find_first_not_of(L" \t\r\n");
        size_t b = cmd.text.find_last_not_of(L" \t\r\n");
        cmd.text = a == std::wstring::npos ? std::wstring() : cmd.text.substr(a, b - a + 1);
        if (!cmd.name.empty()) out.push_back(cmd);
        cmd = Command();
    };
    for (size_t i = 0; i < script.size(); ++i) {
        wchar_t c = script[i];
        if (c == L'#') {
            while (i < script.size() && script[i] != L'\n') ++i;
            endCommand();
            continue;
        }
        if (c == L';' || c == L'\n') {
            endCommand();
            continue;
        }
        if (c == L'{') {
            endWord();
            int depth = 1;
            size_t start = i + 1;
            while (++i < script.size() && depth > 0) {
                if (script[i] == L'{') ++depth;
                else if (script[i] == L'}') --depth;
            }
            if (depth != 0) {
                error = L"unmatched {";
                return false;
            }
            --i;  // at the closing brace
            cmd.body = script.substr(start, i - start);
            cmd.hasBody = true;
            cmd.text += L"{" + cmd.body + L"}";
            continue;
        }
        if (c == L'}') {
            error = L"unmatched }";
            return false;
        }
        cmd.text += c;
        if (std::iswspace(c)) endWord();
        else word += c;
    }
    endCommand();
    return true;
}

long long Number(const std::wstring& s) {
    if (s.empty()) throw ScriptError{L"missing number"};
    size_t used = 0;
    long long value = 0;
    try {
        value = std::stoll(s, &used, 0);  // decimal, or hexadecimal with 0x
    } catch (...) {
        throw ScriptError{L"not a number: " + s};
    }
    if (used != s.size()) throw ScriptError{L"not a number: " + s};
    return value;
}

Frame& FrameArg(const Command& cmd, size_t i) {
    if (i >= cmd.args.size()) throw ScriptError{L"missing frame number"};
    Frame* frame = FindFrame(static_cast<int>(Number(cmd.args[i])));
    if (!frame) throw ScriptError{L"no frame " + cmd.args[i]};
    return *frame;
}

struct ScriptState {
    bool exit = false;
    int exitCode = 0;
};

int RunCommands(const std::wstring& script, ScriptState& state, int depth);

using Handler = void (*)(const Command&, ScriptState&, int depth);

struct CommandSpec {
    const wchar_t* name;
    size_t minArgs;
    size_t maxArgs;
    bool body;
    Handler run;
};

const CommandSpec kCommands[] = {
    {L"open-frame", 0, 1, false, [](const Command& c, ScriptState&, int) {
         if (!c.args.empty() && c.args[0] != L"quiet") throw ScriptError{L"open-frame takes only 'quiet'"};
         OpenFrame(c.args.empty());
     }},
    {L"raw-frame", 1, 1, false, [](const Command& c, ScriptState&, int) {
         AddRawFrame(reinterpret_cast<HWND>(static_cast<INT_PTR>(Number(c.args[0]))));
     }},
    {L"close-frame", 1, 1, false, [](const Command& c, ScriptState&, int) { CloseFrame(FrameArg(c, 0)); }},
    {L"toggle", 1, 1, false, [](const Command& c, ScriptState&, int) { CallOnCommand(FrameArg(c, 0)); }},
    {L"query", 1, 2, false, [](const Command& c, ScriptState&, int) {
         if (c.args.size() > 1 && c.args[1] != L"null") throw ScriptError{L"query takes only 'null' after the frame"};
         CallQueryStatus(FrameArg(c, 0), c.args.size() > 1);
     }},
    {L"events", 2, 2, false, [](const Command& c, ScriptState&, int) {
         CallOnEvents(FrameArg(c, 0), static_cast<UINT>(Number(c.args[1])));
     }},
    {L"refuse-open", 0, 1, false, [](const Command& c, ScriptState&, int) {
         g_host.refuseNextOpen = true;
         g_host.refuseValue = c.args.empty() ? -1 : static_cast<LRESULT>(Number(c.args[0]));
     }},
    {L"close-mode", 1, 1, false, [](const Command& c, ScriptState&, int) {
         if (c.args[0] == L"sync") g_host.closeMode = CloseMode::Sync;
         else if (c.args[0] == L"defer") g_host.closeMode = CloseMode::Defer;
         else if (c.args[0] == L"ignore") g_host.closeMode = CloseMode::Ignore;
         else throw ScriptError{L"close-mode: sync, defer or ignore"};
     }},
    {L"close-bar", 1, 1, false, [](const Command& c, ScriptState&, int) { HostCloseBar(FrameArg(c, 0)); }},
    {L"report-closed", 1, 1, false, [](const Command& c, ScriptState&, int) {
         CallOnEvents(FrameArg(c, 0), 0x80000);  // EVENT_CUSTOM_BAR_CLOSED
     }},
    {L"resize", 3, 3, false, [](const Command& c, ScriptState&, int) {
         Frame& f = FrameArg(c, 0);
         RECT rc = {0, 0, static_cast<LONG>(Number(c.args[1])), static_cast<LONG>(Number(c.args[2]))};
         AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongW(f.hWnd, GWL_STYLE)), GetMenu(f.hWnd) != nullptr,
                            static_cast<DWORD>(GetWindowLongW(f.hWnd, GWL_EXSTYLE)));
         SetWindowPos(f.hWnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
     }},
    {L"bar-info", 1, 1, false, [](const Command& c, ScriptState&, int) { LogBarInfo(FrameArg(c, 0)); }},
    {L"dump-tree", 1, 1, false, [](const Command& c, ScriptState&, int) { LogTreeItems(FrameArg(c, 0)); }},
    {L"click-item", 4, 4, false, [](const Command& c, ScriptState&, int) {
         ClickTreeItem(FrameArg(c, 0), Number(c.args[1]), c.args[2], Number(c.args[3]));
     }},
    {L"key", 1, 1, false, [](const Command& c, ScriptState&, int) { PressKey(Number(c.args[0])); }},
    {L"gui-count", 0, 1, false, [](const Command& c, ScriptState&, int) {
         LogGuiCounts(c.args.empty() ? std::wstring() : c.args[0]);
     }},
    {L"repeat", 1, 1, true, [](const Command& c, ScriptState& s, int depth) {
         long long n = Number(c.args[0]);
         for (long long i = 0; i < n && !s.exit; ++i) RunCommands(c.body, s, depth + 1);
     }},
    {L"pump", 0, 1, false, [](const Command& c, ScriptState&, int) {
         PumpMessages(c.args.empty() ? 0 : static_cast<DWORD>(Number(c.args[0])));
     }},
    {L"load", 0, 0, false, [](const Command&, ScriptState&, int) { LoadPlugin(g_host.plugin.path); }},
    {L"unload", 0, 0, false, [](const Command&, ScriptState&, int) { UnloadPlugin(); }},
    {L"exit", 0, 1, false, [](const Command& c, ScriptState& s, int) {
         s.exit = true;
         s.exitCode = c.args.empty() ? 0 : static_cast<int>(Number(c.args[0]));
     }},
};

int RunCommands(const std::wstring& script, ScriptState& state, int depth) {
    std::vector<Command> commands;
    std::wstring error;
    if (!Parse(script, commands, error)) throw ScriptError{error};
    for (const Command& cmd : commands) {
        if (state.exit) break;
        const CommandSpec* spec = nullptr;
        for (const CommandSpec& s : kCommands)
            if (cmd.name == s.name) spec = &s;
        if (!spec) throw ScriptError{L"unknown command: " + cmd.name};
        if (cmd.args.size() < spec->minArgs || cmd.args.size() > spec->maxArgs || cmd.hasBody != spec->body)
            throw ScriptError{L"wrong arguments: " + cmd.text};
        if (spec->body) LogLine("Step").Num("depth", depth).Text("text", cmd.name + L" " + cmd.args[0]);
        else LogLine("Step").Num("depth", depth).Text("text", cmd.text);
        spec->run(cmd, state, depth);
        PumpMessages(0);
    }
    return 0;
}

}  // namespace

int RunScript(const std::wstring& script) {
    ScriptState state;
    try {
        RunCommands(script, state, 0);
    } catch (const ScriptError& e) {
        LogLine("ScriptError").Text("text", e.message);
        return 2;
    }
    return state.exitCode;
}
