// The measurements of one run, kept for the closing summary.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kio::binding::bench {

// The machine is shared, and other work only ever adds time to a run, so the
// fastest repetition is the best estimate of a benchmark's own cost.
struct Measurement {
    double secondsPerIteration = 0;  // CPU time of the fastest repetition
    std::map<std::string, double> counters;
};

// The "min" statistic the benchmarks register.
double Fastest(const std::vector<double>& values);

// Shows every run as the console reporter does, and keeps it.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;

    std::optional<Measurement> Find(const std::string& name) const;
    bool AnyError() const { return anyError_; }

private:
    // By name without the aggregate's suffix: the runs of each repetition, and the
    // "min" aggregate when the runs themselves are not reported.
    std::map<std::string, std::vector<Run>> runs_;
    std::map<std::string, Run> fastest_;
    bool anyError_ = false;
};

// One measurement of the Windows benchmark program: kio.dll's GetPAM and the
// Win32 floor on a file of `lines` lines, in nanoseconds per call.
struct WindowsMeasurement {
    std::string arch;  // "x86_64" or "i686"
    int lines = 0;
    double callNanoseconds = 0;
    double floorNanoseconds = 0;
};

// The result lines ("kio-windows-bench: ...") of the Windows program's outputs;
// files that cannot be read give nothing.
std::vector<WindowsMeasurement> ReadWindowsResults(const std::vector<std::string>& files);

// Instructions callgrind counted in one call, by the name scripts/bench gives
// the call ("getpam-1000", "codepage-932"), from lines "kio-instructions: NAME N".
using InstructionCounts = std::map<std::string, double>;
InstructionCounts ReadInstructionCounts(const std::vector<std::string>& files);

// Prints the table of ratios and their targets, each marked met or not.
void PrintSummary(const CollectingReporter& results, const std::vector<WindowsMeasurement>& windows,
                  const InstructionCounts& instructions);

}  // namespace kio::binding::bench
