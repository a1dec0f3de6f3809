#include "encoding_findings.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "byte_search.h"
#include "characters.h"
#include "line_findings.h"
#include "line_parser.h"
#include "vocabulary.h"

namespace kio::analysis {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Enough pairs to tell UTF-16 text from a stray NUL.
constexpr size_t kSampledPairs = 128;
constexpr size_t kFewestPairs = 2;

bool IsBlankOrNul(char c) {
    return c == '\0' || kio::binding::IsWhiteSpace(static_cast<uint8_t>(c));
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

std::optional<ByteOrder> DetectUtf16(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) {
        return ByteOrder::LittleEndian;
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return ByteOrder::BigEndian;
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
        return ByteOrder::LittleEndian;
    }
    if (big * 4 >= pairs * 3) {
        return ByteOrder::BigEndian;
    }
    return std::nullopt;
}

bool StartsWithUtf8Bom(std::string_view bytes) { return bytes.starts_with(kUtf8Bom); }

bool HasUtf16ByteOrderMark(std::string_view bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

Finding Utf16Finding(ByteOrder byteOrder, std::string_view bytes) {
    const size_t mark = HasUtf16ByteOrderMark(bytes) ? 2 : 0;
    return {1,
            messages::Message{byteOrder == ByteOrder::BigEndian ? "K101.big" : "K101.little", {}},
            {0, mark}};
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
        return Finding{line, messages::Message{"K103", {}}, {nul, 1}};
    }
    const int lastLine = analysis.lineNumbers.LineOf(nul + lastText - 1);
    messages::Message message =
        lastLine == line
            ? messages::Message{"K102.line", {}}
            : messages::Message{"K102.through",
                                {messages::Number("last_line", static_cast<uint64_t>(lastLine))}};
    return Finding{line, std::move(message), {nul, 1}};
}

namespace {

// The length of the valid UTF-8 sequence at `text[i]`, a byte from 0x80 up, or 0:
// no overlong form, no surrogate, nothing past U+10FFFF.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
    const auto at = [&](size_t k) { return static_cast<uint8_t>(text[i + k]); };
    const uint8_t lead = at(0);
    size_t length = 0;
    uint8_t low = 0x80;
    uint8_t high = 0xBF;  // the range of the byte after the lead
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || i + length > text.size() || at(1) < low || at(1) > high) {
        return 0;
    }
    for (size_t k = 2; k < length; ++k) {
        if (at(k) < 0x80 || at(k) > 0xBF) {
            return 0;
        }
    }
    return length;
}

// The first byte at or after `i` that is not ASCII, or the size. Sixty-four
// bytes a step where the target has SSE2, then eight: a binding file is mostly
// ASCII, and a line may be megabytes long.
size_t NextNonAscii(std::string_view text, size_t i) {
#if defined(__SSE2__)
    constexpr size_t kStep = 4 * kio::binding::kBlockSize;
    const auto load = [&text](size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
    };
    // A byte's high bit survives the OR of the four blocks it is in.
    for (; text.size() - i >= kStep; i += kStep) {
        const __m128i highBits =
            _mm_or_si128(_mm_or_si128(load(i), load(i + kio::binding::kBlockSize)),
                         _mm_or_si128(load(i + 2 * kio::binding::kBlockSize),
                                      load(i + 3 * kio::binding::kBlockSize)));
        if (_mm_movemask_epi8(highBits) != 0) {
            break;
        }
    }
#endif
    constexpr uint64_t kHighBits = 0x8080808080808080u;
    while (i + sizeof(uint64_t) <= text.size()) {
        uint64_t word = 0;
        std::memcpy(&word, text.data() + i, sizeof word);
        if ((word & kHighBits) != 0) {
            break;
        }
        i += sizeof word;
    }
    while (i < text.size() && static_cast<uint8_t>(text[i]) < 0x80) {
        ++i;
    }
    return i;
}

}  // namespace

std::optional<size_t> FirstUtf8Sequence(std::string_view text,
                                        const kio::binding::CodePage& codePage) {
    const size_t shortest = codePage.hasLeadBytes ? 3 : 2;
    std::optional<size_t> first;
    for (size_t i = NextNonAscii(text, 0); i < text.size(); i = NextNonAscii(text, i)) {
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            return std::nullopt;
        }
        if (!first && length >= shortest) {
            first = i;
        }
        i += length;
    }
    return first;
}

std::optional<Finding> Utf8Finding(const FileAnalysis& analysis,
                                   const kio::binding::CodePage& codePage) {
    const size_t marks = LeadingMarksSize(analysis.text);
    const std::optional<size_t> first = FirstUtf8Sequence(analysis.text.substr(marks), codePage);
    if (!first) {
        return std::nullopt;
    }
    const size_t offset = marks + *first;
    return Finding{analysis.lineNumbers.LineOf(offset),
                   messages::Message{"K106", {messages::Number("code_page", codePage.id)}},
                   {offset, Utf8SequenceLength(analysis.text, offset)}};
}

void CheckLineAfterBom(const AnalysedLine& line, const kio::binding::CodePage& codePage,
                       std::vector<Finding>& findings) {
    const size_t marks = LeadingMarksSize(line.text);
    AnalysedLine withoutBom =
        AnalyseLine(kio::binding::CutBindingLine(line.text.substr(marks), codePage), codePage);
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
            removeBom = Fix{FixKind::RemoveUtf8Bom,
                            line.offset,
                            valueEnd,
                            std::move(replacement),
                            *withoutBom.entry,
                            kio::binding::DecodeValue(*sure, codePage)};
        }
        findings.push_back(
            {line.number,
             messages::Message{"K104", {messages::Quoted("key", std::string(withoutBom.keyText))}},
             bom, std::move(removeBom)});
        return;
    }
    const Fix removeBom{FixKind::RemoveUtf8Bom, 0, marks, "", std::nullopt, 0};
    findings.push_back({line.number, messages::Message{"K105", {}}, bom, removeBom});
    CheckLine(withoutBom, codePage, findings);
}

}  // namespace kio::analysis
