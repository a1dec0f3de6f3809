#include "results.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace kio::binding::bench {
namespace {

std::string NameOf(const benchmark::BenchmarkReporter::Run& run) {
    const benchmark::BenchmarkName& name = run.run_name;
    return name.args.empty() ? name.function_name : name.function_name + "/" + name.args;
}

// CPU time, except for benchmarks timed by the wall clock (UseRealTime), whose
// work is in another process or in the disk.
double SecondsOf(const benchmark::BenchmarkReporter::Run& run) {
    const double time = run.run_name.time_type == "real_time" ? run.GetAdjustedRealTime()
                                                              : run.GetAdjustedCPUTime();
    return time / benchmark::GetTimeUnitMultiplier(run.time_unit);
}

}  // namespace

double Fastest(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

void CollectingReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred) {
            anyError_ = true;
        } else if (run.run_type == Run::RT_Iteration) {
            runs_[NameOf(run)].push_back(run);
        } else if (run.aggregate_name == "min") {
            fastest_.insert_or_assign(NameOf(run), run);
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

std::optional<Measurement> CollectingReporter::Find(const std::string& name) const {
    std::vector<Run> runs;
    if (const auto found = runs_.find(name); found != runs_.end()) {
        runs = found->second;
    } else if (const auto fastest = fastest_.find(name); fastest != fastest_.end()) {
        runs.push_back(fastest->second);
    } else {
        return std::nullopt;
    }
    std::vector<double> seconds;
    seconds.reserve(runs.size());
    for (const Run& run : runs) {
        seconds.push_back(SecondsOf(run));
    }
    Measurement measurement;
    measurement.secondsPerIteration = Fastest(seconds);
    for (const auto& [counterName, counter] : runs.front().counters) {
        measurement.counters[counterName] = counter.value;
    }
    return measurement;
}

std::vector<WindowsMeasurement> ReadWindowsResults(const std::vector<std::string>& files) {
    std::vector<WindowsMeasurement> measurements;
    for (const std::string& path : files) {
        std::ifstream in(path);
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            std::string tag;
            WindowsMeasurement m;
            if (fields >> tag >> m.arch >> m.lines >> m.callNanoseconds >> m.floorNanoseconds &&
                tag == "kio-windows-bench:") {
                measurements.push_back(m);
            }
        }
    }
    return measurements;
}

InstructionCounts ReadInstructionCounts(const std::vector<std::string>& files) {
    InstructionCounts counts;
    for (const std::string& path : files) {
        std::ifstream in(path);
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            std::string tag;
            std::string name;
            double instructions = 0;
            if (fields >> tag >> name >> instructions && tag == "kio-instructions:") {
                counts[name] = instructions;
            }
        }
    }
    return counts;
}

}  // namespace kio::binding::bench
