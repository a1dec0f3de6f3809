// kiobind on a file with one line of 16 MiB: `check` explains the line, `show`
// only reports the values, and explaining must not cost much more than reading.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_files.h"
#include "commands.h"
#include "results.h"

namespace kio::bench {
namespace {

constexpr size_t kLineBytes = size_t{16} << 20;

// Long lines that check explains at length: a value that names no key, a key
// that names no binding, a line without "=".
std::string FileWithLongLine(int64_t which) {
    const std::string lines[] = {"KB_Run=" + std::string(kLineBytes, 'x'),
                                 std::string(kLineBytes, 'K') + "=space",
                                 "KB_Run" + std::string(kLineBytes, 'y')};
    return "KB_Map=m\n" + lines[which] + "\nPAD_Run=lcontrol\n";
}

void RunOnLongLine(benchmark::State& state, const char* command) {
    const BindingDirectory directory(FileWithLongLine(state.range(0)));
    const std::vector<std::string> words = {command, directory.FilePath()};
    for (auto _ : state) {
        kiobind::Output output;
        const int status = kiobind::RunKiobind(words, output);
        if (status == kiobind::kExitUnreadable) {
            state.SkipWithError("kiobind could not read the file");
            break;
        }
        benchmark::DoNotOptimize(output.out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(directory.FileSize()));
}

void KiobindShow(benchmark::State& state) { RunOnLongLine(state, "show"); }
void KiobindCheck(benchmark::State& state) { RunOnLongLine(state, "check"); }

BENCHMARK(KiobindShow)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(KiobindCheck)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);

}  // namespace
}  // namespace kio::bench
