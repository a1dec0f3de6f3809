#include "line_parser.h"

#include <algorithm>
#include <array>

#include "vocabulary.h"

namespace kio {
namespace {

// Trims white space at both ends, stepping over double-byte characters whole so
// that neither their bytes nor a trail byte are ever taken for white space.
// Every character is one byte: trim from each end without walking the middle.
std::string_view TrimSingleByteWhiteSpace(std::string_view text) {
    size_t first = 0;
    size_t end = text.size();
    while (first < end && IsWhiteSpace(static_cast<uint8_t>(text[first]))) {
        ++first;
    }
    while (end > first && IsWhiteSpace(static_cast<uint8_t>(text[end - 1]))) {
        --end;
    }
    return first < end ? std::string_view(text.data() + first, end - first) : std::string_view{};
}

std::string_view TrimDoubleByteWhiteSpace(std::string_view text, const CodePage& codePage) {
    size_t first = text.size();
    size_t end = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t length = codePage.CharacterLength(text, i);
        if (length == 2 || !IsWhiteSpace(static_cast<uint8_t>(text[i]))) {
            first = std::min(first, i);
            end = i + length;
        }
        i += length;
    }
    return first < end ? text.substr(first, end - first) : std::string_view{};
}

std::string_view TrimWhiteSpace(std::string_view text, const CodePage& codePage) {
    return codePage.hasLeadBytes ? TrimDoubleByteWhiteSpace(text, codePage)
                                 : TrimSingleByteWhiteSpace(text);
}

size_t FindEqualsSign(std::string_view line, const CodePage& codePage) {
    if (!codePage.hasLeadBytes) {
        return line.find('=');
    }
    for (size_t i = 0; i < line.size(); i += codePage.CharacterLength(line, i)) {
        if (line[i] == '=') {
            return i;
        }
    }
    return std::string_view::npos;
}

// The value of each byte as a hexadecimal digit, -1 for every other byte.
constexpr auto kHexDigitValues = [] {
    std::array<int8_t, 256> values{};
    values.fill(-1);
    for (int b = 0; b < 10; ++b) values['0' + b] = static_cast<int8_t>(b);
    for (int b = 0; b < 6; ++b) {
        values['a' + b] = static_cast<int8_t>(10 + b);
        values['A' + b] = static_cast<int8_t>(10 + b);
    }
    return values;
}();

// Each byte is judged alone, even under a double-byte code page.
template <typename Predicate>
bool EveryByte(std::string_view text, Predicate isInClass) {
    return std::all_of(text.begin(), text.end(),
                       [&](char byte) { return isInClass(static_cast<uint8_t>(byte)); });
}

// At least one character must follow the prefix: "0x" alone is no number.
bool IsHexValue(std::string_view text, const CodePage& codePage) {
    return text.size() > 2 && HasHexPrefix(text) &&
           EveryByte(text.substr(2), [&](uint8_t byte) { return codePage.IsAlphaNumeric(byte); });
}

}  // namespace

bool HasHexPrefix(std::string_view text) {
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

bool SplitBindingLine(std::string_view line, const CodePage& codePage, std::string_view& keyText,
                      std::string_view& valueText) {
    const size_t equals = FindEqualsSign(line, codePage);
    if (equals == std::string_view::npos) {
        return false;
    }
    SplitBindingLineAt(line, equals, codePage, keyText, valueText);
    return true;
}

void SplitBindingLineAt(std::string_view line, size_t equals, const CodePage& codePage,
                        std::string_view& keyText, std::string_view& valueText) {
    keyText = TrimWhiteSpace(std::string_view(line.data(), equals), codePage);
    valueText = TrimWhiteSpace(
        std::string_view(line.data() + equals + 1, line.size() - equals - 1), codePage);
    // One final ";" goes, and nothing is trimmed after it.
    if (!valueText.empty() && valueText.back() == ';') {
        valueText.remove_suffix(1);
    }
}

ValueClass ClassifyValue(std::string_view valueText, const CodePage& codePage) {
    if (IsHexValue(valueText, codePage)) {
        return ValueClass::Hex;
    }
    if (EveryByte(valueText, [](uint8_t byte) { return byte >= '0' && byte <= '9'; })) {
        return ValueClass::Digits;
    }
    if (EveryByte(valueText, [&](uint8_t byte) { return codePage.IsAlpha(byte); })) {
        return ValueClass::Letters;
    }
    return ValueClass::Other;
}

HexReading ReadHexValue(std::string_view valueText) {
    HexReading reading;
    for (size_t i = 2; i < valueText.size(); ++i) {
        const int digit = kHexDigitValues[static_cast<uint8_t>(valueText[i])];
        if (digit < 0) {
            break;
        }
        reading.value = (reading.value << 4) | static_cast<uint32_t>(digit);
        ++reading.digitCount;
    }
    return reading;
}

int32_t DecodeValue(std::string_view valueText, const CodePage& codePage) {
    // Of the value classes only Hex decodes differently: digits, letters and
    // anything else are all looked up as a key name, so "5" is the key "5",
    // never the number five.
    if (IsHexValue(valueText, codePage)) {
        return static_cast<int32_t>(ReadHexValue(valueText).value);
    }
    return FindKeyCode(valueText).value_or(0);
}

}  // namespace kio
