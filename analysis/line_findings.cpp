#include "line_findings.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "characters.h"
#include "line_parser.h"
#include "nearest_name.h"
#include "quoting.h"
#include "value_findings.h"
#include "vocabulary.h"

namespace kiobind {
namespace {

bool IsBlank(char c) {
    return kio::IsWhiteSpace(static_cast<uint8_t>(c));
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<int> ActionNamed(std::string_view text) {
    for (int p = 0; p < kio::kActionCount; ++p) {
        if (EqualsIgnoringCase(text, kio::kActions[p].name)) {
            return p;
        }
    }
    return std::nullopt;
}

void Warn(std::vector<Finding>& findings, const AnalysedLine& line, std::string message,
          std::optional<Fix> fix = {}) {
    findings.push_back({line.number, Severity::Warning, std::move(message), std::move(fix)});
}

void CheckLineWithoutEquals(const AnalysedLine& line, const kio::CodePage& codePage,
                            std::vector<Finding>& findings) {
    const std::string_view trimmed = TrimCharacters(line.text, codePage);
    if (const std::optional<int> entry = kio::FindBindingEntry(trimmed, codePage)) {
        Warn(findings, line,
             "the line has no '=' and binds nothing; write " +
                 std::string(kio::BindingName(*entry)) + "=<key name>");
        return;
    }
    // "KB_Run space" or "KB_Run: space": a binding name, then the value.
    size_t cut = 0;
    while (cut < trimmed.size() && !IsBlank(trimmed[cut]) && trimmed[cut] != ':') {
        cut += codePage.CharacterLength(trimmed, cut);
    }
    if (cut < trimmed.size()) {
        if (const std::optional<int> entry =
                kio::FindBindingEntry(trimmed.substr(0, cut), codePage)) {
            std::string_view rest = TrimCharacters(trimmed.substr(cut), codePage);
            if (!rest.empty() && rest.front() == ':') {
                rest = TrimCharacters(rest.substr(1), codePage);
            }
            // What separates the name from the value becomes the "=", and a key
            // name in capitals is lowered on the way.
            std::optional<Fix> fix;
            if (const std::optional<std::string> sure = SureValue(rest, *entry, codePage)) {
                const size_t nameEnd =
                    line.offset + static_cast<size_t>(trimmed.data() - line.text.data()) + cut;
                const size_t restEnd =
                    line.offset + static_cast<size_t>(rest.data() - line.text.data()) + rest.size();
                fix = Fix{FixKind::AddEquals, nameEnd, restEnd - nameEnd, "=" + *sure, *entry,
                          kio::DecodeValue(*sure, codePage)};
            }
            // The game drops one final ";" of a value, so a ";" key needs two.
            const std::string_view again = !rest.empty() && rest.back() == ';' ? ";" : "";
            Warn(findings, line,
                 "the line has no '=' and binds nothing; write " +
                     std::string(kio::BindingName(*entry)) + "=" + Printable(rest) +
                     std::string(again),
                 std::move(fix));
            return;
        }
    }
    Warn(findings, line, "the line has no '=' and binds nothing");
}

void CheckUnknownBinding(const AnalysedLine& line, std::vector<Finding>& findings) {
    const std::string_view key = line.keyText;
    if (key.empty()) {
        Warn(findings, line, "no binding name before '='; the line binds nothing");
        return;
    }
    const std::string ignored = Quote(key) + " names no binding, so the line is ignored";
    if (const std::optional<int> action = ActionNamed(key)) {
        const kio::Action& named = kio::kActions[*action];
        Warn(findings, line,
             ignored +
                 "; binding names start with KB_ for the keyboard or PAD_ for the pad: did you "
                 "mean " +
                 Quote(named.keyboardName) + " or " + Quote(named.padName) + "?");
        return;
    }
    std::array<std::string_view, kio::kBindingCount> names;
    for (int entry = 0; entry < kio::kBindingCount; ++entry) {
        names[entry] = kio::BindingName(entry);
    }
    if (const std::optional<std::string_view> near =
            NearestName(key, names, [](std::string_view name) { return name; })) {
        Warn(findings, line, ignored + "; did you mean " + Quote(*near) + "?");
        return;
    }
    Warn(findings, line,
         ignored +
             " (binding names are KB_ or PAD_ and an action; 'kiobind show' lists the actions)");
}

// Under a double-byte code page a lead byte swallows the CR or LF after it, and
// the game reads on into the next line.
bool CheckSwallowedLineBreak(const AnalysedLine& line, const kio::CodePage& codePage,
                             std::vector<Finding>& findings) {
    // Two searches for one byte each: find_first_of would test the bytes one by one.
    const size_t lineBreak = std::min(line.text.find('\r'), line.text.find('\n'));
    if (lineBreak == std::string_view::npos || lineBreak == 0) {
        return false;
    }
    char lead[8];
    std::snprintf(lead, sizeof lead, "0x%02X", static_cast<uint8_t>(line.text[lineBreak - 1]));
    Warn(findings, line,
         std::string("the byte ") + lead +
             " and the line break after it form one character of code page " +
             std::to_string(codePage.id) + ", so the game joins this line and the next into " +
             Quote(line.text) + "; end the line with a character that is not a lead byte");
    return true;
}

}  // namespace

bool IsCommentOrSection(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty()) {
        return false;
    }
    return trimmed.front() == ';' || trimmed.front() == '#' ||
           (trimmed.front() == '[' && trimmed.back() == ']');
}

void CheckLine(const AnalysedLine& line, const kio::CodePage& codePage,
               std::vector<Finding>& findings) {
    if (Trim(line.text).empty() || IsCommentOrSection(line.text) ||
        CheckSwallowedLineBreak(line, codePage, findings)) {
        return;
    }
    if (!line.hasEquals) {
        CheckLineWithoutEquals(line, codePage, findings);
        return;
    }
    if (!line.entry) {
        CheckUnknownBinding(line, findings);
        return;
    }
    if (std::optional<Finding> finding = DiagnoseValue(line, codePage)) {
        findings.push_back(std::move(*finding));
    }
}

}  // namespace kiobind
