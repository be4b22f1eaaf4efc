#pragma once
// The literal version of DetectEncoding: the rules as written, step by step, one byte at
// a time, for the tests and the fuzz target to hold the fast version against.
#include <cstdint>
#include "textio/DetectEncoding.h"

TextEncoding DetectEncodingReference(const unsigned char* bytes, int32_t length);
