#include <gtest/gtest.h>
#include "textio/DetectEncoding.h"
TEST(Detect, Placeholder) { EXPECT_EQ(DetectEncoding(nullptr, 0), ENC_BINARY); }
