#include "findings.h"

#include <algorithm>
#include <array>
#include <string>

#include "encoding_findings.h"
#include "line_findings.h"
#include "vocabulary.h"

namespace kiobind {
namespace {

// Every line that names a binding writes it, so all but the last are lost.
void AddOverriddenLines(const FileAnalysis& analysis, std::vector<Finding>& findings) {
    std::array<const AnalysedLine*, kio::kBindingCount> winner{};
    for (const AnalysedLine& line : analysis.lines) {
        if (line.entry) {
            winner[*line.entry] = &line;
        }
    }
    for (const AnalysedLine& line : analysis.lines) {
        if (line.entry && winner[*line.entry] != &line) {
            findings.push_back({line.number, Severity::Warning,
                                std::string(kio::BindingName(*line.entry)) +
                                    " is set again by line " +
                                    std::to_string(winner[*line.entry]->number) +
                                    ", which wins; this line has no effect",
                                Fix{FixKind::TurnOffOverriddenLine, line.offset, 0, "; ", std::nullopt, 0}});
        }
    }
}

}  // namespace

std::vector<Finding> CollectFindings(const FileAnalysis& analysis, const kio::CodePage& codePage) {
    std::vector<Finding> findings;
    // UTF-16 explains everything else: the game sees at most a byte or two.
    if (const std::optional<std::string_view> byteOrder = DetectUtf16(analysis.bytes)) {
        Finding finding = Utf16Finding(*byteOrder);
        // Without a byte-order mark the guess could be wrong, so only a marked
        // file is converted.
        if (HasUtf16ByteOrderMark(analysis.bytes)) {
            finding.fix = Fix{FixKind::ConvertUtf16, 0, analysis.bytes.size(), "", std::nullopt, 0};
        }
        findings.push_back(std::move(finding));
        return findings;
    }
    if (std::optional<Finding> nul = NulFinding(analysis)) {
        findings.push_back(std::move(*nul));
    }
    const bool bom = StartsWithUtf8Bom(analysis.text);
    for (const AnalysedLine& line : analysis.lines) {
        if (bom && line.offset == 0) {
            CheckLineAfterBom(line, codePage, findings);
        } else {
            CheckLine(line, codePage, findings);
        }
    }
    AddOverriddenLines(analysis, findings);
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return findings;
}

}  // namespace kiobind
