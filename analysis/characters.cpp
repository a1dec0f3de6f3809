#include "characters.h"

#include <algorithm>
#include <bit>
#include <cstdio>

#include "byte_search.h"
#include "line_parser.h"
#include "nearest_name.h"
#include "vocabulary.h"

namespace kio::analysis {
namespace {

bool IsWhiteCharacter(std::string_view text, size_t position, size_t length) {
    return length == 1 && kio::binding::IsWhiteSpace(static_cast<uint8_t>(text[position]));
}

// Where the first 64 bytes begin that hold a byte at or below ' ', the highest
// white space; where fewer than 64 are left when none do. The bytes of four
// blocks are at or below it when their least is.
size_t SkipPastControlAndSpace([[maybe_unused]] std::string_view text) {
    size_t i = 0;
#if defined(__SSE2__)
    constexpr size_t kStep = 4 * kio::binding::kBlockSize;
    const auto load = [&text](size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
    };
    const __m128i space = _mm_set1_epi8(' ');
    for (; text.size() - i >= kStep; i += kStep) {
        const __m128i least =
            _mm_min_epu8(_mm_min_epu8(load(i), load(i + kio::binding::kBlockSize)),
                         _mm_min_epu8(load(i + 2 * kio::binding::kBlockSize),
                                      load(i + 3 * kio::binding::kBlockSize)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(least, space), least)) != 0) {
            break;
        }
    }
#endif
    return i;
}

// Sixty-four bytes a step past those without white space, then the loader's
// block masks, sixteen a step: a long value is where the time goes.
size_t FirstWhiteSpaceByte(std::string_view text) {
    size_t i = SkipPastControlAndSpace(text);
    for (; text.size() - i >= kio::binding::kBlockSize; i += kio::binding::kBlockSize) {
        const uint32_t mask = kio::binding::MatchMask(text.data() + i, '\t', '\n', '\v') |
                              kio::binding::MatchMask(text.data() + i, '\f', '\r', ' ');
        if (mask != 0) {
            return i + static_cast<size_t>(std::countr_zero(mask));
        }
    }
    for (; i < text.size(); ++i) {
        if (kio::binding::IsWhiteSpace(static_cast<uint8_t>(text[i]))) {
            return i;
        }
    }
    return text.size();
}

}  // namespace

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

bool IsDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<uint32_t> DecimalValue(std::string_view digits) {
    if (digits.size() > 10 || std::stoull(std::string(digits)) > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(std::stoull(std::string(digits)));
}

std::string_view TrimEndCharacters(std::string_view text, const kio::binding::CodePage& codePage) {
    // Every byte a character: the white space at the end is all there is to read.
    if (!codePage.hasLeadBytes) {
        size_t end = text.size();
        while (end > 0 && kio::binding::IsWhiteSpace(static_cast<uint8_t>(text[end - 1]))) {
            --end;
        }
        return text.substr(0, end);
    }
    size_t end = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t length = codePage.CharacterLength(text, i);
        if (!IsWhiteCharacter(text, i, length)) {
            end = i + length;
        }
        i += length;
    }
    return text.substr(0, end);
}

std::string_view TrimCharacters(std::string_view text, const kio::binding::CodePage& codePage) {
    size_t start = 0;
    while (start < text.size() && kio::binding::IsWhiteSpace(static_cast<uint8_t>(text[start]))) {
        ++start;  // white space is never a lead byte, so this is a character boundary
    }
    return TrimEndCharacters(text.substr(start), codePage);
}

size_t FirstWhiteSpaceCharacter(std::string_view text, const kio::binding::CodePage& codePage) {
    if (!codePage.hasLeadBytes) {
        return FirstWhiteSpaceByte(text);
    }
    for (size_t i = 0; i < text.size();) {
        const size_t length = codePage.CharacterLength(text, i);
        if (IsWhiteCharacter(text, i, length)) {
            return i;
        }
        i += length;
    }
    return text.size();
}

std::optional<std::string> SureValue(std::string_view text, int entry,
                                     const kio::binding::CodePage& codePage) {
    if (text.empty() || text.back() == ';') {
        return std::nullopt;
    }
    if (kio::binding::HasHexPrefix(text)) {
        const size_t digits = kio::binding::ReadHexValue(text).digitCount;
        const bool whole =
            kio::binding::ClassifyValue(text, codePage) == kio::binding::ValueClass::Hex &&
            digits >= 1 && digits <= 8 && digits + 2 == text.size();
        return whole ? std::optional<std::string>(text) : std::nullopt;
    }
    const bool padBinding = entry % 2 == 1;
    if (padBinding && text.size() == 1 && text[0] >= '0' && text[0] <= '9') {
        return std::nullopt;
    }
    std::string lower = AsciiLower(text);
    if (!kio::binding::FindKeyCode(lower)) {
        return std::nullopt;
    }
    return lower;
}

}  // namespace kio::analysis
