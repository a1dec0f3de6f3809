#include "line_findings.h"

#include <algorithm>
#include <optional>
#include <string>

#include "binding_table.h"
#include "characters.h"
#include "line_parser.h"
#include "nearest_name.h"
#include "value_findings.h"
#include "vocabulary.h"

namespace kio::analysis {
namespace {

bool IsBlank(char c) { return kio::binding::IsWhiteSpace(static_cast<uint8_t>(c)); }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

void Warn(std::vector<Finding>& findings, const AnalysedLine& line, messages::Message message,
          ByteSpan span, std::optional<Fix> fix = {}) {
    findings.push_back({line.number, std::move(message), span, std::move(fix)});
}

// Where the name of "KB_Run space" or "KB_Run: space" ends: at the first white
// space or ":", else at the text's end.
size_t NameEnd(std::string_view text, const kio::binding::CodePage& codePage) {
    if (!codePage.hasLeadBytes) {
        // Every byte a character: searched, not stepped through, as a line may
        // be megabytes long.
        return FirstWhiteSpaceCharacter(text.substr(0, text.find(':')), codePage);
    }
    size_t end = 0;
    while (end < text.size() && !IsBlank(text[end]) && text[end] != ':') {
        end += codePage.CharacterLength(text, end);
    }
    return end;
}

void CheckLineWithoutEquals(const AnalysedLine& line, const kio::binding::CodePage& codePage,
                            std::vector<Finding>& findings) {
    const std::string_view trimmed = TrimCharacters(line.text, codePage);
    const ByteSpan span = SpanOf(line, trimmed);
    if (const std::optional<int> entry = kio::binding::FindBindingEntry(trimmed, codePage)) {
        Warn(findings, line,
             messages::Message{
                 "K202.name",
                 {messages::Plain("binding", std::string(kio::binding::BindingName(*entry)))}},
             span);
        return;
    }
    // "KB_Run space" or "KB_Run: space": a binding name, then the value.
    const size_t cut = NameEnd(trimmed, codePage);
    if (cut < trimmed.size()) {
        if (const std::optional<int> entry =
                kio::binding::FindBindingEntry(trimmed.substr(0, cut), codePage)) {
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
                fix = Fix{FixKind::AddEquals, nameEnd, restEnd - nameEnd,
                          "=" + *sure,        *entry,  kio::binding::DecodeValue(*sure, codePage)};
            }
            // The game drops one final ";" of a value, so a ";" key needs two.
            const std::string_view again = !rest.empty() && rest.back() == ';' ? ";" : "";
            Warn(findings, line,
                 messages::Message{
                     "K202.value",
                     {messages::Plain("binding", std::string(kio::binding::BindingName(*entry))),
                      messages::Plain("value", std::string(rest) + std::string(again))}},
                 span, std::move(fix));
            return;
        }
    }
    Warn(findings, line, messages::Message{"K202", {}}, span);
}

void CheckUnknownBinding(const AnalysedLine& line, std::vector<Finding>& findings) {
    const std::string_view key = line.keyText;
    if (key.empty()) {
        Warn(findings, line, messages::Message{"K203", {}}, SpanOf(line, line.text.substr(0, 0)));
        return;
    }
    const ByteSpan span = SpanOf(line, key);
    // Made where used: a key of megabytes is copied once, into its finding.
    const auto keyArgument = [key] { return messages::Quoted("key", std::string(key)); };
    if (const std::optional<int> action = ActionNamed(key)) {
        const kio::binding::Action& named = kio::binding::kActions[*action];
        Warn(findings, line,
             messages::Message{
                 "K204.action",
                 messages::ArgumentsOf(
                     keyArgument(), messages::Quoted("keyboard", std::string(named.keyboardName)),
                     messages::Quoted("pad", std::string(named.padName)))},
             span);
        return;
    }
    std::array<std::string_view, kio::binding::kBindingCount> names;
    for (int entry = 0; entry < kio::binding::kBindingCount; ++entry) {
        names[entry] = kio::binding::BindingName(entry);
    }
    if (const std::optional<std::string_view> near =
            NearestName(key, names, [](std::string_view name) { return name; })) {
        Warn(findings, line,
             messages::Message{"K204.near",
                               messages::ArgumentsOf(
                                   keyArgument(), messages::Quoted("nearest", std::string(*near)))},
             span);
        return;
    }
    Warn(findings, line, messages::Message{"K204", messages::ArgumentsOf(keyArgument())}, span);
}

// Under a double-byte code page a lead byte swallows the CR or LF after it, and
// the game reads on into the next line.
bool CheckSwallowedLineBreak(const AnalysedLine& line, const kio::binding::CodePage& codePage,
                             std::vector<Finding>& findings) {
    // Two searches for one byte each: find_first_of would test the bytes one by one.
    const size_t lineBreak = std::min(line.text.find('\r'), line.text.find('\n'));
    if (lineBreak == std::string_view::npos || lineBreak == 0) {
        return false;
    }
    Warn(findings, line,
         messages::Message{
             "K201",
             {messages::ByteNumber("byte", static_cast<uint8_t>(line.text[lineBreak - 1])),
              messages::Number("code_page", codePage.id),
              messages::Quoted("joined", std::string(line.text))}},
         SpanOf(line, line.text.substr(lineBreak - 1, 1)));
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

namespace {

// Whether a swallowed line break joins text other than blanks and comments.
bool SwallowsText(const AnalysedLine& line) {
    const size_t lineBreak = std::min(line.text.find('\r'), line.text.find('\n'));
    if (lineBreak == std::string_view::npos) {
        return false;
    }
    const std::string_view rest = Trim(line.text.substr(lineBreak + 1));
    return !rest.empty() && !IsCommentOrSection(rest);
}

}  // namespace

void CheckLine(const AnalysedLine& line, const kio::binding::CodePage& codePage,
               std::vector<Finding>& findings) {
    if (Trim(line.text).empty()) {
        return;
    }
    if (IsCommentOrSection(line.text)) {
        // A comment that swallows its line break hides what the next line says.
        if (SwallowsText(line)) {
            CheckSwallowedLineBreak(line, codePage, findings);
        }
        return;
    }
    if (CheckSwallowedLineBreak(line, codePage, findings)) {
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

}  // namespace kio::analysis
