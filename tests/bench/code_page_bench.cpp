// The loader under a double-byte code page against the same file under 1252:
// a Japanese player's file, ASCII binding lines under Shift-JIS comments, read
// whole by LoadBindings beside this program with each code page's table.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "bench_files.h"
#include "code_page.h"
#include "load_bindings.h"
#include "platform.h"
#include "results.h"

namespace kio::binding::bench {
namespace {

constexpr size_t kLines = 1000;

void LoadUnderCodePage(benchmark::State& state) {
    const BindingFileBesideProgram file(MakeShiftJisCommentedFile(kLines));
    const CodePage& page = *FindBuiltInCodePage(static_cast<uint32_t>(state.range(0)));
    std::array<int32_t, 54> bindings{};
    for (auto _ : state) {
        if (LoadBindings(bindings.data(), 54, kActionNames, SystemFileSystem(), page) != kOk) {
            state.SkipWithError("LoadBindings did not read the binding file");
            break;
        }
        benchmark::ClobberMemory();
    }
    if (bindings[0] != 0x11) {
        state.SkipWithError("the lines did not decode");
    }
    state.counters["lines"] = static_cast<double>(kLines);
}

BENCHMARK(LoadUnderCodePage)
    ->Arg(1252)
    ->Arg(932)
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", Fastest);

}  // namespace
}  // namespace kio::binding::bench
