// kiobind on a file with one line of 16 MiB: `check` explains the line, `show`
// only reports the values, and explaining must not cost much more than reading.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_files.h"
#include "binding_text.h"
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

// Everyday editing on a player's 60-line file: one set against one show, and
// set, set, unset in a row, as a player or a script runs them. Each set
// changes the file, so each one saves it (flushed to disk) and keeps a backup.
void KiobindShowSixty(benchmark::State& state) {
    const BindingDirectory directory(MakeBindingFile(60));
    const std::vector<std::string> show = {"show", directory.FilePath()};
    for (auto _ : state) {
        kiobind::Output output;
        benchmark::DoNotOptimize(kiobind::RunKiobind(show, output));
    }
}

void KiobindSetSixty(benchmark::State& state) {
    const BindingDirectory directory(MakeBindingFile(60));
    const std::string keys[] = {"space", "lshift"};
    int turn = 0;
    for (auto _ : state) {
        kiobind::Output output;
        const std::vector<std::string> set = {"set", "KB_Run", keys[turn ^= 1],
                                              directory.FilePath()};
        if (kiobind::RunKiobind(set, output) != kiobind::kExitClean) {
            state.SkipWithError(output.err.c_str());
            break;
        }
    }
}

void KiobindSetSetUnsetSixty(benchmark::State& state) {
    const BindingDirectory directory(MakeBindingFile(60));
    const std::string& file = directory.FilePath();
    const std::vector<std::vector<std::string>> chain = {
        {"set", "KB_Run", "space", file}, {"set", "KB_Map", "tab", file}, {"unset", "KB_Run", file}};
    const std::vector<std::string> back = {"set", "KB_Run", "lshift", file};
    for (auto _ : state) {
        for (const std::vector<std::string>& command : chain) {
            kiobind::Output output;
            if (kiobind::RunKiobind(command, output) != kiobind::kExitClean) {
                state.SkipWithError(output.err.c_str());
                return;
            }
        }
        state.PauseTiming();
        kiobind::Output output;
        kiobind::RunKiobind(back, output);
        state.ResumeTiming();
    }
}

BENCHMARK(KiobindShowSixty)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);
BENCHMARK(KiobindSetSixty)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);
BENCHMARK(KiobindSetSetUnsetSixty)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);

BENCHMARK(KiobindShow)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(KiobindCheck)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);

}  // namespace
}  // namespace kio::bench
