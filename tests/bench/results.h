// The measurements of one run, kept for the closing summary.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kio::bench {

struct Measurement {
    double secondsPerIteration = 0;  // CPU time, median over repetitions
    double bytesPerSecond = 0;
    std::map<std::string, double> counters;
};

// Shows every run as the console reporter does, and keeps it.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;

    std::optional<Measurement> Find(const std::string& name) const;
    bool AnyError() const { return anyError_; }

private:
    // By name without the aggregate's suffix: the runs of each repetition, and the
    // median aggregate when the runs themselves are not reported.
    std::map<std::string, std::vector<Run>> runs_;
    std::map<std::string, Run> medians_;
    bool anyError_ = false;
};

// Prints the table of ratios and their targets, each marked met or not.
void PrintSummary(const CollectingReporter& results);

}  // namespace kio::bench
