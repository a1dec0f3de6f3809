#include "line_parser.h"

#include <algorithm>

#include "vocabulary.h"

namespace kio {
namespace {

// Trims white space at both ends, stepping over double-byte characters whole so
// that neither their bytes nor a trail byte are ever taken for white space.
std::string_view TrimWhiteSpace(std::string_view text, const CodePage& codePage) {
    if (!codePage.hasLeadBytes) {
        // Every character is one byte: trim from each end without walking the middle.
        size_t first = 0;
        size_t end = text.size();
        while (first < end && IsWhiteSpace(static_cast<uint8_t>(text[first]))) {
            ++first;
        }
        while (end > first && IsWhiteSpace(static_cast<uint8_t>(text[end - 1]))) {
            --end;
        }
        return first < end ? text.substr(first, end - first) : std::string_view{};
    }
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

int HexDigitValue(char byte) {
    if (byte >= '0' && byte <= '9') return byte - '0';
    if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
    if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
    return -1;
}

}  // namespace

bool SplitBindingLine(std::string_view line, const CodePage& codePage, std::string_view& keyText,
                      std::string_view& valueText) {
    const size_t equals = FindEqualsSign(line, codePage);
    if (equals == std::string_view::npos) {
        return false;
    }
    keyText = TrimWhiteSpace(line.substr(0, equals), codePage);
    valueText = TrimWhiteSpace(line.substr(equals + 1), codePage);
    // One final ";" goes, and nothing is trimmed after it.
    if (!valueText.empty() && valueText.back() == ';') {
        valueText.remove_suffix(1);
    }
    return true;
}

ValueClass ClassifyValue(std::string_view valueText, const CodePage& codePage) {
    // Each byte is judged alone, even under a double-byte code page.
    const auto everyByte = [](std::string_view text, auto isInClass) {
        return std::all_of(text.begin(), text.end(),
                           [&](char byte) { return isInClass(static_cast<uint8_t>(byte)); });
    };
    const bool hexPrefix =
        valueText.size() > 2 && valueText[0] == '0' && (valueText[1] == 'x' || valueText[1] == 'X');
    if (hexPrefix && everyByte(valueText.substr(2),
                               [&](uint8_t byte) { return codePage.IsAlphaNumeric(byte); })) {
        return ValueClass::Hex;
    }
    if (everyByte(valueText, [](uint8_t byte) { return byte >= '0' && byte <= '9'; })) {
        return ValueClass::Digits;
    }
    if (everyByte(valueText, [&](uint8_t byte) { return codePage.IsAlpha(byte); })) {
        return ValueClass::Letters;
    }
    return ValueClass::Other;
}

HexReading ReadHexValue(std::string_view valueText) {
    HexReading reading;
    for (size_t i = 2; i < valueText.size(); ++i) {
        const int digit = HexDigitValue(valueText[i]);
        if (digit < 0) {
            break;
        }
        reading.value = (reading.value << 4) | static_cast<uint32_t>(digit);
        ++reading.digitCount;
    }
    return reading;
}

int32_t DecodeValue(std::string_view valueText, const CodePage& codePage) {
    if (ClassifyValue(valueText, codePage) == ValueClass::Hex) {
        return static_cast<int32_t>(ReadHexValue(valueText).value);
    }
    // Digits, letters and anything else are all looked up as a key name, so "5"
    // is the key "5", never the number five.
    return FindKeyCode(valueText).value_or(0);
}

}  // namespace kio
