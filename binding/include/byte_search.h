// Byte searches sixteen bytes at a time, with SSE2 where the target has it,
// rather than the C runtime's memchr and strlen, which are byte loops in some
// runtimes the library meets (Wine's among them).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "always_inline.h"
#include "kio_assert.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kio::binding {

inline constexpr size_t kBlockSize = 16;

// Bit i is set when bytes[i] equals a, b or c; reads exactly kBlockSize bytes.
KIO_ALWAYS_INLINE uint32_t MatchMask(const char* bytes, char a, char b, char c) {
#if defined(__SSE2__)
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i matchesA = _mm_cmpeq_epi8(block, _mm_set1_epi8(a));
    const __m128i matchesB = _mm_cmpeq_epi8(block, _mm_set1_epi8(b));
    const __m128i matchesC = _mm_cmpeq_epi8(block, _mm_set1_epi8(c));
    return static_cast<uint32_t>(
        _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(matchesA, matchesB), matchesC)));
#else
    uint32_t mask = 0;
    for (size_t i = 0; i < kBlockSize; ++i) {
        mask |= (bytes[i] == a || bytes[i] == b || bytes[i] == c) ? uint32_t{1} << i : 0;
    }
    return mask;
#endif
}

// FindFirstOf past its first block.
inline size_t FindFirstOfFar(std::string_view text, size_t from, char a, char b, char c) {
    KIO_ASSERT(from <= text.size());
    for (; text.size() - from >= kBlockSize; from += kBlockSize) {
        if (const uint32_t mask = MatchMask(text.data() + from, a, b, c); mask != 0) {
            return from + static_cast<size_t>(std::countr_zero(mask));
        }
    }
    const size_t left = text.size() - from;
    if (left == 0) {
        return text.size();
    }
    uint32_t mask = 0;
    if (text.size() >= kBlockSize) {
        // The last block of the text, shifted so that bit 0 is the byte at `from`.
        mask = MatchMask(text.data() + text.size() - kBlockSize, a, b, c) >> (kBlockSize - left);
    } else {
        char block[kBlockSize] = {};
        for (size_t i = 0; i < left; ++i) {
            block[i] = text[from + i];
        }
        mask = MatchMask(block, a, b, c) & ((uint32_t{1} << left) - 1);
    }
    return mask != 0 ? from + static_cast<size_t>(std::countr_zero(mask)) : text.size();
}

// The offset of the first byte at or after `from` that equals a, b or c, or
// the text's size when there is none. Reads only within the text. The first
// block is looked at in line: a line of a binding file is short.
KIO_ALWAYS_INLINE size_t FindFirstOf(std::string_view text, size_t from, char a, char b, char c) {
    KIO_ASSERT(from <= text.size());
    if (text.size() - from >= kBlockSize) {
        if (const uint32_t mask = MatchMask(text.data() + from, a, b, c); mask != 0) {
            return from + static_cast<size_t>(std::countr_zero(mask));
        }
        from += kBlockSize;
    }
    return FindFirstOfFar(text, from, a, b, c);
}

// The offset of the first NUL among the `size` bytes at `bytes`, or `size`.
// The whole file is searched before its lines are, so 64 bytes are looked at
// per step: a NUL in any of four blocks makes their bytewise minimum zero.
inline size_t FindNul(const char* bytes, size_t size) {
    size_t from = 0;
#if defined(__SSE2__)
    constexpr size_t kStep = 4 * kBlockSize;
    const auto load = [bytes](size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    };
    for (; size - from >= kStep; from += kStep) {
        const __m128i least =
            _mm_min_epu8(_mm_min_epu8(load(from), load(from + kBlockSize)),
                         _mm_min_epu8(load(from + 2 * kBlockSize), load(from + 3 * kBlockSize)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(least, _mm_setzero_si128())) != 0) {
            break;
        }
    }
#endif
    return FindFirstOf(std::string_view(bytes, size), from, '\0', '\0', '\0');
}

}  // namespace kio::binding
