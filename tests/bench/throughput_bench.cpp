// Parsing speed over a large text of valid binding lines: the loader's line
// splitting, key lookup and value decoding against inih, the INI parser a C or
// C++ programmer would reach for, given a handler that does nothing.
#include <benchmark/benchmark.h>
#include <ini.h>

#include <array>
#include <cstdint>
#include <string>

#include "bench_files.h"
#include "results.h"
#include "binding_file.h"
#include "code_page.h"
#include "load_bindings.h"
#include "vocabulary.h"

namespace kio::bench {
namespace {

constexpr size_t kTextBytes = size_t{64} << 20;

const std::string& BindingText() {
    static const std::string text = MakeBindingLines(kTextBytes);
    return text;
}

// The loader's own loop over the lines of a file, kept out of line so that a
// profiler (valgrind --tool=callgrind --toggle-collect=*DecodeAllLines*) can
// count its instructions alone.
[[gnu::noinline]] void DecodeAllLines(std::string_view text, const CodePage& codePage,
                                      const SlotTable& slots, BindingValues& values) {
    ApplyBindingLines(text, slots, codePage, values);
}

void SplitAndDecode(benchmark::State& state) {
    const std::string& text = BindingText();
    const CodePage& codePage = ProcessCodePage();
    const SlotTable slots = BuildSlotTable(kActionNames);
    BindingValues values{};
    for (auto _ : state) {
        DecodeAllLines(text, codePage, slots, values);
        benchmark::DoNotOptimize(values.data());
        benchmark::ClobberMemory();
    }
    if (values[0] != 0x11) {
        state.SkipWithError("the lines did not decode");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
    state.counters["text_bytes"] = static_cast<double>(text.size());
}

int CountPair(void* user, const char*, const char*, const char*) {
    ++*static_cast<size_t*>(user);
    return 1;
}

void InihParseString(benchmark::State& state) {
    const std::string& text = BindingText();
    size_t pairs = 0;
    for (auto _ : state) {
        pairs = 0;
        if (ini_parse_string(text.c_str(), CountPair, &pairs) != 0) {
            state.SkipWithError("inih rejected the lines");
            break;
        }
        benchmark::DoNotOptimize(pairs);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
    state.counters["text_bytes"] = static_cast<double>(text.size());
}

BENCHMARK(SplitAndDecode)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(InihParseString)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);

}  // namespace
}  // namespace kio::bench
