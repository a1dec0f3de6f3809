// One call of the exported GetPAM, as a game makes it: libkio.so finds
// "input.ini" beside this program. Against it, the cost no loader can avoid: the
// bare open, fstat, read and close of the same file, once each, nothing parsed.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <memory>

#include "allocation_counter.h"
#include "bench_files.h"
#include "kio.h"
#include "results.h"

namespace kio::binding::bench {
namespace {

void FloorOfOneCall(benchmark::State& state) {
    const BindingFileBesideProgram file(MakeBindingFile(static_cast<size_t>(state.range(0))));
    const std::unique_ptr<char[]> buffer(new char[file.FileSize() + 1]);
    for (auto _ : state) {
        const int fd = ::open(file.FilePath().c_str(), O_RDONLY | O_CLOEXEC);
        struct stat status {};
        const bool read = fd >= 0 && ::fstat(fd, &status) == 0 &&
                          ::read(fd, buffer.get(), static_cast<size_t>(status.st_size)) ==
                              static_cast<ssize_t>(file.FileSize());
        if (fd >= 0) {
            ::close(fd);
        }
        if (!read) {
            state.SkipWithError("cannot read the binding file");
            break;
        }
        benchmark::DoNotOptimize(buffer.get());
        benchmark::ClobberMemory();
    }
    state.counters["lines"] = static_cast<double>(state.range(0));
}

void GetPamCall(benchmark::State& state) {
    const BindingFileBesideProgram file(MakeBindingFile(static_cast<size_t>(state.range(0))));
    std::array<int32_t, 54> bindings{};

    // One counted call first; the count is the same for every call.
    AllocationCount count;
    int32_t result = kOk;
    {
        const CountAllocations counting;
        result = GetPAM(bindings.data(), 54, kActionNames);
        count = counting.Result();
    }
    // Every file but the shortest binds the first action's key to "w".
    if (result != kOk || (state.range(0) > 3 && bindings[0] != 0x11)) {
        state.SkipWithError("GetPAM did not read the binding file");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetPAM(bindings.data(), 54, kActionNames));
        benchmark::ClobberMemory();
    }
    state.counters["lines"] = static_cast<double>(state.range(0));
    state.counters["file_bytes"] = static_cast<double>(file.FileSize());
    state.counters["allocs"] = static_cast<double>(count.allocations);
    state.counters["alloc_bytes"] = static_cast<double>(count.bytes);
    state.counters["peak_bytes"] = static_cast<double>(count.peakBytes);
    if (count.overflowed) {
        state.SkipWithError("too many live allocations to track");
    }
}

// The call and its floor, at the same file sizes, so that each pair compares.
void AtFileSizes(benchmark::internal::Benchmark* sizes) {
    for (const int lines : {1, 60, 1000, 100000}) {
        sizes->Arg(lines);
    }
    sizes->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);
}

BENCHMARK(FloorOfOneCall)->Apply(AtFileSizes);
BENCHMARK(GetPamCall)->Apply(AtFileSizes);

}  // namespace
}  // namespace kio::binding::bench
