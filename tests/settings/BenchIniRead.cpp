// The line reading of the store's load over 1 MiB of INI text in memory, against the inih
// library parsing the same bytes. The store also builds its sections and entries, merging names
// without regard to case; inih only hands each entry to a handler that counts it. The text is
// widened to UTF-16 beforehand, as ReadTextFile delivers it.
#include <benchmark/benchmark.h>
#include <ini.h>

#include <cstdio>
#include <memory>
#include <string>
#include "settings/IniFormat.h"

namespace {

// About 1 MiB: sections of 16 entries with ordinary names and values; every eighth header
// repeats an earlier section in another letter case, so its entries merge into that one.
const std::string& IniBytes() {
    static const std::string bytes = [] {
        std::string s;
        s.reserve(1 << 20);
        char line[160];
        for (int section = 0; s.size() < (1u << 20); ++section) {
            if (section % 8 == 7) {
                std::snprintf(line, sizeof line, "[PLUGIN.SECTION%d]\r\n", section / 2);
            } else {
                std::snprintf(line, sizeof line, "[Plugin.Section%d]\r\n", section);
            }
            s += line;
            for (int key = 0; key < 16; ++key) {
                std::snprintf(line, sizeof line, "%sKey%d = C:\\Users\\someone\\Documents\\file%d_%d.txt\r\n",
                              key % 3 ? "Recent" : "window", key, section, key);
                s += line;
            }
            s += "; a comment line between sections\r\n\r\n";
        }
        return s;
    }();
    return bytes;
}

const Text& IniText() {
    static const Text text(IniBytes().begin(), IniBytes().end());
    return text;
}

void BM_StoreLoad(benchmark::State& state) {
    const Text& text = IniText();
    size_t entries = 0;
    for (auto _ : state) {
        auto store = std::make_unique<CIniContent>();
        store->ReadText(text);
        benchmark::DoNotOptimize(store->m_sections.data());
        state.PauseTiming();  // freeing the store is the unload's work, not the load's
        entries = 0;
        for (const auto& section : store->m_sections) entries += section->m_values.size();
        store.reset();
        state.ResumeTiming();
    }
    state.counters["entries"] = double(entries);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(IniBytes().size()));
}
BENCHMARK(BM_StoreLoad)->Unit(benchmark::kMillisecond);

// The walk alone, with a sink that only counts: what the reading costs without the store.
class CountingSink : public IniEntrySink {
public:
    void OnIniEntry(const Text&, const Text&, const Text&) override { ++m_nEntries; }
    size_t m_nEntries = 0;
};

void BM_LineWalkOnly(benchmark::State& state) {
    const Text& text = IniText();
    for (auto _ : state) {
        CountingSink sink;
        bool known = false;
        Text lineBreak = TXT("\r\n");
        ReadIniLines(text, known, lineBreak, sink);
        benchmark::DoNotOptimize(sink.m_nEntries);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(IniBytes().size()));
}
BENCHMARK(BM_LineWalkOnly)->Unit(benchmark::kMillisecond);

int CountEntry(void* user, const char*, const char*, const char*) {
    ++*static_cast<size_t*>(user);
    return 1;
}

void BM_Inih(benchmark::State& state) {
    const std::string& bytes = IniBytes();
    size_t entries = 0;
    for (auto _ : state) {
        entries = 0;
        benchmark::DoNotOptimize(ini_parse_string(bytes.c_str(), CountEntry, &entries));
    }
    state.counters["entries"] = double(entries);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_Inih)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
