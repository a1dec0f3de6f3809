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

std::string NameOf(const benchmark::BenchmarkReporter::Run& run) {
    const benchmark::BenchmarkName& name = run.run_name;
    return name.args.empty() ? name.function_name : name.function_name + "/" + name.args;
}

double SecondsOf(const benchmark::BenchmarkReporter::Run& run) {
    return run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
}

double BytesPerSecondOf(const benchmark::BenchmarkReporter::Run& run) {
    const auto rate = run.counters.find("bytes_per_second");
    return rate == run.counters.end() ? 0.0 : rate->second.value;
}

}  // namespace

void CollectingReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred) {
            anyError_ = true;
        } else if (run.run_type == Run::RT_Iteration) {
            runs_[NameOf(run)].push_back(run);
        } else if (run.aggregate_name == "median") {
            medians_.insert_or_assign(NameOf(run), run);
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

std::optional<Measurement> CollectingReporter::Find(const std::string& name) const {
    std::vector<Run> runs;
    if (const auto found = runs_.find(name); found != runs_.end()) {
        runs = found->second;
    } else if (const auto median = medians_.find(name); median != medians_.end()) {
        runs.push_back(median->second);
    } else {
        return std::nullopt;
    }
    std::vector<double> seconds;
    std::vector<double> bytesPerSecond;
    for (const Run& run : runs) {
        seconds.push_back(SecondsOf(run));
        bytesPerSecond.push_back(BytesPerSecondOf(run));
    }
    Measurement measurement;
    measurement.secondsPerIteration = Median(seconds);
    measurement.bytesPerSecond = Median(bytesPerSecond);
    for (const auto& [counterName, counter] : runs.front().counters) {
        measurement.counters[counterName] = counter.value;
    }
    return measurement;
}

}  // namespace kio::bench
