// Encoding detection, written for speed; tests/textio/DetectEncodingReference.cpp holds
// the literal version of the same rules, and the tests and the fuzz target compare the two.
//
// How this version differs in method (never in result) from the literal one:
//  - The zero-byte pre-scan is folded into the main scan: every byte that the scan steps over is
//    also checked for 0x00, and when the scan decides early, one memchr over the bytes it did not
//    look at settles whether the answer is ENC_BINARY after all.
//  - Seven-bit phase (no byte above 0x7F met yet): all three candidates stand at j and take every
//    byte as a single-byte character, so the scan jumps straight to the next byte that can change
//    the state: 0x00, ESC, a byte above 0x7F, and "+" while the UTF-7 check is live and in step.
//    After an ESC that did not return, the UTF-7 check trails j (it examines bytes[utf7Pos] at step
//    j); then the next "+" is searched in the trailing window instead. After an accepted UTF-7 run
//    utf7Pos lies ahead of j, and the bytes in between (all base64 or "-") are stepped over.
//  - After the first high byte the three candidates are independent until the stop test, which
//    only needs to know where each one retires: each runs on its own up to a growing bound, and
//    the early stop falls at the second retirement. Each candidate steps over plain ASCII runs.
//  - The byte scans use 32-byte (AVX2, chosen at run time), 16-byte (SSE2) or 8-byte words.
//  - utf7Score is held in 64 bits: with a trailing UTF-7 check an accepted run adds utf7Pos - j,
//    which can be negative, and the sum of many such runs could overflow 32 bits (undefined
//    behaviour in C++). For every input on which the 32-bit figure does not overflow the result
//    is the same.
//
// Shift_JIS lead bytes 0xFD, 0xFE and 0xFF (which the rules leave open): the Shift_JIS candidate takes
// each of them as a single-byte character, without counting it and without retiring, because code
// page 932 maps each of them as one byte (to U+F8F1..U+F8F3). The reference does the same.
#include "DetectEncodingInternal.h"

#include <cstddef>
#include <cstring>

#if defined(__x86_64__) && !defined(_WIN32) && (defined(__GNUC__) || defined(__clang__))
#define TEXTIO_HAVE_AVX2 1
#else
#define TEXTIO_HAVE_AVX2 0
#endif
#if defined(__SSE2__)
#define TEXTIO_HAVE_SSE2 1
#else
#define TEXTIO_HAVE_SSE2 0
#endif
#if TEXTIO_HAVE_SSE2 || TEXTIO_HAVE_AVX2
#include <immintrin.h>
#endif

namespace {

using Byte = unsigned char;

constexpr Byte kEsc = 0x1B;
constexpr Byte kPlus = 0x2B;
constexpr int32_t kNever = INT32_MAX;  // retirement position of a candidate that did not retire

inline int CountTrailingZeros(uint64_t m) { return __builtin_ctzll(m); }

// --- Byte scans -------------------------------------------------------------------------------
// Each kernel provides three searches over [p, end), returning end when nothing is found:
//   FindSeven      the first 0x00, ESC or byte above 0x7F
//   FindSevenPlus  the same, or "+"
//   FindHigh       the first byte above 0x7F

inline bool IsSevenStop(Byte c) { return c == 0 || c == kEsc || c >= 0x80; }
inline bool IsSevenPlusStop(Byte c) { return IsSevenStop(c) || c == kPlus; }

struct PortableScan {
    static constexpr uint64_t kOnes = 0x0101010101010101ull;
    static constexpr uint64_t kHigh = 0x8080808080808080ull;
    static uint64_t Load(const Byte* p) {
        uint64_t w;
        std::memcpy(&w, p, sizeof w);
        return w;
    }
    // Nonzero when some byte of w is zero (may also flag bytes above the first zero one).
    static uint64_t ZeroByte(uint64_t w) { return (w - kOnes) & ~w & kHigh; }

