#pragma once
// shelfmap-check: tells a user how the plug-in will read a file.
#include <string>
#include <vector>
#include "textio/Text.h"

// Where the tool's text goes: UTF-8 into files and pipes, UTF-16 through the console API on a
// Windows console, so Japanese names survive both.
class CheckOutput {
public:
    CheckOutput();
    void Raw(const Text& text);      // exactly as given
    void Line(const Text& text);     // followed by "\n"
    void Error(const Text& text);    // to standard error, "shelfmap-check: " before and "\n" after

private:
    void Write(bool toError, const Text& text);
    [[maybe_unused]] bool m_bConsoleOut = false;  // Windows only
    [[maybe_unused]] bool m_bConsoleErr = false;
};

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string TextToUtf8(const Text& text);
// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
Text Utf8ToText(const std::string& bytes);
Text AsciiToText(const char* ascii);

// Reads a whole file's bytes. On failure returns false with a reason for the user in why.
bool ReadFileBytes(const Text& path, std::vector<unsigned char>& bytes, Text& why);

// The modes. Each returns the process's exit status.
int RunEncodingCheck(const std::vector<Text>& paths, CheckOutput& out);
int RunIniCheck(const Text& path, CheckOutput& out);
int RunOutlineCheck(const Text& path, CheckOutput& out);
