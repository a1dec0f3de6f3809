// The closing table: each target as a ratio of two measurements of the same run,
// because absolute times on a shared machine say little.
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "results.h"

namespace kio::binding::bench {
namespace {

constexpr double kMaxCallOverFloor = 1.10;
constexpr double kMaxWineCallOverFloor = 1.05;
constexpr double kMaxWineLongCallOverFloor = 1.15;
constexpr double kMinSpeedOverInih = 8.0;
constexpr double kMaxInstructionsPerLine = 120;
constexpr double kMaxDoubleByteOverSingleByte = 1.30;
// Linear growth keeps the cost of one more line the same at every size; anything
// worse than linear multiplies it with the size, far beyond this.
constexpr double kMaxPerLineSpread = 1.5;
constexpr double kMaxSetOverShow = 3.0;
constexpr std::array<int, 4> kScalingLines = {1, 60, 1000, 100000};

struct Row {
    std::string target;
    std::string measured;
    std::string goal;
    bool known = false;
    bool met = false;
    bool hasGoal = true;
};

std::string Format(const char* format, auto... values) {
    char text[160];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

std::string CallName(const char* benchmark, int lines) {
    return std::string(benchmark) + "/" + std::to_string(lines);
}

Row PerCallRow(const CollectingReporter& results) {
    Row row{"libkio.so GetPAM, 60 lines / floor", "not measured",
            Format("<= %.2fx", kMaxCallOverFloor)};
    const auto call = results.Find(CallName("GetPamCall", 60));
    const auto floor = results.Find(CallName("FloorOfOneCall", 60));
    if (call && floor) {
        const double ratio = call->secondsPerIteration / floor->secondsPerIteration;
        row.measured = Format("%.2fx (%.2f us / %.2f us)", ratio, call->secondsPerIteration * 1e6,
                              floor->secondsPerIteration * 1e6);
        row.known = true;
        row.met = ratio <= kMaxCallOverFloor;
    }
    return row;
}

// kio.dll under Wine against the Win32 floor. The i686 DLL has no goal: where
// the machine cannot run 32-bit code, it runs emulated.
Row WindowsRow(const std::vector<WindowsMeasurement>& windows, const std::string& arch, int lines,
               double maxRatio) {
    const bool hasGoal = maxRatio > 0;
    Row row{Format("kio.dll %s (Wine), %d lines / floor", arch.c_str(), lines), "not measured",
            hasGoal ? Format("<= %.2fx", maxRatio) : "none (i686)"};
    row.hasGoal = hasGoal;
    for (const WindowsMeasurement& m : windows) {
        if (m.arch == arch && m.lines == lines && m.floorNanoseconds > 0) {
            const double ratio = m.callNanoseconds / m.floorNanoseconds;
            row.measured = Format("%.2fx (%.1f us / %.1f us)", ratio, m.callNanoseconds / 1e3,
                                  m.floorNanoseconds / 1e3);
            row.known = true;
            row.met = ratio <= maxRatio;
        }
    }
    return row;
}

Row WholeJobRow(const CollectingReporter& results) {
    Row row{"whole job, 16 MiB, vs inih ini_parse", "not measured",
            Format(">= %.1fx faster", kMinSpeedOverInih)};
    const auto kio = results.Find("WholeJob");
    const auto inih = results.Find("InihParseFile");
    if (kio && inih) {
        const double ratio = inih->secondsPerIteration / kio->secondsPerIteration;
        row.measured = Format("%.2fx (%.1f ms / %.1f ms)", ratio, kio->secondsPerIteration * 1e3,
                              inih->secondsPerIteration * 1e3);
        row.known = true;
        row.met = ratio >= kMinSpeedOverInih;
    }
    return row;
}

// Counts do not wander with the machine's load the way times do.
Row InstructionsRow(const InstructionCounts& instructions) {
    Row row{"instructions per line, GetPAM 1000 lines", "not measured",
            Format("<= %.0f (callgrind)", kMaxInstructionsPerLine)};
    const auto whole = instructions.find("getpam-1000");
    const auto one = instructions.find("getpam-1");
    if (whole != instructions.end() && one != instructions.end()) {
        const double perLine = whole->second / 1000;
        row.measured =
            Format("%.0f (%.0f per added line)", perLine, (whole->second - one->second) / 999);
        row.known = true;
        row.met = perLine <= kMaxInstructionsPerLine;
    }
    return row;
}

Row CodePageTimeRow(const CollectingReporter& results) {
    Row row{"cp 932 / cp 1252, Shift-JIS comments", "not measured",
            Format("<= %.2fx", kMaxDoubleByteOverSingleByte)};
    const auto doubleByte = results.Find("LoadUnderCodePage/932");
    const auto singleByte = results.Find("LoadUnderCodePage/1252");
    if (doubleByte && singleByte) {
        const double ratio = doubleByte->secondsPerIteration / singleByte->secondsPerIteration;
        row.measured =
            Format("%.2fx (%.1f us / %.1f us)", ratio, doubleByte->secondsPerIteration * 1e6,
                   singleByte->secondsPerIteration * 1e6);
        row.known = true;
        row.met = ratio <= kMaxDoubleByteOverSingleByte;
    }
    return row;
}

Row CodePageInstructionsRow(const InstructionCounts& instructions) {
    Row row{"cp 932 / cp 1252, instructions", "not measured",
            Format("<= %.2fx (callgrind)", kMaxDoubleByteOverSingleByte)};
    const auto doubleByte = instructions.find("codepage-932");
    const auto singleByte = instructions.find("codepage-1252");
    if (doubleByte != instructions.end() && singleByte != instructions.end()) {
        const double ratio = doubleByte->second / singleByte->second;
        row.measured = Format("%.2fx (%.0f / %.0f)", ratio, doubleByte->second, singleByte->second);
        row.known = true;
        row.met = ratio <= kMaxDoubleByteOverSingleByte;
    }
    return row;
}

Row AllocationRow(const CollectingReporter& results) {
    Row row{"heap use per call", "not measured", "1 alloc, peak = file + const"};
    double maxAllocations = 0;
    double minOverhead = 1e300;
    double maxOverhead = -1e300;
    for (int lines : kScalingLines) {
        const auto call = results.Find(CallName("GetPamCall", lines));
        if (!call) {
            return row;
        }
        const double overhead = call->counters.at("peak_bytes") - call->counters.at("file_bytes");
        maxAllocations = std::max(maxAllocations, call->counters.at("allocs"));
        minOverhead = std::min(minOverhead, overhead);
        maxOverhead = std::max(maxOverhead, overhead);
    }
    row.measured =
        Format("%.0f alloc; peak = file + %.0f..%.0f B", maxAllocations, minOverhead, maxOverhead);
    row.known = true;
    row.met = maxAllocations == 1 && minOverhead == maxOverhead;
    return row;
}

Row ScalingRow(const CollectingReporter& results) {
    Row row{"cost per added line", "not measured", Format("spread <= %.1fx", kMaxPerLineSpread)};
    std::array<double, kScalingLines.size()> seconds{};
    for (size_t i = 0; i < kScalingLines.size(); ++i) {
        const auto call = results.Find(CallName("GetPamCall", kScalingLines[i]));
        if (!call) {
            return row;
        }
        seconds[i] = call->secondsPerIteration;
    }
    // The cost of each line beyond the first, at each size.
    std::string perLine;
    double lowest = 1e300;
    double highest = 0;
    for (size_t i = 1; i < kScalingLines.size(); ++i) {
        const double nanoseconds = (seconds[i] - seconds[0]) / (kScalingLines[i] - 1) * 1e9;
        perLine += Format("%s%.1f", i == 1 ? "" : "/", nanoseconds);
        lowest = std::min(lowest, nanoseconds);
        highest = std::max(highest, nanoseconds);
    }
    // A larger file that timed no slower than the 1-line file means the
    // machine's noise hid the lines' cost: there is no spread to report.
    if (lowest <= 0) {
        row.measured = perLine + " ns, too noisy";
        return row;
    }
    const double spread = highest / lowest;
    row.measured = perLine + Format(" ns, spread %.2fx", spread);
    row.known = true;
    row.met = spread <= kMaxPerLineSpread;
    return row;
}

// One run of kiobind set, flushed to disk with its backup, against one run of
// show on the same 60-line file; the chain set, set, unset is reported beside it.
Row SetRow(const CollectingReporter& results) {
    Row row{"kiobind set / show, 60 lines", "not measured", Format("<= %.1fx", kMaxSetOverShow)};
    const auto set = results.Find("KiobindSetSixty");
    const auto show = results.Find("KiobindShowSixty");
    const auto chain = results.Find("KiobindSetSetUnsetSixty");
    if (set && show) {
        const double ratio = set->secondsPerIteration / show->secondsPerIteration;
        row.measured =
            Format("%.2fx (%.1f / %.1f ms), chain %.1f ms", ratio, set->secondsPerIteration * 1e3,
                   show->secondsPerIteration * 1e3, chain ? chain->secondsPerIteration * 1e3 : 0.0);
        row.known = true;
        row.met = ratio <= kMaxSetOverShow;
    }
    return row;
}

}  // namespace

void PrintSummary(const CollectingReporter& results, const std::vector<WindowsMeasurement>& windows,
                  const InstructionCounts& instructions) {
    const std::array<Row, 12> rows = {
        InstructionsRow(instructions),
        PerCallRow(results),
        WindowsRow(windows, "x86_64", 60, kMaxWineCallOverFloor),
        WindowsRow(windows, "x86_64", 1000, kMaxWineLongCallOverFloor),
        WholeJobRow(results),
        CodePageTimeRow(results),
        CodePageInstructionsRow(instructions),
        AllocationRow(results),
        ScalingRow(results),
        SetRow(results),
        WindowsRow(windows, "i686", 60, 0),
        WindowsRow(windows, "i686", 1000, 0),
    };
    std::printf("\n%-40s %-34s %-30s %s\n", "Target", "Measured", "Goal", "Met");
    for (const Row& row : rows) {
        std::printf("%-40s %-34s %-30s %s\n", row.target.c_str(), row.measured.c_str(),
                    row.goal.c_str(),
                    !row.known || !row.hasGoal ? "-"
                    : row.met                  ? "yes"
                                               : "NO");
    }
    std::printf(
        "(floors: libkio.so open+fstat+read+close; kio.dll GetModuleFileNameA+CreateFileA+"
        "GetFileSizeEx+ReadFile+CloseHandle. Scaling: per added line at 60/1000/100000 "
        "lines, against the 1-line file. Code pages: LoadBindings on 1000 lines, half of them "
        "Shift-JIS comments.)\n");
}

}  // namespace kio::binding::bench