    template <bool Plus>
    static const Byte* Seven(const Byte* p, const Byte* end) {
        while (end - p >= 8) {
            const uint64_t w = Load(p);
            uint64_t m = (w & kHigh) | ZeroByte(w) | ZeroByte(w ^ (kOnes * kEsc));
            if (Plus) m |= ZeroByte(w ^ (kOnes * kPlus));
            if (m) break;  // the exact byte is found below
            p += 8;
        }
        for (; p < end; ++p)
            if (Plus ? IsSevenPlusStop(*p) : IsSevenStop(*p)) return p;
        return end;
    }
    static const Byte* FindSeven(const Byte* p, const Byte* end) { return Seven<false>(p, end); }
    static const Byte* FindSevenPlus(const Byte* p, const Byte* end) { return Seven<true>(p, end); }
    static const Byte* FindHigh(const Byte* p, const Byte* end) {
        while (end - p >= 8) {
            if (Load(p) & kHigh) break;
            p += 8;
        }
        for (; p < end; ++p)
            if (*p >= 0x80) return p;
        return end;
    }
};

#if TEXTIO_HAVE_SSE2

struct Sse2Scan {
    // 0xFF in every byte of v that is 0x00, ESC, above 0x7F, or (Plus) "+".
    template <bool Plus>
    static __m128i Classify(__m128i v) {
        // Signed 1 > v holds for 0x00 and for 0x80..0xFF.
        __m128i m = _mm_or_si128(_mm_cmpgt_epi8(_mm_set1_epi8(1), v), _mm_cmpeq_epi8(v, _mm_set1_epi8(kEsc)));
        if (Plus) m = _mm_or_si128(m, _mm_cmpeq_epi8(v, _mm_set1_epi8(kPlus)));
        return m;
    }
    template <bool Plus>
    __attribute__((noinline)) static const Byte* Seven(const Byte* p, const Byte* end) {
        const Byte* const start = p;
        while (end - p >= 64) {
            const __m128i a = Classify<Plus>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
            const __m128i b = Classify<Plus>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
            const __m128i c = Classify<Plus>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)));
            const __m128i d = Classify<Plus>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)));
            if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d)))) {
                const uint64_t m = static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(a))) |
                                   static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(b))) << 16 |
                                   static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(c))) << 32 |
                                   static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(d))) << 48;
                return p + CountTrailingZeros(m);
            }
            p += 64;
        }
        while (end - p >= 16) {
            const unsigned m = static_cast<unsigned>(
                _mm_movemask_epi8(Classify<Plus>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)))));
            if (m) return p + CountTrailingZeros(m);
            p += 16;
        }
        if (p < end && end - start >= 16) {
            // One last overlapping vector: the bytes before p were clean, so a hit lies at p or later.
            const Byte* q = end - 16;
            const unsigned m = static_cast<unsigned>(
                _mm_movemask_epi8(Classify<Plus>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q)))));
            return m ? q + CountTrailingZeros(m) : end;
        }
        for (; p < end; ++p)
            if (Plus ? IsSevenPlusStop(*p) : IsSevenStop(*p)) return p;
        return end;
    }
    static const Byte* FindSeven(const Byte* p, const Byte* end) { return Seven<false>(p, end); }
    static const Byte* FindSevenPlus(const Byte* p, const Byte* end) { return Seven<true>(p, end); }
    __attribute__((noinline)) static const Byte* FindHigh(const Byte* p, const Byte* end) {
        const Byte* const start = p;
        while (end - p >= 64) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
            if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d)))) break;
            p += 64;
        }
        while (end - p >= 16) {
            const unsigned m =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
            if (m) return p + CountTrailingZeros(m);
            p += 16;
        }
        if (p < end && end - start >= 16) {
            const Byte* q = end - 16;
            const unsigned m =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q))));
            return m ? q + CountTrailingZeros(m) : end;
        }
        for (; p < end; ++p)
            if (*p >= 0x80) return p;
        return end;
    }
};
#endif  // TEXTIO_HAVE_SSE2

#if TEXTIO_HAVE_AVX2
#define TEXTIO_AVX2_TARGET __attribute__((target("avx2")))

