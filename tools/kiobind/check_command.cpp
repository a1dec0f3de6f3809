#include <set>

#include "commands.h"
#include "file_analysis.h"
#include "findings.h"
#include "findings_json.h"
#include "json_document.h"
#include "words.h"

namespace kio::kiobind {
namespace {

// "1 warning", "2 notes": `key` ends in ".one" or ".other".
std::string Counted(messages::Language language, const std::string& key, size_t count) {
    return Words(language, key + (count == 1 ? ".one" : ".other"),
                 {messages::Verbatim("count", std::to_string(count))});
}

size_t BindingsSet(const analysis::FileAnalysis& analysis) {
    std::set<int> entries;
    for (const analysis::AnalysedLine& line : analysis.lines) {
        if (line.entry) {
            entries.insert(*line.entry);
        }
    }
    return entries.size();
}

}  // namespace

size_t PrintFindings(const std::string& file, const std::vector<analysis::Finding>& findings,
                     const Context& context, Output& output) {
    size_t warnings = 0;
    for (const analysis::Finding& finding : findings) {
        const bool warning = finding.severity == analysis::Severity::Warning;
        warnings += warning ? 1 : 0;
        output.out +=
            context.style(Paint::Bold,
                          ShowFileName(file) + ":" + std::to_string(finding.line) + ":") +
            " " +
            (warning ? context.style(Paint::Warning, Words(context.language, "cli.warning"))
                     : context.style(Paint::Note, Words(context.language, "cli.note"))) +
            " " + Said(finding.message, context.language, context.codePage.id) + "\n";
    }
    return warnings;
}

int RunCheck(const Arguments& arguments, const Context& context, Output& output) {
    const std::optional<kio::binding::FileText> file =
        ReadOrReport(arguments.file, context, output);
    if (!file) {
        return kExitUnreadable;
    }
    const analysis::FileAnalysis analysis = analysis::AnalyseFile(file->bytes, context.codePage);
    const std::vector<analysis::Finding> findings =
        analysis::CollectFindings(analysis, context.codePage);

    if (arguments.json) {
        nlohmann::ordered_json document = JsonDocument(arguments.file, context.codePage.id);
        nlohmann::ordered_json& list = document["findings"] = nlohmann::ordered_json::array();
        size_t warnings = 0;
        for (const analysis::Finding& finding : findings) {
            nlohmann::ordered_json json = messages::FindingJson(finding, context.language);
            // The same words as the text output, file text decoded in Japanese.
            json["text"] = Said(finding.message, context.language, context.codePage.id);
            list.push_back(std::move(json));
            warnings += finding.severity == analysis::Severity::Warning ? 1 : 0;
        }
        document["warnings"] = warnings;
        document["notes"] = findings.size() - warnings;
        document["bindingsSet"] = BindingsSet(analysis);
        output.out += JsonText(document);
        return warnings == 0 ? kExitClean : kExitWarnings;
    }
    const size_t warnings = PrintFindings(arguments.file, findings, context, output);
    const messages::Language language = context.language;
    const messages::MessageArgument bindings = messages::Verbatim(
        "bindings", Words(language, "cli.check.bindings",
                          {messages::Verbatim("count", std::to_string(BindingsSet(analysis)))}));
    if (findings.empty()) {
        const std::string clean = Words(language, "cli.check.no-problems");
        output.out += ShowFileName(arguments.file) + ": " +
                      Words(language, "cli.check.clean",
                            {messages::Verbatim("no_problems", context.style(Paint::Good, clean)),
                             bindings}) +
                      "\n";
    } else {
        output.out +=
            ShowFileName(arguments.file) + ": " +
            Words(
                language, "cli.check.summary",
                {messages::Verbatim("warnings", Counted(language, "cli.check.warnings", warnings)),
                 messages::Verbatim(
                     "notes", Counted(language, "cli.check.notes", findings.size() - warnings)),
                 bindings}) +
            "\n";
    }
    return warnings == 0 ? kExitClean : kExitWarnings;
}

}  // namespace kio::kiobind
