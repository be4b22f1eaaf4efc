// The detector's rules, step by step. Two choices the rules leave open or cannot keep are made
// here exactly as in textio/DetectEncoding.cpp:
//  - Shift_JIS first bytes 0xFD-0xFF are single-byte characters (code page 932 maps them so).
//  - utf7Score is 64-bit, so that no input can overflow it (a 32-bit figure could wrap
//    for pathological inputs; for all others the result is the same). k × 6 is taken in 64 bits.
#include "DetectEncodingReference.h"

namespace {

bool InRange(int v, int lo, int hi) { return v >= lo && v <= hi; }  // an absent byte (-1) never is

bool IsBase64(int x) {
    return InRange(x, '0', '9') || InRange(x, 'A', 'Z') || InRange(x, 'a', 'z') || x == '+' || x == '/';
}

}  // namespace

TextEncoding DetectEncodingReference(const unsigned char* bytes, int32_t length) {
    // A byte that a rule needs beyond the end counts as absent: -1.
    auto at = [&](int64_t i) -> int { return (i >= 0 && i < length) ? bytes[i] : -1; };

    // 1. Byte order marks.
    if (length >= 2) {
        const int b0 = at(0), b1 = at(1), b2 = at(2);
        if (b0 >= 0xFE && b1 >= 0xFE) return (b0 == 0xFE && b1 == 0xFF) ? 7 : 6;
        if (b0 == 0xEF && b1 == 0xBB && b2 == 0xBF) return 9;
    }
    // 2. Zero bytes.
    for (int32_t i = 0; i < length; ++i)
        if (bytes[i] == 0x00) return 1;
    // 3.
    if (length <= 0) return 2;

    bool highSeen = false;
    int32_t utf7Pos = 0;
    int64_t utf7Score = 0;
    int32_t utf8Pos = 0, sjisPos = 0, eucPos = 0;
    int32_t utf8Count = 0, sjisCount = 0, eucCount = 0;
    int32_t alive = 3;

    // 4. Main loop.
    for (int32_t j = 0; j < length; ++j) {
        // 4a. Seven-bit checks.
        if (!highSeen) {
            const int c = at(j);
            if (c > 0x7F) {
                highSeen = true;
            } else if (c == 0x1B) {
                if (j + 2 < length) {
                    const int n1 = at(j + 1), n2 = at(j + 2);
                    if ((n1 == '$' && (n2 == '(' || n2 == '@' || n2 == 'B')) ||
                        (n1 == '(' && (n2 == 'B' || n2 == 'I' || n2 == 'J')))
                        return 5;
                }
            } else if (utf7Pos >= 0 && utf7Pos <= j) {
                // UTF-7 check.
                const int32_t p = utf7Pos;
                utf7Pos = p + 1;
                if (at(p) == '+') {
                    int64_t k = 0;
                    while (utf7Pos < length) {
                        const int x = at(utf7Pos);
                        if (IsBase64(x)) {
                            k += 1;
                            utf7Pos += 1;
                        } else if (x == '-') {
                            if ((k * 6) % 16 > 5) {
                                utf7Pos = -1;  // retire
                            } else if (utf7Score > 0) {
                                return 10;
                            } else {
                                utf7Pos += 1;
                                utf7Score += utf7Pos - j;
                            }
                            break;
                        } else {
                            utf7Pos = -1;  // retire
                            break;
                        }
                    }
                }
            }
        }
        // 4b. UTF-8.
        if (utf8Pos >= 0 && utf8Pos <= j) {
            const int32_t p = utf8Pos;
            const int b = at(p);
            int n = 0, lo = 0x80, hi = 0xBF;
            if (InRange(b, 0x00, 0x7F)) n = 1;
            else if (InRange(b, 0xC2, 0xDF)) n = 2;
            else if (b == 0xE0) { n = 3; lo = 0xA0; }
            else if (InRange(b, 0xE1, 0xEF)) n = 3;
            else if (b == 0xF0) { n = 4; lo = 0x90; }
            else if (InRange(b, 0xF1, 0xF3)) n = 4;
            else if (b == 0xF4) { n = 4; hi = 0x8F; }
            bool ok = n > 0;
            if (ok && n >= 2) ok = InRange(at(p + 1), lo, hi);
            if (ok && n >= 3) ok = InRange(at(p + 2), 0x80, 0xBF);
            if (ok && n >= 4) ok = InRange(at(p + 3), 0x80, 0xBF);
            if (!ok) {
                utf8Pos = -1;
                --alive;
            } else {
                if (n >= 2) utf8Count += n;
                utf8Pos = p + n;
            }
        }
        // 4c. Shift_JIS.
        if (sjisPos >= 0 && sjisPos <= j) {
            const int32_t p = sjisPos;
            const int b = at(p);
            if (InRange(b, 0x00, 0x80) || InRange(b, 0xA0, 0xDF) || InRange(b, 0xFD, 0xFF)) {
                sjisPos = p + 1;  // 0xFD-0xFF: a single byte, the implementer's choice
            } else {
                const int t = at(p + 1);
                if (InRange(t, 0x40, 0x7E) || InRange(t, 0x80, 0xFC)) {
                    sjisCount += 2;
                    sjisPos = p + 2;
                } else {
                    sjisPos = -1;
                    --alive;
                }
            }
        }
        // 4d. EUC-JP.
        if (eucPos >= 0 && eucPos <= j) {
            const int32_t p = eucPos;
            const int b = at(p);
            if (InRange(b, 0x00, 0x7F)) {
                eucPos = p + 1;
            } else if (b == 0x8E && InRange(at(p + 1), 0xA1, 0xDF)) {
                eucCount += 2;
                eucPos = p + 2;
            } else if (b == 0x8F && InRange(at(p + 1), 0xA1, 0xFE) && InRange(at(p + 2), 0xA1, 0xFE)) {
                eucCount += 3;
                eucPos = p + 3;
            } else if (InRange(b, 0xA1, 0xFF) && InRange(at(p + 1), 0xA1, 0xFE)) {
                eucCount += 2;
                eucPos = p + 2;
            } else {
                eucPos = -1;
                --alive;
            }
        }
        // 4e. Stop test: the early decision.
        if (highSeen && alive <= 1) {
            if (utf8Pos >= 0) return 8;
            if (sjisPos >= 0) return 3;
            if (eucPos >= 0) return 4;
            TextEncoding result = 1;
            if (utf7Score > 0) result = 10;
            if (utf8Count > utf7Score) result = 8;
            if (sjisCount > utf8Count && sjisCount > utf7Score) result = 3;
            if (eucCount > sjisCount && eucCount > utf8Count && eucCount > utf7Score) result = 4;
            return result;
        }
    }
    // 5. Final decision.
    if (!highSeen && utf7Pos >= 0 && utf7Score > 0) return 10;
    if (utf8Pos >= 0 && utf8Count > 0) return 8;
    if (sjisPos >= 0 && sjisCount > utf8Count) return 3;
    if (eucPos >= 0 && eucCount > sjisCount && eucCount > utf8Count) return 4;
    return 2;
}
