// The whole job on a large file: GetPAM reading and applying 16 MiB of binding
// lines beside this program, against inih, the INI parser a C or C++ programmer
// would reach for, reading the same file with a handler that does nothing.
#include <benchmark/benchmark.h>
#include <ini.h>

#include <array>
#include <cstdint>
#include <string>

#include "bench_files.h"
#include "binding_lines.h"
#include "kio.h"
#include "results.h"

namespace kio::binding::bench {
namespace {

constexpr size_t kFileBytes = size_t{16} << 20;

void WholeJob(benchmark::State& state) {
    const BindingFileBesideProgram file(MakeBindingLines(kFileBytes));
    std::array<int32_t, 54> bindings{};
    for (auto _ : state) {
        if (GetPAM(bindings.data(), 54, kActionNames) != kOk) {
            state.SkipWithError("GetPAM did not read the binding file");
            break;
        }
        benchmark::ClobberMemory();
    }
    if (bindings[0] != 0x11) {
        state.SkipWithError("the lines did not decode");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(file.FileSize()));
    state.counters["file_bytes"] = static_cast<double>(file.FileSize());
}

int IgnorePair(void*, const char*, const char*, const char*) { return 1; }

void InihParseFile(benchmark::State& state) {
    const BindingFileBesideProgram file(MakeBindingLines(kFileBytes));
    for (auto _ : state) {
        if (ini_parse(file.FilePath().c_str(), IgnorePair, nullptr) != 0) {
            state.SkipWithError("inih rejected the file");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(file.FileSize()));
    state.counters["file_bytes"] = static_cast<double>(file.FileSize());
}

BENCHMARK(WholeJob)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(InihParseFile)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);

}  // namespace
}  // namespace kio::binding::bench
