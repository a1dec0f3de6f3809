// Comparisons of short names (up to 24 bytes) in a few overlapping machine-word
// reads instead of a byte loop or a call into the C runtime: the loader compares
// a name or two for every line of a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "always_inline.h"

namespace kio {

inline constexpr size_t kLongestComparedName = 24;

namespace name_compare {

template <typename Word>
Word Load(const char* bytes) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Whether matches(textPart, namePart) holds for parts that together cover the n
// bytes: 8-byte words at 0, 8 and n - 8, 4-byte words at 0 and n - 4, or bytes at
// 0, n / 2 and n - 1. Each part is read only within the n bytes.
template <typename Matches>
KIO_ALWAYS_INLINE bool AllParts(const char* text, const char* name, size_t n, Matches matches) {
    if (n >= 8) {
        const bool middle = n <= 16 || matches(Load<uint64_t>(text + 8), Load<uint64_t>(name + 8));
        return middle && matches(Load<uint64_t>(text), Load<uint64_t>(name)) &&
               matches(Load<uint64_t>(text + n - 8), Load<uint64_t>(name + n - 8));
    }
    if (n >= 4) {
        return matches(Load<uint32_t>(text), Load<uint32_t>(name)) &&
               matches(Load<uint32_t>(text + n - 4), Load<uint32_t>(name + n - 4));
    }
    return n == 0 || (matches(Load<uint8_t>(text), Load<uint8_t>(name)) &&
                      matches(Load<uint8_t>(text + n / 2), Load<uint8_t>(name + n / 2)) &&
                      matches(Load<uint8_t>(text + n - 1), Load<uint8_t>(name + n - 1)));
}

}  // namespace name_compare

// Whether the n bytes (n <= kLongestComparedName) at `text` and `name` are equal.
KIO_ALWAYS_INLINE bool EqualNames(const char* text, const char* name, size_t n) {
    return name_compare::AllParts(text, name, n, [](auto t, auto m) { return t == m; });
}

// Whether the n bytes at `text` spell `name`, a name of lower-case ASCII letters
// and "_", with ASCII capitals taken as their lower case. Bit 0x20 is what makes
// a capital lower case, and it is set in the letters of `name` but not in "_".
KIO_ALWAYS_INLINE bool EqualNamesFoldingAsciiCase(const char* text, const char* name, size_t n) {
    return name_compare::AllParts(text, name, n, [](auto t, auto m) {
        using Word = decltype(m);
        const auto caseBits = static_cast<Word>(static_cast<Word>(~Word{0}) / 0xFF * 0x20);
        return static_cast<Word>(t | (m & caseBits)) == m;
    });
}

}  // namespace kio