struct Avx2Scan {
    template <bool Plus>
    TEXTIO_AVX2_TARGET static __m256i Classify(__m256i v) {
        __m256i m = _mm256_or_si256(_mm256_cmpgt_epi8(_mm256_set1_epi8(1), v),
                                    _mm256_cmpeq_epi8(v, _mm256_set1_epi8(kEsc)));
        if (Plus) m = _mm256_or_si256(m, _mm256_cmpeq_epi8(v, _mm256_set1_epi8(kPlus)));
        return m;
    }
    TEXTIO_AVX2_TARGET static __m256i Load(const Byte* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    TEXTIO_AVX2_TARGET static uint32_t Mask(__m256i v) { return static_cast<uint32_t>(_mm256_movemask_epi8(v)); }

    template <bool Plus>
    TEXTIO_AVX2_TARGET __attribute__((noinline)) static const Byte* Seven(const Byte* p, const Byte* end) {
        const Byte* const start = p;
        while (end - p >= 128) {
            const __m256i a = Classify<Plus>(Load(p));
            const __m256i b = Classify<Plus>(Load(p + 32));
            const __m256i c = Classify<Plus>(Load(p + 64));
            const __m256i d = Classify<Plus>(Load(p + 96));
            if (!_mm256_testz_si256(_mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d)),
                                    _mm256_set1_epi8(-1))) {
                const uint64_t lo = Mask(a) | static_cast<uint64_t>(Mask(b)) << 32;
                if (lo) return p + CountTrailingZeros(lo);
                return p + 64 + CountTrailingZeros(Mask(c) | static_cast<uint64_t>(Mask(d)) << 32);
            }
            p += 128;
        }
        while (end - p >= 32) {
            const uint32_t m = Mask(Classify<Plus>(Load(p)));
            if (m) return p + CountTrailingZeros(m);
            p += 32;
        }
        if (p < end && end - start >= 32) {
            const Byte* q = end - 32;
            const uint32_t m = Mask(Classify<Plus>(Load(q)));
            return m ? q + CountTrailingZeros(m) : end;
        }
        for (; p < end; ++p)
            if (Plus ? IsSevenPlusStop(*p) : IsSevenStop(*p)) return p;
        return end;
    }
    static const Byte* FindSeven(const Byte* p, const Byte* end) { return Seven<false>(p, end); }
    static const Byte* FindSevenPlus(const Byte* p, const Byte* end) { return Seven<true>(p, end); }
    TEXTIO_AVX2_TARGET __attribute__((noinline)) static const Byte* FindHigh(const Byte* p, const Byte* end) {
        const Byte* const start = p;
        while (end - p >= 128) {
            const __m256i a = Load(p), b = Load(p + 32), c = Load(p + 64), d = Load(p + 96);
            if (Mask(_mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d)))) break;
            p += 128;
        }
        while (end - p >= 32) {
            const uint32_t m = Mask(Load(p));
            if (m) return p + CountTrailingZeros(m);
            p += 32;
        }
        if (p < end && end - start >= 32) {
            const Byte* q = end - 32;
            const uint32_t m = Mask(Load(q));
            return m ? q + CountTrailingZeros(m) : end;
        }
        for (; p < end; ++p)
            if (*p >= 0x80) return p;
        return end;
    }
};

bool CpuHasAvx2() {
    // The processor's features do not change while the process runs; reading them once is no state
    // of the detector.
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}
#endif  // TEXTIO_HAVE_AVX2

// --- The rules ----------------------------------------------------------------------------------

// Base64 characters of UTF-7: "0"-"9", "A"-"Z", "a"-"z", "+", "/".
struct Base64Table {
    bool is[256] = {};
    constexpr Base64Table() {
        for (int c = '0'; c <= '9'; ++c) is[c] = true;
        for (int c = 'A'; c <= 'Z'; ++c) is[c] = true;
        for (int c = 'a'; c <= 'z'; ++c) is[c] = true;
        is[static_cast<unsigned char>('+')] = true;
        is[static_cast<unsigned char>('/')] = true;
    }
};
constexpr Base64Table kBase64{};

inline bool IsDesignation(Byte a, Byte b) {
    return (a == '$' && (b == '(' || b == '@' || b == 'B')) || (a == '(' && (b == 'B' || b == 'I' || b == 'J'));
}

// The UTF-7 check of step 4a at step j, examining bytes[utf7Pos]. True: return ENC_UTF7 at once.
bool Utf7Check(const Byte* bytes, int32_t length, int32_t j, int32_t& utf7Pos, int64_t& utf7Score) {
    const int32_t p = utf7Pos;
    utf7Pos = p + 1;
    if (bytes[p] != kPlus) return false;
    uint32_t k = 0;  // only k mod 8 matters: (k * 6) mod 16 <= 5 exactly when k mod 8 is 0, 3 or 6
    while (utf7Pos < length) {
        const Byte x = bytes[utf7Pos];
        if (kBase64.is[x]) {
            ++k;
            ++utf7Pos;
            continue;
        }
        if (x == '-') {
            const uint32_t r = k & 7;
            if (r != 0 && r != 3 && r != 6) {
                utf7Pos = -1;
                return false;
            }
            if (utf7Score > 0) return true;
            ++utf7Pos;
            utf7Score += utf7Pos - j;
            return false;
        }
        utf7Pos = -1;
        return false;
    }
    return false;  // the data ends inside the run: neither scored nor retired
}

