#include "results.h"

#include <algorithm>
#include <cstdio>

namespace kio::bench {
namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

void CollectingReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred) {
            anyError_ = true;
        } else if (run.run_type == Run::RT_Iteration) {
            runs_[run.benchmark_name()].push_back(run);
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

std::optional<Measurement> CollectingReporter::Find(const std::string& name) const {
    const auto found = runs_.find(name);
    if (found == runs_.end() || found->second.empty()) {
        return std::nullopt;
    }
    std::vector<double> seconds;
    std::vector<double> bytesPerSecond;
    for (const Run& run : found->second) {
        seconds.push_back(run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit));
        const auto rate = run.counters.find("bytes_per_second");
        bytesPerSecond.push_back(rate == run.counters.end() ? 0.0 : rate->second.value);
    }
    Measurement measurement;
    measurement.secondsPerIteration = Median(seconds);
    measurement.bytesPerSecond = Median(bytesPerSecond);
    for (const auto& [counterName, counter] : found->second.front().counters) {
        measurement.counters[counterName] = counter.value;
    }
    return measurement;
}

}  // namespace kio::bench
