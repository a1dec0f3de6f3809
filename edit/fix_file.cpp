#include <algorithm>
#include <cstdio>
#include <utility>

#include "binding_edit.h"
#include "edit_outcome.h"
#include "encoding_findings.h"
#include "file_analysis.h"
#include "line_changes.h"

namespace kioedit {
namespace {

// Each pass applies every fix whose bytes no earlier fix of the pass touched;
// a line rarely needs more than three (byte-order mark, "=", key name case).
constexpr int kMaxPasses = 8;

std::string Utf8(char32_t c) {
    std::string text;
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    return text;
}

// "'é' (U+00E9)" and the line number, for the character starting at `unit`.
std::pair<std::string, int> DescribeCharacter(std::u16string_view text, size_t unit) {
    char32_t c = text[unit];
    const bool pair = c >= 0xD800 && c < 0xDC00 && unit + 1 < text.size() &&
                      text[unit + 1] >= 0xDC00 && text[unit + 1] < 0xE000;
    if (pair) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[unit + 1] - 0xDC00);
    }
    const bool printable = c >= 0x20 && c != 0x7F && !(c >= 0xD800 && c < 0xE000);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    int line = 1;
    for (size_t i = 0; i < unit; ++i) {
        const bool crLf = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
        line += (text[i] == u'\n' || (text[i] == u'\r' && !crLf)) ? 1 : 0;
    }
    return {printable ? "'" + Utf8(c) + "' (" + code + ")" : std::string(code), line};
}

// The UTF-16 text after the byte-order mark, in native code units.
std::optional<std::u16string> Utf16Units(std::string_view file) {
    const bool little = file.starts_with("\xFF\xFE");
    const std::string_view body = file.substr(2);
    if (body.size() % 2 != 0) {
        return std::nullopt;
    }
    std::u16string units(body.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        const auto first = static_cast<uint8_t>(body[2 * i]);
        const auto second = static_cast<uint8_t>(body[2 * i + 1]);
        units[i] = static_cast<char16_t>(little ? first | (second << 8) : (first << 8) | second);
    }
    return units;
}

// The ANSI text of a UTF-16 file, or the reason there is none.
EditOutcome ConvertFromUtf16(std::string_view file, const kio::CodePage& codePage,
                             Utf16ToCodePage toCodePage) {
    const kiobind::MessageArgument codePageArgument =
        kiobind::Plain("code_page", std::to_string(codePage.id));
    if (toCodePage == nullptr) {
        return Refusal({"E301", {codePageArgument}});
    }
    const std::optional<std::u16string> units = Utf16Units(file);
    if (!units) {
        return Refusal({"E302", {}});
    }
    Utf16Conversion converted = toCodePage(*units, codePage.id);
    if (!converted.ok) {
        const auto [character, line] = DescribeCharacter(*units, converted.failedUnit);
        return Refusal({"E303",
                        {kiobind::Verbatim("character", character),
                         kiobind::Plain("line", std::to_string(line)), codePageArgument}});
    }
    EditOutcome outcome;
    outcome.bytes = std::move(converted.bytes);
    return outcome;
}

// Applies the fixes of one pass; false when there was none to apply.
bool ApplyOnePass(std::string& text, const kio::CodePage& codePage) {
    std::vector<kiobind::Fix> fixes;
    {
        const kiobind::FileAnalysis analysis = kiobind::AnalyseFile(text, codePage);
        for (kiobind::Finding& finding : kiobind::CollectFindings(analysis, codePage)) {
            if (finding.fix && finding.fix->kind != kiobind::FixKind::ConvertUtf16) {
                fixes.push_back(std::move(*finding.fix));
            }
        }
    }
    if (fixes.empty()) {
        return false;
    }
    std::stable_sort(fixes.begin(), fixes.end(),
                     [](const auto& a, const auto& b) { return a.offset < b.offset; });
    std::string fixed;
    size_t copied = 0;
    bool first = true;
    size_t lastOffset = 0;
    for (const kiobind::Fix& fix : fixes) {
        // Two fixes of one spot wait for the next pass, which sees the first applied.
        if (fix.offset < copied || (!first && fix.offset == lastOffset)) {
            continue;
        }
        fixed.append(text, copied, fix.offset - copied).append(fix.replacement);
        copied = fix.offset + fix.length;
        lastOffset = fix.offset;
        first = false;
    }
    fixed.append(text, copied);
    text = std::move(fixed);
    return true;
}

FixOutcome Fix(std::string_view file, const kio::CodePage& codePage, Utf16ToCodePage toCodePage) {
    FixOutcome result;
    std::string base(file);
    if (kiobind::DetectUtf16(file) && kiobind::HasUtf16ByteOrderMark(file)) {
        EditOutcome converted = ConvertFromUtf16(file, codePage, toCodePage);
        if (converted.status != EditStatus::Ok) {
            result.edit = std::move(converted);
            return result;
        }
        base = std::move(converted.bytes);
        result.converted = base;
        result.convertedFrom =
            std::string("UTF-16 (") + (file.starts_with("\xFF\xFE") ? "little" : "big") +
            "-endian)";
    }
    std::string text = base;
    for (int pass = 0; pass < kMaxPasses && ApplyOnePass(text, codePage); ++pass) {
    }
    // No fix adds or removes a line break, so lines pair up one to one.
    if (kiobind::LineNumbers(base).LastLine() != kiobind::LineNumbers(text).LastLine()) {
        result.edit = Refusal({"E304", {}});
        return result;
    }
    result.edit.changes = ChangedLines(base, text);
    result.remaining =
        kiobind::CollectFindings(kiobind::AnalyseFile(text, codePage), codePage);
    result.edit.bytes = std::move(text);
    return result;
}

}  // namespace

FixOutcome FixFile(std::string_view file, const kio::CodePage& codePage,
                   Utf16ToCodePage toCodePage) {
    try {
        return Fix(file, codePage, toCodePage);
    } catch (...) {
        FixOutcome outcome;
        FailWithCurrentException(outcome.edit);
        outcome.remaining.clear();
        return outcome;
    }
}

}  // namespace kioedit
