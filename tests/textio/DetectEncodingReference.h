#pragma once
// The literal version of Part 3.1's DetectEncoding: the steps as the Part writes them, one byte at
// a time, for the tests and the fuzz target to hold the fast version against.
#include <cstdint>
#include "textio/DetectEncoding.h"

TextEncoding DetectEncodingReference(const unsigned char* bytes, int32_t length);
