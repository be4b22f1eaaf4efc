#pragma once
// Whole text files in and out: read with the encoding detected from the bytes, written in a given
// encoding with the byte order mark it calls for.
#include <cstdint>
#include "DetectEncoding.h"
#include "Text.h"

// Reads the whole file at path into text (replaced only on success). encoding, when not null,
// receives the detected code once the file was read, also when that code is ENC_BINARY.
bool ReadTextFile(const Text& path, Text& text, TextEncoding* encoding);

// Replaces the file's content with text (up to its first U+0000) in the given encoding, creating
// the missing folders of the path.
bool WriteTextFile(const Text& path, const Text& text, TextEncoding encoding);

// Exchanges the two bytes of every 16-bit unit of bytes[0, count); an odd count also moves
// bytes[count], which the caller owns.
void SwapBytePairs(unsigned char* bytes, int32_t count);
