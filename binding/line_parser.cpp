#include "line_parser.h"

#include <algorithm>
#include <array>

#include "line_scanner.h"
#include "value_decoding.h"

namespace kio::binding {
namespace {

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

// Each byte is judged alone, even under a double-byte code page.
template <typename Predicate>
bool EveryByte(std::string_view text, Predicate isInClass) {
    return std::all_of(text.begin(), text.end(),
                       [&](char byte) { return isInClass(static_cast<uint8_t>(byte)); });
}

// At least one character must follow the prefix: "0x" alone is no number.
bool IsHexValue(std::string_view text, const CodePage& codePage) {
    return text.size() > 2 && StartsWithHexPrefix(text) &&
           EveryByte(text.substr(2), [&](uint8_t byte) { return codePage.IsAlphaNumeric(byte); });
}

}  // namespace

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
    // The scanner's own cut, so that a line reads the same alone as in a file.
    const auto cut = [&](const auto& characters) {
        const ScannedLine scanned = line_scanner::CutLine(line, 0, equals, line.size(), characters);
        keyText = scanned.key;
        valueText = scanned.value;
    };
    if (codePage.hasLeadBytes) {
        cut(line_scanner::DoubleByteCharacters{codePage});
    } else {
        cut(line_scanner::SingleByteCharacters{});
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
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): the table's -1 means "not a digit".
        const int digit = value_decoding::kHexDigitValues[static_cast<uint8_t>(valueText[i])];
        if (digit < 0) {
            break;
        }
        reading.value = (reading.value << 4) | static_cast<uint32_t>(digit);
        ++reading.digitCount;
    }
    return reading;
}

bool HasHexPrefix(std::string_view text) { return StartsWithHexPrefix(text); }

int32_t DecodeValue(std::string_view valueText, const CodePage& codePage) {
    // Of the value classes only Hex decodes differently: digits, letters and
    // anything else are all looked up as a key name, so "5" is the key "5",
    // never the number five.
    return DecodeValueText(valueText, codePage);
}

}  // namespace kio::binding
