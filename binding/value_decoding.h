// The decoding of a value text into the number the game receives, inline for
// the loop over the lines: a hexadecimal number is checked and read in one pass.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "code_page.h"
#include "name_lookup.h"

namespace kio {
namespace value_decoding {

// The value of each byte as a hexadecimal digit, -1 for every other byte.
inline constexpr auto kHexDigitValues = [] {
    std::array<int8_t, 256> values{};
    values.fill(-1);
    for (int b = 0; b < 10; ++b) values['0' + b] = static_cast<int8_t>(b);
    for (int b = 0; b < 6; ++b) {
        values['a' + b] = static_cast<int8_t>(10 + b);
        values['A' + b] = static_cast<int8_t>(10 + b);
    }
    return values;
}();

inline constexpr uint64_t kOnes = 0x0101010101010101;
inline constexpr uint64_t kHighBits = 0x80 * kOnes;

// Bit 7 of each byte of `bytes` that lies strictly between `low` and `high`
// (low <= 127, high <= 128), every byte judged alone.
constexpr uint64_t BytesBetween(uint64_t bytes, uint64_t low, uint64_t high) {
    const uint64_t lowSeven = bytes & (0x7F * kOnes);
    return (kOnes * (127 + high) - lowSeven) & ~bytes & (lowSeven + kOnes * (127 - low)) &
           kHighBits;
}

// Reads eight bytes as eight hexadecimal digits, the first the most
// significant, when every one of them is a digit.
inline bool ReadEightHexDigits(const char* digits, uint32_t& value) {
    uint64_t bytes;
    std::memcpy(&bytes, digits, sizeof bytes);
    const uint64_t decimal = BytesBetween(bytes, '0' - 1, '9' + 1);
    const uint64_t letter = BytesBetween(bytes | (0x20 * kOnes), 'a' - 1, 'f' + 1);
    if ((decimal | letter) != kHighBits) {
        return false;
    }
    // Each byte's digit value: its low four bits, plus 9 for "a" to "f".
    uint64_t word = (bytes & (0x0F * kOnes)) + (letter >> 7) * 9;
    // Pairs of digits into bytes, bytes into 16-bit halves, halves into the value.
    word = ((word << 4) | (word >> 8)) & 0x00FF00FF00FF00FF;
    word = ((word << 8) | (word >> 16)) & 0x0000FFFF0000FFFF;
    value = static_cast<uint32_t>((word << 16) | (word >> 32));
    return true;
}

}  // namespace value_decoding

// Whether the text starts with "0x" or "0X".
inline bool HasHexPrefix(std::string_view text) {
    return text.size() >= 2 && text[0] == '0' && (text[1] | 0x20) == 'x';
}

// The number the digits after "0x" give: the run of hexadecimal digits from the
// start, read as "%x" reads it (bits past bit 31 are lost), provided every byte
// is a letter or a digit under the code page, each byte judged alone; else 0.
inline uint32_t ReadCheckedHexDigits(std::string_view digits, const CodePage& codePage) {
    uint32_t value = 0;
    if (digits.size() == 8 && value_decoding::ReadEightHexDigits(digits.data(), value)) {
        return value;
    }
    size_t i = 0;
    for (; i < digits.size(); ++i) {
        const int digit = value_decoding::kHexDigitValues[static_cast<uint8_t>(digits[i])];
        if (digit < 0) {
            break;
        }
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    for (; i < digits.size(); ++i) {
        if (!codePage.IsAlphaNumeric(static_cast<uint8_t>(digits[i]))) {
            return 0;
        }
    }
    return value;
}

// The value the game receives for a value text: the number after "0x", else
// the code of the key name the text spells exactly; 0 when nothing decodes.
// "0x" with nothing after it is no number, and no key name either.
inline int32_t DecodeValueText(std::string_view valueText, const CodePage& codePage) {
    if (HasHexPrefix(valueText)) {
        return static_cast<int32_t>(ReadCheckedHexDigits(valueText.substr(2), codePage));
    }
    return FindKeyCodeOrZero(valueText);
}

}  // namespace kio
