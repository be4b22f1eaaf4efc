#include "DetectEncoding.h"

TextEncoding DetectEncoding(const unsigned char*, int32_t) { return ENC_BINARY; }
uint32_t EncodingToCodePage(TextEncoding) { return 0; }
const char* EncodingName(TextEncoding) { return "ENC_UNKNOWN"; }
