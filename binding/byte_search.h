// Byte searches sixteen bytes at a time, with SSE2 where the target has it, so
// that the loader's passes over a file call nothing from the C runtime.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kio {

inline constexpr size_t kBlockSize = 16;

// Bit i is set when bytes[i] equals a, b or c; reads exactly kBlockSize bytes.
inline uint32_t MatchMask(const char* bytes, char a, char b, char c) {
#if defined(__SSE2__)
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i matches = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(a)), _mm_cmpeq_epi8(block, _mm_set1_epi8(b))),
        _mm_cmpeq_epi8(block, _mm_set1_epi8(c)));
    return static_cast<uint32_t>(_mm_movemask_epi8(matches));
#else
    uint32_t mask = 0;
    for (size_t i = 0; i < kBlockSize; ++i) {
        mask |= (bytes[i] == a || bytes[i] == b || bytes[i] == c) ? uint32_t{1} << i : 0;
    }
    return mask;
#endif
}

// As MatchMask, for the `size` bytes (fewer than kBlockSize) at `bytes`; the
// block is read only within them.
inline uint32_t MatchMaskOfTail(const char* bytes, size_t size, char a, char b, char c) {
    char block[kBlockSize] = {};
    for (size_t i = 0; i < size; ++i) {
        block[i] = bytes[i];
    }
    return MatchMask(block, a, b, c) & ((uint32_t{1} << size) - 1);
}

// The offset of the first byte at or after `from` that equals a, b or c, or
// the text's size when there is none.
inline size_t FindFirstOf(std::string_view text, size_t from, char a, char b, char c) {
    for (; text.size() - from >= kBlockSize; from += kBlockSize) {
        if (const uint32_t mask = MatchMask(text.data() + from, a, b, c); mask != 0) {
            return from + static_cast<size_t>(std::countr_zero(mask));
        }
    }
    if (from < text.size()) {
        if (const uint32_t mask = MatchMaskOfTail(text.data() + from, text.size() - from, a, b, c);
            mask != 0) {
            return from + static_cast<size_t>(std::countr_zero(mask));
        }
    }
    return text.size();
}

// The offset of the first NUL among the `size` bytes at `bytes`, or `size`.
inline size_t FindNul(const char* bytes, size_t size) {
    return FindFirstOf(std::string_view(bytes, size), 0, '\0', '\0', '\0');
}

}  // namespace kio
