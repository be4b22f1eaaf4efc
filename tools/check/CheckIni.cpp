// --ini FILE: what the plug-in keeps of FILE as its INI file, printed exactly as a save of that
// store would write it: the sections and entries in order, each line ended by the line break
// that the file began with. Comments, blank and unrecognised lines and a last line without a
// line break are what it drops.
#include "CheckTool.h"
#include "textio/TextFile.h"
#ifdef _WIN32
#include "settings/IniFile.h"
#else
#include "settings/IniFormat.h"
#endif

int RunIniCheck(const Text& path, CheckOutput& out) {
#ifdef _WIN32
    CIniFile store;  // the plug-in's own load, with the system's upper-case mapping
    store.Load(path);
    const TextEncoding encoding = store.m_nEncoding;
#else
    // The store's load without its lock; names merge by the simple upper-case mapping.
    CIniContent store;
    TextEncoding encoding = ENC_UNKNOWN;
    Text text;
    ReadTextFile(path, text, &encoding);
    store.ReadText(text);
#endif
    out.Raw(store.WriteText());
    if (encoding == ENC_UNKNOWN) {
        out.Error(path + TXT(": cannot be read; the plug-in starts with no settings"));
        return 1;
    }
    if (encoding == ENC_BINARY) {
        out.Error(path + TXT(": not a text file; the plug-in starts with no settings"));
        return 1;
    }
    return 0;
}