// The early answers skipped the zero-byte pre-scan for the bytes from `from` on.
TextEncoding Finish(const Byte* bytes, int32_t length, int32_t from, TextEncoding code) {
    if (code != ENC_BINARY && from < length && std::memchr(bytes + from, 0, static_cast<size_t>(length - from)))
        return ENC_BINARY;
    return code;
}

struct Candidate {
    int32_t pos;        // next character's start; -1 once retired
    int32_t count;      // bytes of accepted multi-byte characters
    int32_t retiredAt;  // the step at which it retired, kNever while it lives
};

inline void Retire(Candidate& c, int32_t p, int32_t count) {
    c.retiredAt = p;
    c.pos = -1;
    c.count = count;
}

// Each Run* decodes characters that start before bound, and stops at the first one at or past it.
template <class S>
void RunUtf8(const Byte* bytes, int32_t length, int32_t bound, Candidate& c) {
    int32_t p = c.pos, count = c.count;
    while (p < bound) {
        const Byte b = bytes[p];
        if (b < 0x80) {
            ++p;
            if (p < bound && bytes[p] < 0x80) p = static_cast<int32_t>(S::FindHigh(bytes + p, bytes + bound) - bytes);
            continue;
        }
        Byte lo = 0x80, hi = 0xBF;
        int32_t n;
        if (b < 0xC2) return Retire(c, p, count);
        if (b <= 0xDF) {
            n = 2;
        } else if (b <= 0xEF) {
            n = 3;
            if (b == 0xE0) lo = 0xA0;
        } else if (b <= 0xF4) {
            n = 4;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            return Retire(c, p, count);
        }
        if (length - p < n) return Retire(c, p, count);
        if (bytes[p + 1] < lo || bytes[p + 1] > hi) return Retire(c, p, count);
        if (n >= 3 && (bytes[p + 2] & 0xC0) != 0x80) return Retire(c, p, count);
        if (n == 4 && (bytes[p + 3] & 0xC0) != 0x80) return Retire(c, p, count);
        count += n;
        p += n;
    }
    c.pos = p;
    c.count = count;
}

template <class S>
void RunShiftJis(const Byte* bytes, int32_t length, int32_t bound, Candidate& c) {
    int32_t p = c.pos, count = c.count;
    while (p < bound) {
        const Byte b = bytes[p];
        if (b < 0x80) {
            ++p;
            if (p < bound && bytes[p] < 0x80) p = static_cast<int32_t>(S::FindHigh(bytes + p, bytes + bound) - bytes);
            continue;
        }
        if (b == 0x80 || (b >= 0xA0 && b <= 0xDF) || b >= 0xFD) {  // single byte; 0xFD-0xFF: see the top
            ++p;
            continue;
        }
        // 0x81-0x9F, 0xE0-0xFC: a second byte 0x40-0x7E or 0x80-0xFC is required.
        if (length - p < 2) return Retire(c, p, count);
        const Byte t = bytes[p + 1];
        if (t < 0x40 || t == 0x7F || t > 0xFC) return Retire(c, p, count);
        count += 2;
        p += 2;
    }
    c.pos = p;
    c.count = count;
}

template <class S>
void RunEucJp(const Byte* bytes, int32_t length, int32_t bound, Candidate& c) {
    int32_t p = c.pos, count = c.count;
    while (p < bound) {
        const Byte b = bytes[p];
        if (b < 0x80) {
            ++p;
            if (p < bound && bytes[p] < 0x80) p = static_cast<int32_t>(S::FindHigh(bytes + p, bytes + bound) - bytes);
            continue;
        }
        if (b >= 0xA1) {
            if (length - p < 2) return Retire(c, p, count);
            const Byte t = bytes[p + 1];
            if (t < 0xA1 || t > 0xFE) return Retire(c, p, count);
            count += 2;
            p += 2;
        } else if (b == 0x8E) {
            if (length - p < 2) return Retire(c, p, count);
            const Byte t = bytes[p + 1];
            if (t < 0xA1 || t > 0xDF) return Retire(c, p, count);
            count += 2;
            p += 2;
        } else if (b == 0x8F) {
            if (length - p < 3) return Retire(c, p, count);
            const Byte t1 = bytes[p + 1], t2 = bytes[p + 2];
            if (t1 < 0xA1 || t1 > 0xFE || t2 < 0xA1 || t2 > 0xFE) return Retire(c, p, count);
            count += 3;
            p += 3;
        } else {
            return Retire(c, p, count);
        }
    }
    c.pos = p;
    c.count = count;
}

