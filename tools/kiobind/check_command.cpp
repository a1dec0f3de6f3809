#include <set>

#include "commands.h"
#include "file_analysis.h"
#include "findings.h"

namespace kiobind {
namespace {

std::string Plural(size_t count, std::string_view word) {
    return std::to_string(count) + " " + std::string(word) + (count == 1 ? "" : "s");
}

size_t BindingsSet(const FileAnalysis& analysis) {
    std::set<int> entries;
    for (const AnalysedLine& line : analysis.lines) {
        if (line.entry) {
            entries.insert(*line.entry);
        }
    }
    return entries.size();
}

}  // namespace

size_t PrintFindings(const std::string& file, const std::vector<Finding>& findings,
                     const Context& context, Output& output) {
    size_t warnings = 0;
    for (const Finding& finding : findings) {
        const bool warning = finding.severity == Severity::Warning;
        warnings += warning ? 1 : 0;
        output.out += context.style(Paint::Bold, file + ":" + std::to_string(finding.line) + ":") +
                      " " +
                      (warning ? context.style(Paint::Warning, "warning:")
                               : context.style(Paint::Note, "note:")) +
                      " " + FindingText(finding) + "\n";
    }
    return warnings;
}

int RunCheck(const Arguments& arguments, const Context& context, Output& output) {
    const std::optional<kio::FileText> file = ReadOrReport(arguments.file, context, output);
    if (!file) {
        return kExitUnreadable;
    }
    const FileAnalysis analysis = AnalyseFile(file->bytes, context.codePage);
    const std::vector<Finding> findings = CollectFindings(analysis, context.codePage);

    const size_t warnings = PrintFindings(arguments.file, findings, context, output);
    const std::string bindings =
        std::to_string(BindingsSet(analysis)) + " of 54 bindings set by the file";
    if (findings.empty()) {
        output.out += arguments.file + ": " + context.style(Paint::Good, "no problems found") +
                      "; " + bindings + "\n";
    } else {
        output.out += arguments.file + ": " + Plural(warnings, "warning") + ", " +
                      Plural(findings.size() - warnings, "note") + "; " + bindings + "\n";
    }
    return warnings == 0 ? kExitClean : kExitWarnings;
}

}  // namespace kiobind
