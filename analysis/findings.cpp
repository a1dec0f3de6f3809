#include "findings.h"

#include <algorithm>
#include <array>
#include <string>

#include "encoding_findings.h"
#include "kio_assert.h"
#include "line_findings.h"
#include "rule_registry.h"
#include "shared_keys.h"
#include "value_findings.h"
#include "vocabulary.h"

namespace kio::analysis {
namespace {

// Every line that names a binding writes it, so all but the last are lost.
// Turning a line off is sure only when the line that wins works: a later line
// that binds nothing (a value the game reads as 0 by mistake) is the one to
// mend, and the working line is kept.
void AddOverriddenLines(const FileAnalysis& analysis, const LastLines& last,
                        const kio::binding::CodePage& codePage, std::vector<Finding>& findings) {
    for (const AnalysedLine& line : analysis.lines) {
        if (!line.entry || last[static_cast<size_t>(*line.entry)] == &line) {
            continue;
        }
        const AnalysedLine& winner = *last[static_cast<size_t>(*line.entry)];
        const bool winnerBroken =
            winner.value == 0 && line.value != 0 && DiagnoseValue(winner, codePage).has_value();
        std::vector<messages::MessageArgument> arguments{
            messages::Plain("binding", std::string(kio::binding::BindingName(*line.entry))),
            messages::Number("line", static_cast<uint64_t>(winner.number))};
        if (winnerBroken) {
            findings.push_back({line.number, messages::Message{"K401.broken", std::move(arguments)},
                                SpanOf(line, line.keyText)});
        } else {
            findings.push_back(
                {line.number, messages::Message{"K401", std::move(arguments)},
                 SpanOf(line, line.keyText),
                 Fix{FixKind::TurnOffOverriddenLine, line.offset, 0, "; ", std::nullopt, 0, 0}});
        }
    }
}

// What the game reads after each fix: the fixed line's value, unless a later
// line names the same binding.
void SetWhatTheGameReads(const LastLines& last, std::vector<Finding>& findings) {
    for (Finding& finding : findings) {
        if (finding.fix && finding.fix->entry) {
            const AnalysedLine* winner = last[static_cast<size_t>(*finding.fix->entry)];
            finding.fix->gameReads = winner != nullptr && winner->offset > finding.span.offset
                                         ? winner->value
                                         : finding.fix->value;
        }
    }
}

}  // namespace

Finding::Finding(int lineNumber, messages::Message what, ByteSpan bytes, std::optional<Fix> sureFix)
    : line(lineNumber), message(std::move(what)), span(bytes), fix(std::move(sureFix)) {
    // Every finding's identifier has a rule; in a release build one without
    // would stay a warning rather than go unseen.
    const Rule* rule = FindRule(message.Id());
    KIO_ASSERT(rule != nullptr);
    severity =
        rule != nullptr && rule->level == RuleLevel::Note ? Severity::Note : Severity::Warning;
}

std::string_view SeverityName(Severity severity) {
    return severity == Severity::Warning ? "warning" : "note";
}

std::string_view FixName(FixKind kind) {
    switch (kind) {
        case FixKind::RemoveUtf8Bom: return "remove-utf8-bom";
        case FixKind::ConvertUtf16: return "convert-utf16";
        case FixKind::LowerCaseKeyName: return "lower-case-key-name";
        case FixKind::DropSpaceBeforeSemicolon: return "drop-space-before-semicolon";
        case FixKind::AddEquals: return "add-equals";
        case FixKind::TurnOffOverriddenLine: return "turn-off-overridden-line";
    }
    return "";
}

ByteSpan SpanOf(const AnalysedLine& line, std::string_view part) {
    // An empty part may not point into the line at all.
    const size_t start = part.data() != nullptr && part.data() >= line.text.data() &&
                                 part.data() <= line.text.data() + line.text.size()
                             ? static_cast<size_t>(part.data() - line.text.data())
                             : 0;
    return {line.offset + start, part.size()};
}

std::vector<Finding> CollectFindings(const FileAnalysis& analysis,
                                     const kio::binding::CodePage& codePage) {
    std::vector<Finding> findings;
    // UTF-16 explains everything else: the game sees at most a byte or two.
    if (const std::optional<ByteOrder> byteOrder = DetectUtf16(analysis.bytes)) {
        Finding finding = Utf16Finding(*byteOrder, analysis.bytes);
        // Without a byte-order mark the guess could be wrong, so only a marked
        // file is converted.
        if (HasUtf16ByteOrderMark(analysis.bytes)) {
            finding.fix =
                Fix{FixKind::ConvertUtf16, 0, analysis.bytes.size(), "", std::nullopt, 0, 0};
        }
        findings.push_back(std::move(finding));
        return findings;
    }
    if (std::optional<Finding> nul = NulFinding(analysis)) {
        findings.push_back(std::move(*nul));
    }
    if (std::optional<Finding> utf8 = Utf8Finding(analysis, codePage)) {
        findings.push_back(std::move(*utf8));
    }
    const bool bom = StartsWithUtf8Bom(analysis.text);
    for (const AnalysedLine& line : analysis.lines) {
        if (bom && line.offset == 0) {
            CheckLineAfterBom(line, codePage, findings);
        } else {
            CheckLine(line, codePage, findings);
        }
    }
    const LastLines last = LastLineOfEachBinding(analysis);
    AddOverriddenLines(analysis, last, codePage, findings);
    AddSharedKeys(analysis, findings);
    SetWhatTheGameReads(last, findings);
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    for (Finding& finding : findings) {
        finding.column = finding.span.offset - analysis.lineNumbers.LineStart(finding.line);
    }
    return findings;
}

}  // namespace kio::analysis