int32_t Median(int32_t a, int32_t b, int32_t c) {
    if (a > b) {
        const int32_t t = a;
        a = b;
        b = t;
    }
    // now a <= b
    if (c <= a) return a;
    if (c >= b) return b;
    return c;
}

// From the first byte above 0x7F (at h) on: the seven-bit checks are over, and the three
// candidates all stand at h with nothing counted.
template <class S>
TextEncoding ScanHigh(const Byte* bytes, int32_t length, int32_t h, int64_t utf7Score) {
    Candidate u8{h, 0, kNever}, sj{h, 0, kNever}, eu{h, 0, kNever};
    int32_t bound = h;
    int32_t step = 512;
    for (;;) {
        bound = (length - bound > step) ? bound + step : length;
        if (step < (1 << 20)) step *= 2;
        if (u8.pos >= 0 && u8.pos < bound) RunUtf8<S>(bytes, length, bound, u8);
        if (sj.pos >= 0 && sj.pos < bound) RunShiftJis<S>(bytes, length, bound, sj);
        if (eu.pos >= 0 && eu.pos < bound) RunEucJp<S>(bytes, length, bound, eu);
        const int retired = (u8.pos < 0) + (sj.pos < 0) + (eu.pos < 0);
        if (retired >= 2) {
            // Early decision: the stop test fires at the second retirement, s. Every candidate that
            // still lives has passed bound > s, so one retired at s or before is known.
            const int32_t s = Median(u8.retiredAt, sj.retiredAt, eu.retiredAt);
            TextEncoding code;
            if (u8.retiredAt > s) {
                code = ENC_UTF8;
            } else if (sj.retiredAt > s) {
                code = ENC_SHIFT_JIS;
            } else if (eu.retiredAt > s) {
                code = ENC_EUC_JP;
            } else {
                code = ENC_BINARY;
                if (utf7Score > 0) code = ENC_UTF7;
                if (u8.count > utf7Score) code = ENC_UTF8;
                if (sj.count > u8.count && sj.count > utf7Score) code = ENC_SHIFT_JIS;
                if (eu.count > sj.count && eu.count > u8.count && eu.count > utf7Score) code = ENC_EUC_JP;
            }
            return Finish(bytes, length, h, code);
        }
        if (bound == length) {
            // Final decision; a high byte was met, so its first rule does not apply.
            TextEncoding code = ENC_ANSI;
            if (u8.pos >= 0 && u8.count > 0)
                code = ENC_UTF8;
            else if (sj.pos >= 0 && sj.count > u8.count)
                code = ENC_SHIFT_JIS;
            else if (eu.pos >= 0 && eu.count > sj.count && eu.count > u8.count)
                code = ENC_EUC_JP;
            return Finish(bytes, length, h, code);
        }
    }
}

template <class S>
TextEncoding Detect(const Byte* bytes, int32_t length) {
    if (!bytes) length = 0;
    if (length >= 2) {
        const Byte b0 = bytes[0], b1 = bytes[1];
        if (b0 >= 0xFE && b1 >= 0xFE) return (b0 == 0xFE && b1 == 0xFF) ? ENC_UTF16BE : ENC_UTF16LE;
        if (length >= 3 && b0 == 0xEF && b1 == 0xBB && bytes[2] == 0xBF) return ENC_UTF8_BOM;
    }
    if (length <= 0) return ENC_ANSI;

    const Byte* const end = bytes + length;
    int32_t j = 0;          // the main loop's step
    int32_t utf7Pos = 0;    // -1: retired
    int64_t utf7Score = 0;  // see the top
    for (;;) {
        if (utf7Pos > j) j = utf7Pos;  // over the rest of an accepted run: base64 or "-" only
        if (j < length) {
            int32_t k;
            if (utf7Pos < 0) {
                k = static_cast<int32_t>(S::FindSeven(bytes + j, end) - bytes);
            } else if (utf7Pos == j) {
                k = static_cast<int32_t>(S::FindSevenPlus(bytes + j, end) - bytes);
                utf7Pos = k;
            } else {
                // The UTF-7 check trails: at step t it examines bytes[t - lag].
                const int32_t k1 = static_cast<int32_t>(S::FindSeven(bytes + j, end) - bytes);
                const void* plus = std::memchr(bytes + utf7Pos, kPlus, static_cast<size_t>(k1 - j));
                k = plus ? j + static_cast<int32_t>(static_cast<const Byte*>(plus) - (bytes + utf7Pos)) : k1;
                utf7Pos += k - j;
            }
            j = k;
        }
        if (j >= length) {
            // Seven-bit data to its end: nothing counted, nothing retired but perhaps UTF-7.
            return (utf7Pos >= 0 && utf7Score > 0) ? ENC_UTF7 : ENC_ANSI;
        }
        const Byte c = bytes[j];
        if (c == 0) return ENC_BINARY;
        if (c >= 0x80) return ScanHigh<S>(bytes, length, j, utf7Score);
        if (c == kEsc) {
            if (j + 2 < length && IsDesignation(bytes[j + 1], bytes[j + 2]))
                return Finish(bytes, length, j, ENC_ISO_2022_JP);
            ++j;  // no UTF-7 check at an ESC: a check that was due now trails by one more
            continue;
        }
        if (utf7Pos >= 0 && utf7Pos <= j && Utf7Check(bytes, length, j, utf7Pos, utf7Score))
            return Finish(bytes, length, j, ENC_UTF7);
        ++j;
    }
}

