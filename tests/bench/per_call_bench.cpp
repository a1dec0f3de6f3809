// One call of the loader on a file in a directory of its own, against the cost no
// loader can avoid: open, size, one read and close of the same file through the
// same platform services, with nothing parsed.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <memory>

#include "allocation_counter.h"
#include "bench_files.h"
#include "results.h"
#include "load_bindings.h"

namespace kio::bench {
namespace {

void FloorOfOneCall(benchmark::State& state) {
    const BindingDirectory directory(MakeBindingFile(static_cast<size_t>(state.range(0))));
    const FileSystem& fileSystem = SystemFileSystem();
    const auto size = static_cast<uint32_t>(directory.FileSize());
    const std::unique_ptr<char[]> buffer(new char[size + 1]);
    for (auto _ : state) {
        FileHandle handle = 0;
        uint64_t reportedSize = 0;
        uint32_t bytesRead = 0;
        if (Failed(fileSystem.openForReading(directory.FilePath().c_str(), handle))) {
            state.SkipWithError("cannot open the binding file");
            break;
        }
        const bool read = !Failed(fileSystem.getSize(handle, reportedSize)) &&
                          !Failed(fileSystem.read(handle, buffer.get(), size, bytesRead)) &&
                          bytesRead == size;
        fileSystem.close(handle);
        if (!read) {
            state.SkipWithError("cannot read the binding file");
            break;
        }
        benchmark::DoNotOptimize(buffer.get());
        benchmark::ClobberMemory();
    }
    state.counters["lines"] = static_cast<double>(state.range(0));
}

// The work of GetPAM: everything but the real executable path, which would put
// the file beside this program.
void LoaderCall(benchmark::State& state) {
    const BindingDirectory directory(MakeBindingFile(static_cast<size_t>(state.range(0))));
    const HostInDirectory host(directory);
    const CodePage& codePage = ProcessCodePage();
    std::array<int32_t, 54> bindings{};

    // One counted call first; the count is the same for every call.
    AllocationCount count;
    ResultCode result = kOk;
    {
        const CountAllocations counting;
        result = LoadBindings(bindings.data(), 54, kActionNames, host.Get(), codePage);
        count = counting.Result();
    }
    // Every file but the shortest binds the first action's key to "w".
    if (Failed(result) || (state.range(0) > 3 && bindings[0] != 0x11)) {
        state.SkipWithError("the loader did not read the binding file");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            LoadBindings(bindings.data(), 54, kActionNames, host.Get(), codePage));
        benchmark::ClobberMemory();
    }
    state.counters["lines"] = static_cast<double>(state.range(0));
    state.counters["file_bytes"] = static_cast<double>(directory.FileSize());
    state.counters["allocs"] = static_cast<double>(count.allocations);
    state.counters["alloc_bytes"] = static_cast<double>(count.bytes);
    state.counters["peak_bytes"] = static_cast<double>(count.peakBytes);
    if (count.overflowed) {
        state.SkipWithError("too many live allocations to track");
    }
}

BENCHMARK(FloorOfOneCall)->Arg(1)->Arg(60)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);
BENCHMARK(LoaderCall)->Arg(1)->Arg(60)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);

}  // namespace
}  // namespace kio::bench
