// Runs the benchmarks, then prints the table of targets. The exit status tells
// only whether every benchmark ran: timings are reported, never asserted.
//
//   kio_bench [--windows_results=FILE]... [--instruction_counts=FILE]...
//             [Google Benchmark options]
//
// Each windows_results FILE holds the output of the Windows benchmark program
// (kio.dll under Wine), each instruction_counts FILE the counts callgrind took
// (scripts/bench); their measurements join the table.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

#include "results.h"

int main(int argc, char** argv) {
    constexpr std::string_view kWindowsResults = "--windows_results=";
    constexpr std::string_view kInstructionCounts = "--instruction_counts=";
    std::vector<std::string> windowsResultFiles;
    std::vector<std::string> instructionCountFiles;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.starts_with(kWindowsResults)) {
            windowsResultFiles.emplace_back(argument.substr(kWindowsResults.size()));
        } else if (argument.starts_with(kInstructionCounts)) {
            instructionCountFiles.emplace_back(argument.substr(kInstructionCounts.size()));
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    kio::binding::bench::CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    kio::binding::bench::PrintSummary(
        reporter, kio::binding::bench::ReadWindowsResults(windowsResultFiles),
        kio::binding::bench::ReadInstructionCounts(instructionCountFiles));
    return reporter.AnyError() ? 1 : 0;
}
