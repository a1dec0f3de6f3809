// The decoding of a value text into the number the game receives, inline for
// the loop over the lines: a hexadecimal number is checked and read in one pass.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "always_inline.h"
#include "code_page.h"
#include "name_lookup.h"

namespace kio::binding {
namespace value_decoding {

// The value of each byte as a hexadecimal digit, -1 for every other byte.
inline constexpr auto kHexDigitValues = [] {
    std::array<int8_t, 256> values{};
    values.fill(-1);
    for (size_t b = 0; b < 10; ++b) {
        values['0' + b] = static_cast<int8_t>(b);
    }
    for (size_t b = 0; b < 6; ++b) {
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

// Eight digit values, one a byte, the first the most significant, joined into
// one number: pairs of digits into bytes, bytes into 16-bit halves, halves into
// the value.
constexpr uint32_t JoinEightDigitValues(uint64_t word) {
    word = ((word << 4) | (word >> 8)) & 0x00FF00FF00FF00FF;
    word = ((word << 8) | (word >> 16)) & 0x0000FFFF0000FFFF;
    return static_cast<uint32_t>((word << 16) | (word >> 32));
}

#if defined(__SSE2__)
// JoinEightDigitValues for digit values in the low eight bytes of a register,
// by multiply-adds: digits times (16, 1) into bytes, bytes times (256, 1) into
// the two halves, which a shuffle puts side by side.
KIO_ALWAYS_INLINE uint32_t JoinEightDigitValues(__m128i digitValues) {
    const __m128i digits = _mm_unpacklo_epi8(digitValues, _mm_setzero_si128());
    const __m128i bytes = _mm_madd_epi16(digits, _mm_set1_epi32(0x00010010));
    const __m128i halves =
        _mm_madd_epi16(_mm_packs_epi32(bytes, bytes), _mm_set1_epi32(0x00010100));
    return static_cast<uint32_t>(
        _mm_cvtsi128_si32(_mm_shufflelo_epi16(halves, _MM_SHUFFLE(3, 3, 0, 2))));
}
#endif

// Reads eight bytes as eight hexadecimal digits, the first the most
// significant, when every one of them is a digit.
#if defined(__SSE2__)
KIO_ALWAYS_INLINE bool ReadEightHexDigits(const char* digits, uint32_t& value) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(digits));
    // "0" to "9" less "0", and "a" to "f" (either case) less "a", are the only
    // bytes that come out at most 9 and at most 5, as unsigned bytes.
    const __m128i decimal = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
    const __m128i letter =
        _mm_sub_epi8(_mm_or_si128(bytes, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isDecimal = _mm_cmpeq_epi8(_mm_min_epu8(decimal, _mm_set1_epi8(9)), decimal);
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(5)), letter);
    if ((_mm_movemask_epi8(_mm_or_si128(isDecimal, isLetter)) & 0xFF) != 0xFF) {
        return false;
    }
    const __m128i digitValues =
        _mm_or_si128(_mm_and_si128(isDecimal, decimal),
                     _mm_and_si128(isLetter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
    value = JoinEightDigitValues(digitValues);
    return true;
}
#else
KIO_ALWAYS_INLINE bool ReadEightHexDigits(const char* digits, uint32_t& value) {
    uint64_t bytes;
    std::memcpy(&bytes, digits, sizeof bytes);
    const uint64_t decimal = BytesBetween(bytes, '0' - 1, '9' + 1);
    const uint64_t letter = BytesBetween(bytes | (0x20 * kOnes), 'a' - 1, 'f' + 1);
    if ((decimal | letter) != kHighBits) {
        return false;
    }
    // Each byte's digit value: its low four bits, plus 9 for "a" to "f".
    value = JoinEightDigitValues((bytes & (0x0F * kOnes)) + (letter >> 7) * 9);
    return true;
}
#endif

}  // namespace value_decoding

// Whether the text starts with "0x" or "0X".
KIO_ALWAYS_INLINE bool StartsWithHexPrefix(std::string_view text) {
    if (text.size() < 2) {
        return false;
    }
    // Both bytes as one little-endian word; bit 0x20 of "X" makes it "x".
    uint16_t prefix;
    std::memcpy(&prefix, text.data(), sizeof prefix);
    return (prefix | 0x2000) == ('0' | ('x' << 8));
}

namespace value_decoding {

// ReadCheckedHexDigits a byte at a time, for any number of digits.
inline uint32_t ReadCheckedHexDigitsSlowly(std::string_view digits, const CodePage& codePage) {
    uint32_t value = 0;
    size_t i = 0;
    for (; i < digits.size(); ++i) {
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): the table's -1 means "not a digit".
        const int digit = kHexDigitValues[static_cast<uint8_t>(digits[i])];
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

}  // namespace value_decoding

// The number the digits after "0x" give: the run of hexadecimal digits from the
// start, read as "%x" reads it (bits past bit 31 are lost), provided every byte
// is a letter or a digit under the code page, each byte judged alone; else 0.
// Eight digits, as the options screen writes them, are read as one word.
KIO_ALWAYS_INLINE uint32_t ReadCheckedHexDigits(std::string_view digits, const CodePage& codePage) {
    uint32_t value = 0;
    if (digits.size() == 8 && value_decoding::ReadEightHexDigits(digits.data(), value)) {
        return value;
    }
    return value_decoding::ReadCheckedHexDigitsSlowly(digits, codePage);
}

// The value the game receives for a value text: the number after "0x", else
// the code of the key name the text spells exactly; 0 when nothing decodes.
// "0x" with nothing after it is no number, and no key name either.
KIO_ALWAYS_INLINE int32_t DecodeValueText(std::string_view valueText, const CodePage& codePage) {
    if (StartsWithHexPrefix(valueText)) {
        return static_cast<int32_t>(ReadCheckedHexDigits(valueText.substr(2), codePage));
    }
    return FindKeyCodeOrZero(valueText);
}

// The value of a value text not yet trimmed, when it tells without trimming:
// eight hexadecimal digits after "0x", or a key name spelled exactly. Neither
// starts or ends with white space, so the trimmed text would read the same.
KIO_ALWAYS_INLINE bool DecodeUntrimmedValue(std::string_view valueText, int32_t& value) {
    if (StartsWithHexPrefix(valueText)) {
        uint32_t number = 0;
        if (valueText.size() != 10 ||
            !value_decoding::ReadEightHexDigits(valueText.data() + 2, number)) {
            return false;
        }
        value = static_cast<int32_t>(number);
        return true;
    }
    value = name_lookup::kKeyNameIndex.FindValue(valueText);
    return value >= 0;
}

}  // namespace kio::binding
