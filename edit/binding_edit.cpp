#include "binding_edit.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "edit_outcome.h"
#include "edit_request.h"
#include "encoding_findings.h"
#include "file_analysis.h"
#include "game_values.h"
#include "line_changes.h"
#include "line_numbers.h"
#include "line_parser.h"
#include "vocabulary.h"

namespace kio::edit {
namespace {

// The file's own line break: the first one it holds, CR LF when it has none.
std::string_view FileLineBreak(std::string_view file, const kio::analysis::LineNumbers& lines) {
    if (lines.LastLine() == 1) {
        return "\r\n";
    }
    const size_t end = lines.LineEnd(file, 1);
    return file.substr(end, lines.LineStart(2) - end);
}

std::string Spliced(std::string_view file, size_t offset, size_t length, std::string_view text) {
    std::string result;
    result.reserve(file.size() - length + text.size());
    result.append(file.substr(0, offset)).append(text).append(file.substr(offset + length));
    return result;
}

// A value whose own final ";" the game would strip needs a second one, unless
// the line already ends the value with one.
std::string Written(const std::string& value, std::string_view file, size_t valueEnd) {
    const bool strippedSemicolon = valueEnd < file.size() && file[valueEnd] == ';';
    return value.ends_with(';') && !strippedSemicolon ? value + ";" : value;
}

EditOutcome ReplaceValue(std::string_view file, const kio::analysis::LineNumbers& lines,
                         const kio::analysis::AnalysedLine& line, const std::string& name,
                         const std::string& value, const kio::binding::CodePage& codePage) {
    if (std::any_of(line.text.begin(), line.text.end(), kio::binding::IsLineBreak)) {
        return Refusal({"E201",
                        {kio::messages::Number("line", static_cast<uint64_t>(line.number)),
                         kio::messages::Number("code_page", codePage.id)}});
    }
    size_t start = 0;
    if (line.valueText.data() != nullptr) {
        start = line.offset + static_cast<size_t>(line.valueText.data() - line.text.data());
    } else {
        // No value at all: it goes straight after the "=".
        const size_t keyEnd =
            static_cast<size_t>(line.keyText.data() - line.text.data()) + line.keyText.size();
        start = line.offset + line.text.find('=', keyEnd) + 1;
    }
    const size_t length = line.valueText.size();
    const std::string text = Written(value, file, start + length);
    EditOutcome outcome;
    if (line.valueText == text) {
        outcome.bytes = std::string(file);
        return outcome;
    }
    outcome.bytes = Spliced(file, start, length, text);
    kio::messages::Message description{
        "change.set",
        {kio::messages::Plain("binding", name), kio::messages::Plain("value", value),
         kio::messages::Plain("was", std::string(line.valueText))}};
    if (line.valueText.empty()) {
        description.key = "change.set.empty";
    }
    const kio::analysis::LineNumbers changedLines(outcome.bytes);
    outcome.changes.push_back({line.number, false, std::string(LineAround(file, lines, start)),
                               std::string(LineAround(outcome.bytes, changedLines, start)),
                               std::move(description)});
    return outcome;
}

EditOutcome AddLine(std::string_view file, const kio::analysis::FileAnalysis& analysis,
                    const kio::analysis::AnalysedLine* lastOfKind, const std::string& name,
                    const std::string& value) {
    const kio::analysis::LineNumbers& lines = analysis.lineNumbers;
    size_t position = analysis.text.size();
    std::string_view lineBreak = FileLineBreak(file, lines);
    if (lastOfKind != nullptr) {
        position = lastOfKind->offset + lastOfKind->text.size();
        if (const size_t length = kio::analysis::LineBreakLength(file, position); length > 0) {
            lineBreak = file.substr(position, length);
            position += length;
        }
    }
    const size_t lineStart = lines.LineStart(lines.LineOf(position));
    const bool atLineStart = position == lineStart;
    const bool needsBreakFirst = !atLineStart && position == file.size();
    if (!atLineStart && !needsBreakFirst) {
        // A NUL byte ends what the game reads mid-line: the new line goes before
        // that line, keeping it whole.
        position = lineStart;
    }
    const std::string line = name + "=" + Written(value, "", 0);
    std::string inserted = needsBreakFirst ? std::string(lineBreak) : std::string();
    inserted += line;
    inserted += lineBreak;

    EditOutcome outcome;
    outcome.bytes = Spliced(file, position, 0, inserted);
    const size_t addedStart = position + (needsBreakFirst ? lineBreak.size() : 0);
    outcome.changes.push_back({kio::analysis::LineNumbers(outcome.bytes).LineOf(addedStart),
                               true,
                               "",
                               line,
                               {"change.added", {kio::messages::Plain("line", line)}}});
    return outcome;
}

// A line "name=value" put in front of the game's line starting at `lineStart`:
// where the natural place would follow a line whose last byte swallows its
// line break, the game still reads every line as before.
EditOutcome AddLineBefore(std::string_view file, const kio::analysis::LineNumbers& lines,
                          size_t lineStart, const std::string& name, const std::string& value) {
    const std::string line = name + "=" + Written(value, "", 0);
    EditOutcome outcome;
    outcome.bytes = Spliced(file, lineStart, 0, line + std::string(FileLineBreak(file, lines)));
    outcome.changes.push_back({kio::analysis::LineNumbers(outcome.bytes).LineOf(lineStart),
                               true,
                               "",
                               line,
                               {"change.added", {kio::messages::Plain("line", line)}}});
    return outcome;
}

// The edit must reach the game as written: `entry` gets `expected` and every
// other binding keeps its value.
bool MeansWhatItSays(std::string_view before, std::string_view after, int entry,
                     std::optional<int32_t> expected, const kio::binding::CodePage& codePage) {
    GameValues wanted = ReadGameValues(before, codePage);
    wanted[static_cast<size_t>(entry)] = expected;
    return ReadGameValues(after, codePage) == wanted;
}

// Why no edit of `file` is made: it is UTF-16. Nothing where it can be edited.
std::optional<kio::messages::Message> FileRefusal(std::string_view file) {
    if (kio::analysis::DetectUtf16(file)) {
        return kio::messages::Message{"E202", {}};
    }
    return std::nullopt;
}

kio::messages::Message NotAsWritten() { return {"E203", {}}; }

// `file` with the binding of `request` (one not refused) set.
EditOutcome Set(std::string_view file, const SetRequest& request,
                const kio::binding::CodePage& codePage) {
    const int entry = request.entry;
    const kio::analysis::FileAnalysis analysis = kio::analysis::AnalyseFile(file, codePage);
    const kio::analysis::AnalysedLine* last = nullptr;
    const kio::analysis::AnalysedLine* lastOfKind = nullptr;
    for (const kio::analysis::AnalysedLine& line : analysis.lines) {
        if (line.entry && *line.entry == entry) {
            last = &line;
        }
        if (line.entry && *line.entry % 2 == entry % 2) {
            lastOfKind = &line;
        }
    }
    const std::string& name = request.binding;
    EditOutcome outcome =
        last != nullptr
            ? ReplaceValue(file, analysis.lineNumbers, *last, name, request.value, codePage)
            : AddLine(file, analysis, lastOfKind, name, request.value);
    if (outcome.status == EditStatus::Ok &&
        !MeansWhatItSays(file, outcome.bytes, entry, request.decoded, codePage)) {
        // The line it would follow ends in a lead byte that takes the line
        // break with it: the new line goes in front of that line instead.
        const kio::analysis::AnalysedLine* beside =
            lastOfKind != nullptr ? lastOfKind
                                  : (analysis.lines.empty() ? nullptr : &analysis.lines.back());
        if (last != nullptr || beside == nullptr) {
            return Refusal(NotAsWritten());
        }
        outcome = AddLineBefore(file, analysis.lineNumbers, beside->offset, name, request.value);
        if (!MeansWhatItSays(file, outcome.bytes, entry, request.decoded, codePage)) {
            return Refusal(NotAsWritten());
        }
    }
    return outcome;
}

// Where "; " turns off each line that names binding `entry` only once the file
// is repaired as `check` advises: a line past a NUL byte, one a lead byte at
// the end of the line before joins to it, one behind a UTF-8 byte-order mark
// (at the start or in the middle). The game does not read them as that
// binding today, so turning them off changes nothing for it now, and keeps an
// edit what it says after the repair. "; " goes behind the marks, which a fix
// removes.
std::vector<size_t> HiddenLinesNaming(std::string_view file, int entry,
                                      const kio::analysis::FileAnalysis& analysis,
                                      const kio::binding::CodePage& codePage) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    // Where the game already reads the binding: looked up, not scanned, for each
    // line, so that a long file costs no more than its lines.
    std::vector<size_t> seenStarts;
    for (const kio::analysis::AnalysedLine& seen : analysis.lines) {
        if (seen.entry == entry) {
            seenStarts.push_back(seen.offset);
        }
    }
    std::sort(seenStarts.begin(), seenStarts.end());
    const kio::analysis::LineNumbers& lines = analysis.lineNumbers;
    std::vector<size_t> starts;
    for (int number = 1; number <= lines.LastLine(); ++number) {
        const size_t start = lines.LineStart(number);
        const size_t end = lines.LineEnd(file, number);
        size_t text = start;
        while (file.substr(text, end - text).starts_with(kBom)) {
            text += kBom.size();
        }
        std::string repaired(file.substr(text, end - text));
        std::erase(repaired, '\0');
        const kio::analysis::AnalysedLine line =
            kio::analysis::AnalyseLine(kio::binding::CutBindingLine(repaired, codePage), codePage);
        if (line.entry == entry &&
            !std::binary_search(seenStarts.begin(), seenStarts.end(), start)) {
            starts.push_back(text);
        }
    }
    return starts;
}

// `outcome.bytes` with "; " put at each of `starts` (offsets into it, in
// order), each such line reported as turned off. `lines` are those of
// `outcome.bytes`.
void TurnOff(EditOutcome& outcome, const kio::analysis::LineNumbers& lines,
             const std::vector<size_t>& starts) {
    constexpr std::string_view kOff = "; ";
    std::string bytes;
    size_t copied = 0;
    for (const size_t start : starts) {
        bytes.append(outcome.bytes, copied, start - copied).append(kOff);
        copied = start;
    }
    bytes.append(outcome.bytes, copied);
    const kio::analysis::LineNumbers numbers(bytes);
    for (size_t i = 0; i < starts.size(); ++i) {
        const size_t at = starts[i] + i * kOff.size();
        const size_t lineStart = numbers.LineStart(numbers.LineOf(at));
        const std::string before(LineAround(outcome.bytes, lines, starts[i]));
        const std::string after(LineAround(bytes, numbers, at));
        outcome.changes.push_back(
            {numbers.LineOf(at),
             false,
             before,
             after,
             {"change.off", {kio::messages::Plain("line", after.substr(at - lineStart))}}});
    }
    std::sort(outcome.changes.begin(), outcome.changes.end(),
              [](const LineChange& a, const LineChange& b) { return a.line < b.line; });
    outcome.bytes = std::move(bytes);
}

EditOutcome Unset(std::string_view file, std::string_view binding,
                  const kio::binding::CodePage& codePage) {
    if (const std::optional<kio::messages::Message> refusal = FileRefusal(file)) {
        return Refusal(*refusal);
    }
    int entry = 0;
    const ParsedText name = ParseBinding(binding, codePage, entry);
    if (name.text.empty()) {
        return Refusal(name.refusal);
    }
    const kio::analysis::FileAnalysis analysis = kio::analysis::AnalyseFile(file, codePage);
    std::vector<size_t> starts = HiddenLinesNaming(file, entry, analysis, codePage);
    for (const kio::analysis::AnalysedLine& line : analysis.lines) {
        if (line.entry == entry) {
            starts.push_back(line.offset);
        }
    }
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    EditOutcome outcome;
    outcome.bytes = std::string(file);
    TurnOff(outcome, analysis.lineNumbers, starts);
    if (!MeansWhatItSays(file, outcome.bytes, entry, std::nullopt, codePage)) {
        return Refusal(NotAsWritten());
    }
    return outcome;
}

// Set, and then the lines that would name the binding after a repair are
// turned off, so that the value set stays the one the game reads.
EditOutcome SetAndTurnOffHidden(std::string_view file, std::string_view binding,
                                std::string_view value, const kio::binding::CodePage& codePage) {
    if (const std::optional<kio::messages::Message> refusal = FileRefusal(file)) {
        return Refusal(*refusal);
    }
    const SetRequest request = ParseSetRequest(binding, value, codePage);
    if (request.value.empty()) {
        return Refusal(request.refusal);
    }
    EditOutcome outcome = Set(file, request, codePage);
    if (outcome.status != EditStatus::Ok) {
        return outcome;
    }
    const int entry = request.entry;
    const kio::analysis::FileAnalysis analysis =
        kio::analysis::AnalyseFile(outcome.bytes, codePage);
    const std::vector<size_t> hidden = HiddenLinesNaming(outcome.bytes, entry, analysis, codePage);
    if (hidden.empty()) {
        return outcome;
    }
    const std::string set = outcome.bytes;
    TurnOff(outcome, analysis.lineNumbers, hidden);
    if (!MeansWhatItSays(set, outcome.bytes, entry,
                         ReadGameValues(set, codePage)[static_cast<size_t>(entry)], codePage)) {
        return Refusal(NotAsWritten());
    }
    return outcome;
}

}  // namespace

EditOutcome SetBinding(std::string_view file, std::string_view binding, std::string_view value,
                       const kio::binding::CodePage& codePage) {
    try {
        return SetAndTurnOffHidden(file, binding, value, codePage);
    } catch (...) {
        EditOutcome outcome;
        FailWithCurrentException(outcome);
        return outcome;
    }
}

EditOutcome UnsetBinding(std::string_view file, std::string_view binding,
                         const kio::binding::CodePage& codePage) {
    try {
        return Unset(file, binding, codePage);
    } catch (...) {
        EditOutcome outcome;
        FailWithCurrentException(outcome);
        return outcome;
    }
}

}  // namespace kio::edit
