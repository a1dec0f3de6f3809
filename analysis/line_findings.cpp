#include "line_findings.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "line_parser.h"
#include "nearest_name.h"
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

void Warn(std::vector<Finding>& findings, const AnalysedLine& line, Message message,
          ByteSpan span, std::optional<Fix> fix = {}) {
    findings.push_back({line.number, Severity::Warning, std::move(message), span, std::move(fix)});
}

// A value the game decodes as it stands, or after lowercasing a key name.
bool IsSureValue(std::string_view text, const kio::CodePage& codePage) {
    if (kio::ClassifyValue(text, codePage) == kio::ValueClass::Hex) {
        const size_t digits = kio::ReadHexValue(text).digitCount;
        return digits > 0 && digits <= 8 && digits + 2 == text.size();
    }
    std::string lower(text);
    for (char& c : lower) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return kio::FindKeyCode(lower).has_value();
}

void CheckLineWithoutEquals(const AnalysedLine& line, const kio::CodePage& codePage,
                            std::vector<Finding>& findings) {
    const std::string_view trimmed = Trim(line.text);
    const ByteSpan span = SpanOf(line, trimmed);
    if (const std::optional<int> entry = kio::FindBindingEntry(trimmed, codePage)) {
        Warn(findings, line,
             Message{"K202.name", {Plain("binding", std::string(kio::BindingName(*entry)))}},
             span);
        return;
    }
    // "KB_Run space" or "KB_Run: space": a binding name, then the value.
    const size_t cut = static_cast<size_t>(
        std::find_if(trimmed.begin(), trimmed.end(), [](char c) { return IsBlank(c) || c == ':'; }) -
        trimmed.begin());
    if (cut != trimmed.size()) {
        if (const std::optional<int> entry =
                kio::FindBindingEntry(trimmed.substr(0, cut), codePage)) {
            std::string_view rest = Trim(trimmed.substr(cut));
            if (!rest.empty() && rest.front() == ':') {
                rest = Trim(rest.substr(1));
            }
            // What separates the name from the value becomes the "=".
            std::optional<Fix> fix;
            if (IsSureValue(rest, codePage)) {
                const size_t nameEnd =
                    line.offset + static_cast<size_t>(trimmed.data() - line.text.data()) + cut;
                const size_t restStart =
                    line.offset + static_cast<size_t>(rest.data() - line.text.data());
                fix = Fix{FixKind::AddEquals, nameEnd, restStart - nameEnd, "="};
            }
            Warn(findings, line,
                 Message{"K202.value",
                         {Plain("binding", std::string(kio::BindingName(*entry))),
                          Plain("value", std::string(rest))}},
                 span, std::move(fix));
            return;
        }
    }
    Warn(findings, line, Message{"K202", {}}, span);
}

void CheckUnknownBinding(const AnalysedLine& line, std::vector<Finding>& findings) {
    const std::string_view key = line.keyText;
    if (key.empty()) {
        Warn(findings, line, Message{"K203", {}}, SpanOf(line, line.text.substr(0, 0)));
        return;
    }
    const ByteSpan span = SpanOf(line, key);
    const MessageArgument keyArgument = Quoted("key", std::string(key));
    if (const std::optional<int> action = ActionNamed(key)) {
        const kio::Action& named = kio::kActions[*action];
        Warn(findings, line,
             Message{"K204.action",
                     {keyArgument, Quoted("keyboard", std::string(named.keyboardName)),
                      Quoted("pad", std::string(named.padName))}},
             span);
        return;
    }
    std::array<std::string_view, kio::kBindingCount> names;
    for (int entry = 0; entry < kio::kBindingCount; ++entry) {
        names[entry] = kio::BindingName(entry);
    }
    if (const std::optional<std::string_view> near =
            NearestName(key, names, [](std::string_view name) { return name; })) {
        Warn(findings, line, Message{"K204.near", {keyArgument, Quoted("nearest", std::string(*near))}},
             span);
        return;
    }
    Warn(findings, line, Message{"K204", {keyArgument}}, span);
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
         Message{"K201",
                 {Plain("byte", lead), Plain("code_page", std::to_string(codePage.id)),
                  Quoted("joined", std::string(line.text))}},
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
