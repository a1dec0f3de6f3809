// The 32 bytes from the start of a line, read once as bit masks, and the cut of
// a line that ends within them made from the masks alone: a typical line of a
// binding file is some twenty bytes, so its break, its "=" and the breaks after
// it come from one read instead of a search each.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "byte_search.h"
#include "code_page.h"
#include "kio_assert.h"

namespace kio::binding {

inline constexpr size_t kLineWindowSize = 32;

// Bit i of each mask says what byte i from the window's start is. Bits from
// `known` on are clear: those bytes are past the text.
struct LineWindow {
    uint32_t breaks = 0;  // CR or LF
    uint32_t equals = 0;  // "=", exact up to its lowest bit: only a line's first one counts
    uint32_t high = 0;    // from 0x80 up
    unsigned known = 0;
};

namespace line_window {

// Masks of 16 bytes, in the low bits.
struct BlockMasks {
    uint32_t breaks;
    uint32_t equals;
    uint32_t high;
};

#if defined(__SSE2__)
KIO_ALWAYS_INLINE BlockMasks ReadBlock(const char* bytes) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('\r')),
                                        _mm_cmpeq_epi8(block, _mm_set1_epi8('\n')));
    return BlockMasks{
        static_cast<uint32_t>(_mm_movemask_epi8(breaks)),
        static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8('=')))),
        static_cast<uint32_t>(_mm_movemask_epi8(block)),
    };
}
#else
inline BlockMasks ReadBlock(const char* bytes) {
    BlockMasks masks{};
    for (size_t i = 0; i < kBlockSize; ++i) {
        const auto byte = static_cast<uint8_t>(bytes[i]);
        const uint32_t bit = uint32_t{1} << i;
        masks.breaks |= (byte == '\r' || byte == '\n') ? bit : 0;
        masks.equals |= byte == '=' ? bit : 0;
        masks.high |= byte >= 0x80 ? bit : 0;
    }
    return masks;
}
#endif

// The window of exactly kLineWindowSize bytes at `bytes`.
KIO_ALWAYS_INLINE LineWindow ReadWhole(const char* bytes) {
    static_assert(kLineWindowSize == 2 * kBlockSize, "a window is read as two blocks");
    const BlockMasks first = ReadBlock(bytes);
    const BlockMasks second = ReadBlock(bytes + kBlockSize);
    // Past the first "=" the mask is not needed, so the second block's are
    // only looked for when the first block has none.
    const uint32_t equals = first.equals != 0 ? first.equals : second.equals << 16;
    return LineWindow{first.breaks | (second.breaks << 16), equals,
                      first.high | (second.high << 16), static_cast<unsigned>(kLineWindowSize)};
}

// Where the windows read straight from the text end: from there on, fewer
// than kLineWindowSize bytes are left.
inline size_t WholeWindowsEnd(std::string_view text) {
    return text.size() < kLineWindowSize ? 0 : text.size() - kLineWindowSize + 1;
}

// The window at `from`, which is inside the text; from `wholeWindowsEnd` on,
// the last bytes are read from a copy, so that nothing past the text is read.
KIO_ALWAYS_INLINE LineWindow Read(std::string_view text, size_t from, size_t wholeWindowsEnd) {
    if (from < wholeWindowsEnd) {
        return ReadWhole(text.data() + from);
    }
    KIO_ASSERT(from < text.size());
    const size_t left = text.size() - from;
    KIO_ASSERT(left < kLineWindowSize);
    char padded[kLineWindowSize] = {};
    std::memcpy(padded, text.data() + from, left);
    LineWindow window = ReadWhole(padded);
    window.known = static_cast<unsigned>(left);
    return window;
}

}  // namespace line_window

// A line cut from a window; positions are offsets from the window's start.
struct WindowedLine {
    unsigned end = 0;   // its break
    unsigned next = 0;  // the first byte after the breaks that follow it
    bool hasEquals = false;
    unsigned equals = 0;
};

enum class WindowCut {
    kCut,
    kNoBreak,    // the line's break is not among the known bytes
    kHighBytes,  // cut, but a byte from 0x80 up may have paired with the next one
};

// Finds the break, the first "=" and the breaks that follow, of the line that
// starts the window; it must not start with a break. `next` is at most `known`.
// When `bytesMayPair`, a byte from 0x80 up before the break may start a
// character of two bytes; then only stepping by characters tells whether the
// bytes found are characters of their own, and the cut is kHighBytes.
KIO_ALWAYS_INLINE WindowCut CutWindowedLine(const LineWindow& window, bool bytesMayPair,
                                            WindowedLine& line) {
    if (window.breaks == 0) {
        return WindowCut::kNoBreak;
    }
    KIO_ASSERT((window.breaks & 1) == 0);
    line.end = static_cast<unsigned>(std::countr_zero(window.breaks));
    // The line's bytes and its break: no "=" or byte from 0x80 up is a break.
    const uint32_t throughBreak = window.breaks ^ (window.breaks - 1);
    // The first byte that is neither in the line nor a break. Widened before
    // the complement, the bits past the window are set, so there always is one.
    line.next = static_cast<unsigned>(std::countr_zero(~uint64_t{window.breaks | throughBreak}));
    KIO_ASSERT(line.end < line.next && line.next <= window.known);
    const uint32_t equals = window.equals & throughBreak;
    line.hasEquals = equals != 0;
    line.equals = static_cast<unsigned>(std::countr_zero(equals));
    return bytesMayPair && (window.high & throughBreak) != 0 ? WindowCut::kHighBytes
                                                             : WindowCut::kCut;
}

}  // namespace kio::binding