#if TEXTIO_HAVE_AVX2
TextEncoding DetectAvx2(const Byte* bytes, int32_t length) { return Detect<Avx2Scan>(bytes, length); }
#endif
#if TEXTIO_HAVE_SSE2
TextEncoding DetectSse2(const Byte* bytes, int32_t length) { return Detect<Sse2Scan>(bytes, length); }
#endif
TextEncoding DetectPortable(const Byte* bytes, int32_t length) { return Detect<PortableScan>(bytes, length); }

}  // namespace

bool DetectKernelAvailable(DetectKernel kernel) {
    switch (kernel) {
    case DetectKernel::Portable:
        return true;
    case DetectKernel::Sse2:
#if TEXTIO_HAVE_SSE2
        return true;
#else
        return false;
#endif
    case DetectKernel::Avx2:
#if TEXTIO_HAVE_AVX2
        return CpuHasAvx2();
#else
        return false;
#endif
    }
    return false;
}

DetectKernel DetectDefaultKernel() {
    if (DetectKernelAvailable(DetectKernel::Avx2)) return DetectKernel::Avx2;
    if (DetectKernelAvailable(DetectKernel::Sse2)) return DetectKernel::Sse2;
    return DetectKernel::Portable;
}

TextEncoding DetectEncodingWith(DetectKernel kernel, const unsigned char* bytes, int32_t length) {
    if (!DetectKernelAvailable(kernel)) kernel = DetectKernel::Portable;
    switch (kernel) {
#if TEXTIO_HAVE_AVX2
    case DetectKernel::Avx2:
        return DetectAvx2(bytes, length);
#endif
#if TEXTIO_HAVE_SSE2
    case DetectKernel::Sse2:
        return DetectSse2(bytes, length);
#endif
    default:
        return DetectPortable(bytes, length);
    }
}

TextEncoding DetectEncoding(const unsigned char* bytes, int32_t length) {
#if TEXTIO_HAVE_AVX2
    if (CpuHasAvx2()) return DetectAvx2(bytes, length);
#endif
#if TEXTIO_HAVE_SSE2
    return DetectSse2(bytes, length);
#else
    return DetectPortable(bytes, length);
#endif
}

uint32_t EncodingToCodePage(TextEncoding code) {
    switch (code) {
    case ENC_SHIFT_JIS: return 932;
    case ENC_EUC_JP: return 20932;
    case ENC_ISO_2022_JP: return 50220;
    case ENC_UTF16LE: return 1200;
    case ENC_UTF16BE: return 1201;
    case ENC_UTF8:
    case ENC_UTF8_BOM: return 65001;
    case ENC_UTF7: return 65000;
    default: return 0;
    }
}

const char* EncodingName(TextEncoding code) {
    switch (code) {
    case ENC_BINARY: return "ENC_BINARY";
    case ENC_ANSI: return "ENC_ANSI";
    case ENC_SHIFT_JIS: return "ENC_SHIFT_JIS";
    case ENC_EUC_JP: return "ENC_EUC_JP";
    case ENC_ISO_2022_JP: return "ENC_ISO_2022_JP";
    case ENC_UTF16LE: return "ENC_UTF16LE";
    case ENC_UTF16BE: return "ENC_UTF16BE";
    case ENC_UTF8: return "ENC_UTF8";
    case ENC_UTF8_BOM: return "ENC_UTF8_BOM";
    case ENC_UTF7: return "ENC_UTF7";
    default: return "ENC_UNKNOWN";
    }
}
