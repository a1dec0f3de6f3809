// kiobind on a file with one line of 16 MiB: `check` explains the line, `show`
// only reports the values, and explaining must not cost much more than reading.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "bench_files.h"
#include "binding_text.h"
#include "commands.h"
#include "results.h"

namespace kio::binding::bench {
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
        kio::kiobind::Output output;
        const int status = kio::kiobind::RunKiobind(words, output);
        if (status == kio::kiobind::kExitUnreadable) {
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

// Everyday editing on a player's 60-line file, timed as the player runs it:
// the kiobind program, start to exit. One set against one show, and set, set,
// unset in a row. Each set changes the file, so each one saves it (flushed to
// disk) and keeps a backup.
int RunProgram(const std::vector<std::string>& words) {
    std::vector<char*> argv;
    std::string program = KIOBIND_PROGRAM;
    argv.push_back(program.data());
    std::vector<std::string> copies = words;
    for (std::string& word : copies) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

void KiobindShowSixty(benchmark::State& state) {
    const BindingDirectory directory(MakeBindingFile(60));
    for (auto _ : state) {
        if (RunProgram({"show", directory.FilePath()}) != kio::kiobind::kExitClean) {
            state.SkipWithError("kiobind show failed");
            break;
        }
    }
}

void KiobindSetSixty(benchmark::State& state) {
    const BindingDirectory directory(MakeBindingFile(60));
    const std::string keys[] = {"space", "lshift"};
    int turn = 0;
    for (auto _ : state) {
        if (RunProgram({"set", "KB_Run", keys[turn ^= 1], directory.FilePath()}) !=
            kio::kiobind::kExitClean) {
            state.SkipWithError("kiobind set failed");
            break;
        }
    }
}

void KiobindSetSetUnsetSixty(benchmark::State& state) {
    const BindingDirectory directory(MakeBindingFile(60));
    const std::string& file = directory.FilePath();
    const std::vector<std::vector<std::string>> chain = {{"set", "KB_Run", "space", file},
                                                         {"set", "KB_Map", "tab", file},
                                                         {"unset", "KB_Run", file}};
    for (auto _ : state) {
        for (const std::vector<std::string>& command : chain) {
            if (RunProgram(command) != kio::kiobind::kExitClean) {
                state.SkipWithError("a command of the chain failed");
                return;
            }
        }
        state.PauseTiming();
        RunProgram({"set", "KB_Run", "lshift", file});
        state.ResumeTiming();
    }
}

// Wall time: the work is in another process and in the disk's flush.
BENCHMARK(KiobindShowSixty)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(KiobindSetSixty)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(KiobindSetSetUnsetSixty)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);

BENCHMARK(KiobindShow)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(KiobindCheck)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);

}  // namespace
}  // namespace kio::binding::bench
