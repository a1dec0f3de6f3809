#include "encoding_findings.h"

#include <string>

#include "characters.h"
#include "line_findings.h"
#include "line_parser.h"
#include "vocabulary.h"

namespace kiobind {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Enough pairs to tell UTF-16 text from a stray NUL.
constexpr size_t kSampledPairs = 128;
constexpr size_t kFewestPairs = 2;

bool IsBlankOrNul(char c) {
    return c == '\0' || kio::IsWhiteSpace(static_cast<uint8_t>(c));
}

// The bytes of the marks at the start of `text`: a mark written twice is read
// as part of the key just as one is, and all of them go in one fix.
size_t LeadingMarksSize(std::string_view text) {
    size_t size = 0;
    while (text.substr(size).starts_with(kUtf8Bom)) {
        size += kUtf8Bom.size();
    }
    return size;
}

}  // namespace

std::optional<std::string_view> DetectUtf16(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) {
        return "little-endian";
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return "big-endian";
    }
    const size_t pairs = std::min(bytes.size() / 2, kSampledPairs);
    if (pairs < kFewestPairs) {
        return std::nullopt;
    }
    size_t little = 0;
    size_t big = 0;
    for (size_t i = 0; i < pairs; ++i) {
        const char first = bytes[2 * i];
        const char second = bytes[2 * i + 1];
        little += (first != '\0' && second == '\0') ? 1 : 0;
        big += (first == '\0' && second != '\0') ? 1 : 0;
    }
    // ASCII text in UTF-16 has a NUL in every pair.
    if (little * 4 >= pairs * 3) {
        return "little-endian";
    }
    if (big * 4 >= pairs * 3) {
        return "big-endian";
    }
    return std::nullopt;
}

bool StartsWithUtf8Bom(std::string_view bytes) {
    return bytes.starts_with(kUtf8Bom);
}

bool HasUtf16ByteOrderMark(std::string_view bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

Finding Utf16Finding(std::string_view byteOrder, std::string_view bytes) {
    const size_t mark = HasUtf16ByteOrderMark(bytes) ? 2 : 0;
    return {1, Severity::Warning,
            Message{byteOrder == "big-endian" ? "K101.big" : "K101.little", {}}, {0, mark}};
}

std::optional<Finding> NulFinding(const FileAnalysis& analysis) {
    if (!analysis.nulOffset) {
        return std::nullopt;
    }
    const size_t nul = *analysis.nulOffset;
    const int line = analysis.lineNumbers.LineOf(nul);
    const std::string_view rest = analysis.bytes.substr(nul);
    size_t lastText = rest.size();
    while (lastText > 0 && IsBlankOrNul(rest[lastText - 1])) {
        --lastText;
    }
    if (lastText == 0) {
        return Finding{line, Severity::Note, Message{"K103", {}}, {nul, 1}};
    }
    const int lastLine = analysis.lineNumbers.LineOf(nul + lastText - 1);
    Message message = lastLine == line
                          ? Message{"K102.line", {}}
                          : Message{"K102.through", {Plain("last_line", std::to_string(lastLine))}};
    return Finding{line, Severity::Warning, std::move(message), {nul, 1}};
}

void CheckLineAfterBom(const AnalysedLine& line, const kio::CodePage& codePage,
                       std::vector<Finding>& findings) {
    const size_t marks = LeadingMarksSize(line.text);
    AnalysedLine withoutBom =
        AnalyseLine(kio::CutBindingLine(line.text.substr(marks), codePage), codePage);
    withoutBom.number = line.number;
    withoutBom.offset = line.offset + marks;
    const ByteSpan bom{line.offset, marks};
    if (withoutBom.entry) {
        // Without the mark the line binds again: sure only when its value reads
        // one way, lowered on the way where it needs that.
        std::optional<Fix> removeBom;
        if (const std::optional<std::string> sure =
                SureValue(withoutBom.valueText, *withoutBom.entry, codePage);
            sure && !withoutBom.valueText.empty()) {
            const size_t valueStart =
                static_cast<size_t>(withoutBom.valueText.data() - line.text.data());
            const size_t valueEnd = valueStart + withoutBom.valueText.size();
            std::string replacement(line.text.substr(marks, valueStart - marks));
            replacement += *sure;
            removeBom = Fix{FixKind::RemoveUtf8Bom, line.offset, valueEnd, std::move(replacement),
                            *withoutBom.entry, kio::DecodeValue(*sure, codePage)};
        }
        findings.push_back({line.number, Severity::Warning,
                            Message{"K104", {Quoted("key", std::string(withoutBom.keyText))}}, bom,
                            std::move(removeBom)});
        return;
    }
    const Fix removeBom{FixKind::RemoveUtf8Bom, 0, marks, "", std::nullopt, 0};
    findings.push_back({line.number, Severity::Note, Message{"K105", {}}, bom, removeBom});
    CheckLine(withoutBom, codePage, findings);
}

}  // namespace kiobind
