// DetectEncoding against its floor (one memchr pass over the same bytes) and against two other
// detectors, uchardet and ICU's charset detector, on the same buffers: plain ASCII of 1 MiB and
// 16 MiB, and Japanese text in UTF-8, Shift_JIS and EUC-JP (made with iconv(3) from generated
// UTF-8 at start-up). At the end a table gives each figure as a multiple of DetectEncoding's time.
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <unicode/ucsdet.h>
#include <uchardet.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "textio/DetectEncoding.h"
#include "textio/DetectEncodingInternal.h"

namespace {

using Buffer = std::string;

void AppendUtf8(Buffer& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Words of plain English prose and paths, without "+" or ESC: the UTF-7 check stays live all the
// way, the hardest case for the seven-bit scan.
Buffer MakeAscii(size_t size) {
    static const char* const kWords[] = {"the", "plan", "of", "record", "C:\\proj\\plan.txt", "readme.md",
                                         "favourites", "and", "a", "tree", "panel", "opens", "(see", "notes)",
                                         "x=5;", "file", "encoding", "is", "detected", "from", "bytes,"};
    std::mt19937 rng(1);
    Buffer out;
    out.reserve(size + 64);
    int column = 0;
    while (out.size() < size) {
        const char* w = kWords[rng() % (sizeof kWords / sizeof *kWords)];
        out += w;
        column += static_cast<int>(std::strlen(w)) + 1;
        if (column > 70) {
            out += "\r\n";
            column = 0;
        } else {
            out += ' ';
        }
    }
    out.resize(size);
    return out;
}

// Japanese prose: hiragana, katakana and kanji (all in JIS X 0208), punctuation, some ASCII and
// line breaks, as UTF-8.
Buffer MakeJapaneseUtf8(size_t size) {
    static const char32_t kKanji[] = {0x65E5, 0x672C, 0x8A9E, 0x6587, 0x66F8, 0x8A08, 0x753B, 0x5831, 0x544A,
                                      0x7B2C, 0x7AE0, 0x5C71, 0x7530, 0x6C17, 0x5165, 0x308A, 0x4F1A, 0x793E,
                                      0x6642, 0x9593, 0x4ECA, 0x5E74, 0x5927, 0x5B66, 0x751F, 0x6D3B, 0x96FB};
    std::mt19937 rng(2);
    Buffer out;
    out.reserve(size + 64);
    int column = 0;
    while (out.size() < size) {
        const unsigned r = rng() % 100;
        if (r < 45) AppendUtf8(out, 0x3041 + rng() % 83);            // hiragana
        else if (r < 55) AppendUtf8(out, 0x30A1 + rng() % 86);       // katakana
        else if (r < 85) AppendUtf8(out, kKanji[rng() % (sizeof kKanji / sizeof *kKanji)]);
        else if (r < 90) AppendUtf8(out, r & 1 ? 0x3001 : 0x3002);    // 、。
        else if (r < 97) out += static_cast<char>('a' + rng() % 26);
        else out += ' ';
        if (++column > 40) {
            out += "\r\n";
            column = 0;
        }
    }
    // Cut at a character boundary.
    size_t n = size;
    while (n > 0 && (static_cast<unsigned char>(out[n]) & 0xC0) == 0x80) --n;
    out.resize(n);
    return out;
}

Buffer Iconv(const Buffer& in, const char* to) {
    iconv_t cd = iconv_open(to, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
    Buffer out(in.size() * 2 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = &out[0];
    size_t dstLeft = out.size();
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) throw std::runtime_error("iconv");
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

struct Buffers {
    std::map<std::string, Buffer> byName;
    Buffers() {
        byName["ascii_1MiB"] = MakeAscii(1 << 20);
        byName["ascii_16MiB"] = MakeAscii(16 << 20);
        const Buffer jp = MakeJapaneseUtf8(1 << 20);
        byName["ja_utf8_1MiB"] = jp;
        byName["ja_sjis"] = Iconv(jp, "SHIFT_JIS");
        byName["ja_eucjp"] = Iconv(jp, "EUC-JP");
    }
};

Buffers& All() {
    static Buffers b;
    return b;
}

const unsigned char* Data(const Buffer& b) { return reinterpret_cast<const unsigned char*>(b.data()); }

void BM_DetectEncoding(benchmark::State& state, const std::string& name) {
    const Buffer& b = All().byName[name];
    TextEncoding code = 0;
    for (auto _ : state) {
        code = DetectEncoding(Data(b), static_cast<int32_t>(b.size()));
        benchmark::DoNotOptimize(code);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(b.size()));
    state.SetLabel(EncodingName(code));
}

void BM_DetectKernel(benchmark::State& state, const std::string& name, DetectKernel k) {
    const Buffer& b = All().byName[name];
    if (!DetectKernelAvailable(k)) {
        state.SkipWithError("kernel not available");
        return;
    }
    TextEncoding code = 0;
    for (auto _ : state) {
        code = DetectEncodingWith(k, Data(b), static_cast<int32_t>(b.size()));
        benchmark::DoNotOptimize(code);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(b.size()));
    state.SetLabel(EncodingName(code));
}

// The floor: one pass over the bytes looking for a byte that is not there.
void BM_Memchr(benchmark::State& state, const std::string& name) {
    const Buffer& b = All().byName[name];
    for (auto _ : state) {
        const void* p = std::memchr(b.data(), 0, b.size());
        benchmark::DoNotOptimize(p);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(b.size()));
}

void BM_Uchardet(benchmark::State& state, const std::string& name) {
    const Buffer& b = All().byName[name];
    uchardet_t ud = uchardet_new();
    std::string label;
    for (auto _ : state) {
        uchardet_reset(ud);
        uchardet_handle_data(ud, b.data(), b.size());
        uchardet_data_end(ud);
        const char* cs = uchardet_get_charset(ud);
        benchmark::DoNotOptimize(cs);
        label = cs;
    }
    uchardet_delete(ud);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(b.size()));
    state.SetLabel(label);
}

void BM_IcuDetect(benchmark::State& state, const std::string& name) {
    const Buffer& b = All().byName[name];
    UErrorCode status = U_ZERO_ERROR;
    UCharsetDetector* csd = ucsdet_open(&status);
    std::string label;
    for (auto _ : state) {
        status = U_ZERO_ERROR;
        ucsdet_setText(csd, b.data(), static_cast<int32_t>(b.size()), &status);
        const UCharsetMatch* m = ucsdet_detect(csd, &status);
        const char* cs = m ? ucsdet_getName(m, &status) : "none";
        benchmark::DoNotOptimize(cs);
        label = cs ? cs : "?";
    }
    ucsdet_close(csd);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(b.size()));
    state.SetLabel(label);
}

// Keeps each run's time per iteration, then prints the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (!r.error_occurred && r.iterations > 0) m_ns[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nTime as a multiple of DetectEncoding's (memchr: DetectEncoding / memchr, goal <= 2 for ASCII;\n"
                    "others: their time / DetectEncoding's, goal >= 10):\n");
        std::printf("%-14s %12s %14s %12s %12s\n", "buffer", "detect(us)", "detect/memchr", "uchardet/det", "icu/det");
        for (const char* name : {"ascii_1MiB", "ascii_16MiB", "ja_utf8_1MiB", "ja_sjis", "ja_eucjp"}) {
            const double d = Get("DetectEncoding/", name);
            const double m = Get("Memchr/", name);
            const double u = Get("Uchardet/", name);
            const double i = Get("IcuDetect/", name);
            std::printf("%-14s %12.1f %14.2f %12.1f %12.1f\n", name, d / 1000.0, d / m, u / d, i / d);
        }
    }

private:
    double Get(const std::string& prefix, const std::string& name) {
        auto it = m_ns.find(prefix + name);
        return it == m_ns.end() ? 0.0 : it->second;
    }
    std::map<std::string, double> m_ns;
};

}  // namespace

int main(int argc, char** argv) {
    const char* const names[] = {"ascii_1MiB", "ascii_16MiB", "ja_utf8_1MiB", "ja_sjis", "ja_eucjp"};
    All();
    for (const char* n : names) {
        const std::string name = n;
        benchmark::RegisterBenchmark(("DetectEncoding/" + name).c_str(), BM_DetectEncoding, name);
        benchmark::RegisterBenchmark(("Memchr/" + name).c_str(), BM_Memchr, name);
        benchmark::RegisterBenchmark(("DetectSse2/" + name).c_str(), BM_DetectKernel, name, DetectKernel::Sse2);
        benchmark::RegisterBenchmark(("DetectPortable/" + name).c_str(), BM_DetectKernel, name, DetectKernel::Portable);
        benchmark::RegisterBenchmark(("Uchardet/" + name).c_str(), BM_Uchardet, name);
        benchmark::RegisterBenchmark(("IcuDetect/" + name).c_str(), BM_IcuDetect, name);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
