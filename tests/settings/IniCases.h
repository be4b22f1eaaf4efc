#pragma once
// What the store keeps of a text: each case loads "text", sets one value so that the store is
// dirty, and expects a save to write "saved". Run in memory by IniFormatTest and over real files
// (UTF-8 bytes) by IniFileTest.
#include "textio/Text.h"

struct IniCase {
    const char* name;
    const TextUnit* text;
    const TextUnit* section;  // the SetValue after the load
    const TextUnit* key;
    const TextUnit* value;
    const TextUnit* saved;
};

inline const IniCase kIniCases[] = {
    {"empty text keeps CR LF", TXT(""), TXT("S"), TXT("k"), TXT("v"), TXT("[S]\r\nk=v\r\n\r\n")},
    {"text without a line break is not read", TXT("a=1"), TXT("S"), TXT("k"), TXT("v"),
     TXT("[S]\r\nk=v\r\n\r\n")},
    {"final line without a line break is ignored", TXT("a=1\nb=2"), TXT(""), TXT("a"), TXT("1"),
     TXT("a=1\n\n")},
    {"entries before any header: unnamed section first, no header",
     TXT("x=1\r\n[S]\r\ny=2\r\n"), TXT("S"), TXT("y"), TXT("2"), TXT("x=1\r\n\r\n[S]\r\ny=2\r\n\r\n")},
    {"[] and blanks-only brackets join the unnamed section",
     TXT("x=1\n[S]\ny=2\n[]\nz=3\n[ \t ]\nw=4\n"), TXT(""), TXT("x"), TXT("1"),
     TXT("x=1\nz=3\nw=4\n\n[S]\ny=2\n\n")},
    {"unnamed section created after another is written as []", TXT("[S]\ny=2\n[]\nz=3\n"), TXT("S"),
     TXT("y"), TXT("2"), TXT("[S]\ny=2\n\n[]\nz=3\n\n")},
    {"unnamed section set after the load goes last with []", TXT("[S]\ny=2\n"), TXT(""), TXT("k"),
     TXT("v"), TXT("[S]\ny=2\n\n[]\nk=v\n\n")},
    {"header without entries makes no section", TXT("[Empty]\n[S]\ny=2\n[Last]\n"), TXT("S"), TXT("y"),
     TXT("2"), TXT("[S]\ny=2\n\n")},
    {"headers merge by case, keeping first name and position",
     TXT("[Abc]\na=1\n[Other]\nb=2\n[ABC]\nc=3\n"), TXT("abc"), TXT("d"), TXT("4"),
     TXT("[Abc]\na=1\nc=3\nd=4\n\n[Other]\nb=2\n\n")},
    {"repeated key: later text, first position and name", TXT("[S]\nKey=1\nother=2\nKEY=3\n"), TXT("s"),
     TXT("OTHER"), TXT("5"), TXT("[S]\nKey=3\nother=5\n\n")},
    {"non-ASCII names merge by case", TXT("[\u00C4rger]\n\u00E4=1\n[\u00C4RGER]\n\u00C4=2\n"),
     TXT("\u00E4rger"), TXT("\u00E4"), TXT("3"), TXT("[\u00C4rger]\n\u00E4=3\n\n")},
    {"comments start with ; after blanks, even with =", TXT("; a=1\n\t ;b=2\n[S]\nc=3\n"), TXT("S"),
     TXT("c"), TXT("3"), TXT("[S]\nc=3\n\n")},
    {"any other first character starts an entry", TXT("#a=1\n-b=2\n'c=3\n"), TXT(""), TXT("#a"),
     TXT("1"), TXT("#a=1\n-b=2\n'c=3\n\n")},
    {"a blank after ] is no header; entries stay in the section",
     TXT("[S]\na=1\n[T] \nb=2\n[U] x=1\n"), TXT("S"), TXT("a"), TXT("1"), TXT("[S]\na=1\nb=2\n[U] x=1\n\n")},
    {"[ ... ] with = inside is a header", TXT("[a=b]\nc=d\n"), TXT("A=B"), TXT("c"), TXT("d"),
     TXT("[a=b]\nc=d\n\n")},
    {"header name loses its blanks; ] inside stays", TXT("[  Name\t]\na=1\n[x]y]\nb=2\n"), TXT("NAME"),
     TXT("a"), TXT("1"), TXT("[Name]\na=1\n\n[x]y]\nb=2\n\n")},
    {"key loses trailing blanks, value keeps all of its blanks", TXT("  key \t= value \n"), TXT(""),
     TXT("other"), TXT("x"), TXT("key= value \nother=x\n\n")},
    {"line starting with = is ignored; later = belong to the value", TXT("=x\n  =y\na=b=c\n"), TXT(""),
     TXT("z"), TXT(""), TXT("a=b=c\nz=\n\n")},
    {"blank, blank-only and unrecognised lines are dropped", TXT("\n \t\nnonsense\n[\n]\n[S]\na=1\n"),
     TXT("S"), TXT("a"), TXT("1"), TXT("[S]\na=1\n\n")},
    {"CR LF is one break, LF CR two, a lone CR one", TXT("a=1\r\nb=2\n\rc=3\rd=4\r\n"), TXT(""), TXT("a"),
     TXT("1"), TXT("a=1\r\nb=2\r\nc=3\r\nd=4\r\n\r\n")},
    {"first break LF: LF after every line", TXT("a=1\nb=2\r\nc=3\r\n"), TXT(""), TXT("a"), TXT("1"),
     TXT("a=1\nb=2\nc=3\n\n")},
    {"first break a lone CR, also at the very end", TXT("a=1\rb=2\r\nc=3\r"), TXT(""), TXT("a"), TXT("1"),
     TXT("a=1\rb=2\rc=3\r\r")},
};
