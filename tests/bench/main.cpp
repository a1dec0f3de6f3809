// Runs the benchmarks, then prints the table of targets. The exit status tells
// only whether every benchmark ran: timings are reported, never asserted.
#include <benchmark/benchmark.h>

#include "results.h"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    kio::bench::CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    kio::bench::PrintSummary(reporter);
    return reporter.AnyError() ? 1 : 0;
}
