#include "binding_edit.h"

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

namespace kioedit {
namespace {

using kiobind::IsLineBreak;

// The file's own line break: the first one it holds, CR LF when it has none.
std::string_view FileLineBreak(std::string_view file) {
    const size_t first = file.find_first_of("\r\n");
    if (first == std::string_view::npos) {
        return "\r\n";
    }
    if (file[first] == '\r') {
        return first + 1 < file.size() && file[first + 1] == '\n' ? "\r\n" : "\r";
    }
    return "\n";
}

// The line break starting at `position`, or nothing.
std::string_view LineBreakAt(std::string_view file, size_t position) {
    if (position >= file.size() || !IsLineBreak(file[position])) {
        return {};
    }
    const bool crLf = file[position] == '\r' && position + 1 < file.size() &&
                      file[position + 1] == '\n';
    return file.substr(position, crLf ? 2 : 1);
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

EditOutcome ReplaceValue(std::string_view file, const kiobind::AnalysedLine& line,
                         const std::string& name, const std::string& value,
                         const kio::CodePage& codePage) {
    if (line.text.find_first_of("\r\n") != std::string_view::npos) {
        return Refusal({"E201",
                        {kiobind::Plain("line", std::to_string(line.number)),
                         kiobind::Plain("code_page", std::to_string(codePage.id))}});
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
    kiobind::Message description{"change.set",
                                 {kiobind::Plain("binding", name), kiobind::Plain("value", value),
                                  kiobind::Plain("was", std::string(line.valueText))}};
    if (line.valueText.empty()) {
        description.key = "change.set.empty";
    }
    outcome.changes.push_back({line.number, false, std::string(LineAround(file, start)),
                               std::string(LineAround(outcome.bytes, start)),
                               std::move(description)});
    return outcome;
}

EditOutcome AddLine(std::string_view file, const kiobind::FileAnalysis& analysis,
                    const kiobind::AnalysedLine* lastOfKind, const std::string& name,
                    const std::string& value) {
    size_t position = analysis.text.size();
    std::string_view lineBreak = FileLineBreak(file);
    if (lastOfKind != nullptr) {
        position = lastOfKind->offset + lastOfKind->text.size();
        if (const std::string_view after = LineBreakAt(file, position); !after.empty()) {
            lineBreak = after;
            position += after.size();
        }
    }
    const bool atLineStart = position == 0 || IsLineBreak(file[position - 1]);
    const bool needsBreakFirst = !atLineStart && position == file.size();
    if (!atLineStart && !needsBreakFirst) {
        // A NUL byte ends what the game reads mid-line: the new line goes before
        // that line, keeping it whole.
        while (position > 0 && !IsLineBreak(file[position - 1])) {
            --position;
        }
    }
    const std::string line = name + "=" + Written(value, "", 0);
    std::string inserted = needsBreakFirst ? std::string(lineBreak) : std::string();
    inserted += line;
    inserted += lineBreak;

    EditOutcome outcome;
    outcome.bytes = Spliced(file, position, 0, inserted);
    const size_t lineStart = position + (needsBreakFirst ? lineBreak.size() : 0);
    outcome.changes.push_back({kiobind::LineNumbers(outcome.bytes).LineOf(lineStart), true, "",
                               line, {"change.added", {kiobind::Plain("line", line)}}});
    return outcome;
}

// A line "name=value" put in front of the game's line starting at `lineStart`:
// where the natural place would follow a line whose last byte swallows its
// line break, the game still reads every line as before.
EditOutcome AddLineBefore(std::string_view file, size_t lineStart, const std::string& name,
                          const std::string& value) {
    const std::string line = name + "=" + Written(value, "", 0);
    EditOutcome outcome;
    outcome.bytes = Spliced(file, lineStart, 0, line + std::string(FileLineBreak(file)));
    outcome.changes.push_back({kiobind::LineNumbers(outcome.bytes).LineOf(lineStart), true, "",
                               line, {"change.added", {kiobind::Plain("line", line)}}});
    return outcome;
}

// The edit must reach the game as written: `entry` gets `expected` and every
// other binding keeps its value.
bool MeansWhatItSays(std::string_view before, std::string_view after, int entry,
                     std::optional<int32_t> expected, const kio::CodePage& codePage) {
    GameValues wanted = ReadGameValues(before, codePage);
    wanted[static_cast<size_t>(entry)] = expected;
    return ReadGameValues(after, codePage) == wanted;
}

// The binding an edit of `file` names, spelt as the action table spells it, and
// its entry; refused when the file is UTF-16 or the name names no binding.
ParsedText EditedBinding(std::string_view file, std::string_view binding,
                         const kio::CodePage& codePage, int& entry) {
    if (kiobind::DetectUtf16(file)) {
        return {"", {"E202", {}}};
    }
    return ParseBinding(binding, codePage, entry);
}

kiobind::Message NotAsWritten() {
    return {"E203", {}};
}

EditOutcome Set(std::string_view file, std::string_view binding, std::string_view value,
                const kio::CodePage& codePage) {
    int entry = 0;
    const ParsedText name = EditedBinding(file, binding, codePage, entry);
    if (name.text.empty()) {
        return Refusal(name.refusal);
    }
    const ParsedText parsed = ParseValue(value, entry);
    if (parsed.text.empty()) {
        return Refusal(parsed.refusal);
    }
    const kiobind::FileAnalysis analysis = kiobind::AnalyseFile(file, codePage);
    const kiobind::AnalysedLine* last = nullptr;
    const kiobind::AnalysedLine* lastOfKind = nullptr;
    for (const kiobind::AnalysedLine& line : analysis.lines) {
        if (line.entry && *line.entry == entry) {
            last = &line;
        }
        if (line.entry && *line.entry % 2 == entry % 2) {
            lastOfKind = &line;
        }
    }
    const int32_t decoded = kio::DecodeValue(parsed.text, codePage);
    EditOutcome outcome = last != nullptr
                              ? ReplaceValue(file, *last, name.text, parsed.text, codePage)
                              : AddLine(file, analysis, lastOfKind, name.text, parsed.text);
    if (outcome.status == EditStatus::Ok &&
        !MeansWhatItSays(file, outcome.bytes, entry, decoded, codePage)) {
        // The line it would follow ends in a lead byte that takes the line
        // break with it: the new line goes in front of that line instead.
        const kiobind::AnalysedLine* beside =
            lastOfKind != nullptr ? lastOfKind
                                  : (analysis.lines.empty() ? nullptr : &analysis.lines.back());
        if (last != nullptr || beside == nullptr) {
            return Refusal(NotAsWritten());
        }
        outcome = AddLineBefore(file, beside->offset, name.text, parsed.text);
        if (!MeansWhatItSays(file, outcome.bytes, entry, decoded, codePage)) {
            return Refusal(NotAsWritten());
        }
    }
    return outcome;
}

// Where the text after the file's UTF-8 byte-order mark starts, when the mark
// is all that keeps `line`, the first, from naming binding `entry`; else 0.
size_t BomHiddenLineStart(const kiobind::AnalysedLine& line, int entry,
                          const kio::CodePage& codePage) {
    constexpr size_t kBom = 3;
    if (!kiobind::StartsWithUtf8Bom(line.text)) {
        return 0;
    }
    const kiobind::AnalysedLine hidden =
        kiobind::AnalyseLine(kio::CutBindingLine(line.text.substr(kBom), codePage), codePage);
    return hidden.entry == entry ? kBom : 0;
}

EditOutcome Unset(std::string_view file, std::string_view binding,
                  const kio::CodePage& codePage) {
    int entry = 0;
    const ParsedText name = EditedBinding(file, binding, codePage, entry);
    if (name.text.empty()) {
        return Refusal(name.refusal);
    }
    constexpr std::string_view kOff = "; ";
    const kiobind::FileAnalysis analysis = kiobind::AnalyseFile(file, codePage);
    EditOutcome outcome;
    size_t copied = 0;
    for (const kiobind::AnalysedLine& line : analysis.lines) {
        // A first line the UTF-8 byte-order mark hides binds again once the
        // mark goes (fix removes it): it is turned off behind the mark.
        const size_t off = line.offset == 0 ? BomHiddenLineStart(line, entry, codePage) : 0;
        if (off == 0 && (!line.entry || *line.entry != entry)) {
            continue;
        }
        outcome.bytes.append(file.substr(copied, line.offset + off - copied)).append(kOff);
        copied = line.offset + off;
        const std::string before(LineAround(file, line.offset));
        const std::string after = before.substr(0, off) + std::string(kOff) + before.substr(off);
        outcome.changes.push_back(
            {line.number, false, before, after,
             {"change.off", {kiobind::Plain("line", std::string(kOff) + before.substr(off))}}});
    }
    outcome.bytes.append(file.substr(copied));
    if (!MeansWhatItSays(file, outcome.bytes, entry, std::nullopt, codePage)) {
        return Refusal(NotAsWritten());
    }
    return outcome;
}

}  // namespace

EditOutcome SetBinding(std::string_view file, std::string_view binding, std::string_view value,
                       const kio::CodePage& codePage) {
    try {
        return Set(file, binding, value, codePage);
    } catch (...) {
        EditOutcome outcome;
        FailWithCurrentException(outcome);
        return outcome;
    }
}

EditOutcome UnsetBinding(std::string_view file, std::string_view binding,
                         const kio::CodePage& codePage) {
    try {
        return Unset(file, binding, codePage);
    } catch (...) {
        EditOutcome outcome;
        FailWithCurrentException(outcome);
        return outcome;
    }
}

}  // namespace kioedit
