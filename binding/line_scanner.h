// The one pass over a binding file that finds its lines, the "=" of each, and
// the key and value texts on either side of it, already trimmed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "byte_search.h"
#include "code_page.h"
#include "kio_assert.h"
#include "line_parser.h"
#include "line_window.h"

namespace kio::binding {

// A non-empty line, the offset of its first "=" (npos when it has none), and
// when it has one, the texts before and after it: each trimmed of white space at
// both ends, the value then without one final ";". A line cut from the window
// may hand its parts over as cut instead (`partsAsCut`): every byte of such a
// line is a character of its own, and Trimmed() finishes the cut. The loader
// looks such parts up as they stand first, since a name never starts or ends
// with white space; most lines then need no trimming at all.
struct ScannedLine {
    std::string_view text;
    size_t equals = std::string_view::npos;
    std::string_view key{};
    std::string_view value{};
    bool partsAsCut = false;
};

namespace line_scanner {

inline bool IsWhiteSpaceByte(char byte) { return IsWhiteSpace(static_cast<uint8_t>(byte)); }
inline bool IsHighByte(char byte) { return static_cast<uint8_t>(byte) >= 0x80; }

// Where every character is one byte: sixteen bytes at a time, and white space
// is trimmed from each end without looking at the middle.
struct SingleByteCharacters {
    static constexpr bool kBytesMayPair = false;

    KIO_ALWAYS_INLINE size_t Find(std::string_view text, size_t from, char a, char b,
                                  char c) const {
        return FindFirstOf(text, from, a, b, c);
    }

    bool StartsCharacter(std::string_view, size_t, size_t) const { return true; }

    KIO_ALWAYS_INLINE size_t TrimEnd(std::string_view text, size_t first, size_t end) const {
        while (end > first && IsWhiteSpaceByte(text[end - 1])) {
            --end;
        }
        return end;
    }
};

// Under a double-byte code page. The bytes sought are never lead bytes, so a
// byte found is where a character starts unless a lead byte that starts a
// character stands right before it. Counting the lead bytes back to the last
// byte that is none (or to `from`) tells: an odd count means the byte found is
// the second byte of a character. Lines without a lead byte before their breaks
// are searched sixteen bytes at a time, never a character at a time. Positions
// passed in must be where characters start.
struct DoubleByteCharacters {
    static constexpr bool kBytesMayPair = true;
    const CodePage& codePage;

    KIO_ALWAYS_INLINE size_t Find(std::string_view text, size_t from, char a, char b,
                                  char c) const {
        for (;;) {
            const size_t found = FindFirstOf(text, from, a, b, c);
            if (found == text.size() || StartsCharacter(text, from, found)) {
                return found;
            }
            from = found + 1;
        }
    }

    // Whether the byte at `at` starts a character, given that the one at `from` does.
    bool StartsCharacter(std::string_view text, size_t from, size_t at) const {
        KIO_ASSERT(from <= at && at <= text.size());
        size_t leadBytes = 0;
        while (at - leadBytes > from &&
               codePage.IsLeadByte(static_cast<uint8_t>(text[at - leadBytes - 1]))) {
            ++leadBytes;
        }
        return leadBytes % 2 == 0;
    }

    // A white-space byte after a byte from 0x80 up may be the second byte of a
    // character; only then are the characters of the text counted out.
    size_t TrimEnd(std::string_view text, size_t first, size_t end) const {
        while (end > first && IsWhiteSpaceByte(text[end - 1])) {
            if (end - first >= 2 && IsHighByte(text[end - 2])) {
                return TrimEndByCharacters(text.substr(0, end), first);
            }
            --end;
        }
        return end;
    }

    // The end of the last character from `first` on that is not white space; a
    // double-byte character never is, and a lead byte at the end stands alone.
    size_t TrimEndByCharacters(std::string_view text, size_t first) const {
        size_t kept = first;
        for (size_t i = first; i < text.size();) {
            const size_t length = codePage.CharacterLength(text, i);
            if (length == 2 || !IsWhiteSpaceByte(text[i])) {
                kept = i + length;
            }
            i += length;
        }
        return kept;
    }
};

inline size_t SkipLineBreaks(std::string_view text, size_t from) {
    while (from < text.size() && IsLineBreak(text[from])) {
        ++from;
    }
    return from;
}

// Bytes [first, end) of `text` without white space at either end. White space
// is single-byte, so leading white space is plain bytes under any code page.
template <typename Characters>
KIO_ALWAYS_INLINE std::string_view Trim(std::string_view text, size_t first, size_t end,
                                        const Characters& characters) {
    while (first < end && IsWhiteSpaceByte(text[first])) {
        ++first;
    }
    end = characters.TrimEnd(text, first, end);
    return first < end ? std::string_view(text.data() + first, end - first) : std::string_view{};
}

// One final ";" goes, and nothing is trimmed after it.
inline std::string_view WithoutFinalSemicolon(std::string_view value) {
    if (!value.empty() && value.back() == ';') {
        value.remove_suffix(1);
    }
    return value;
}

// The line [start, end) of `text`, cut at the "=" at `equals`.
template <typename Characters>
KIO_ALWAYS_INLINE ScannedLine CutLine(std::string_view text, size_t start, size_t equals,
                                      size_t end, const Characters& characters) {
    KIO_ASSERT(start <= equals && equals < end && end <= text.size());
    return ScannedLine{std::string_view(text.data() + start, end - start), equals - start,
                       Trim(text, start, equals, characters),
                       WithoutFinalSemicolon(Trim(text, equals + 1, end, characters))};
}

// The line cut from a window starting at `start`, as a ScannedLine with its
// parts as cut.
KIO_ALWAYS_INLINE ScannedLine FromWindow(const char* start, const WindowedLine& line) {
    ScannedLine scanned{std::string_view(start, line.end)};
    if (line.hasEquals) {
        scanned.equals = line.equals;
        scanned.key = std::string_view(start, line.equals);
        scanned.value = std::string_view(start + line.equals + 1, line.end - line.equals - 1);
        scanned.partsAsCut = true;
    }
    return scanned;
}

// The key of a line with its parts as cut, trimmed.
KIO_ALWAYS_INLINE std::string_view TrimmedKey(const ScannedLine& line) {
    return Trim(line.key, 0, line.key.size(), SingleByteCharacters{});
}

// The value of a line with its parts as cut, trimmed and without one final ";".
KIO_ALWAYS_INLINE std::string_view TrimmedValue(const ScannedLine& line) {
    return WithoutFinalSemicolon(Trim(line.value, 0, line.value.size(), SingleByteCharacters{}));
}

// The line at `start`, found character by character where need be; `end` is
// set to where it ends.
template <typename Characters>
ScannedLine CutLineStepping(std::string_view text, size_t start, const Characters& characters,
                            size_t& end) {
    const size_t stop = characters.Find(text, start, '\r', '\n', '=');
    if (stop == text.size() || text[stop] != '=') {
        end = stop;
        return ScannedLine{std::string_view(text.data() + start, stop - start)};
    }
    end = characters.Find(text, stop + 1, '\r', '\n', '\n');
    return CutLine(text, start, stop, end, characters);
}

// Each line is cut from the window of masks at its start when it ends within
// it, and stepped through otherwise; onLine is called from one place so that it
// is inlined once.
template <typename Characters, typename OnLine>
void ScanWith(std::string_view text, const Characters& characters, OnLine& onLine) {
    // CR and LF are single-byte characters, so a line starts after them.
    size_t start = SkipLineBreaks(text, 0);
    const size_t wholeWindowsEnd = line_window::WholeWindowsEnd(text);
    while (start != text.size()) {
        const LineWindow window = line_window::Read(text, start, wholeWindowsEnd);
        WindowedLine windowed;
        const WindowCut cut = CutWindowedLine(window, Characters::kBytesMayPair, windowed);
        // A line with a byte that may pair is still cut here when it has no "="
        // byte at all and its break starts a character.
        const bool cutFromWindow = cut == WindowCut::kCut ||
                                   (cut == WindowCut::kHighBytes && !windowed.hasEquals &&
                                    characters.StartsCharacter(text, start, start + windowed.end));
        ScannedLine scanned;
        if (cutFromWindow) {
            scanned = FromWindow(text.data() + start, windowed);
            start = windowed.next < window.known ? start + windowed.next
                                                 : SkipLineBreaks(text, start + windowed.next);
        } else {
            size_t end = 0;
            scanned = CutLineStepping(text, start, characters, end);
            start = SkipLineBreaks(text, end);
        }
        onLine(scanned);
    }
}

}  // namespace line_scanner

// The line with its parts trimmed, however it was cut.
inline ScannedLine Trimmed(const ScannedLine& line) {
    if (!line.partsAsCut) {
        return line;
    }
    return ScannedLine{line.text, line.equals, line_scanner::TrimmedKey(line),
                       line_scanner::TrimmedValue(line)};
}

// Calls onLine(ScannedLine) for each non-empty line of the text, in order, cut
// as SplitBindingLine cuts it, in one pass. CR, LF and "=" count only where a
// character starts, so neither is the second byte of a double-byte character.
template <typename OnLine>
void ScanBindingLines(std::string_view text, const CodePage& codePage, OnLine&& onLine) {
    if (codePage.hasLeadBytes) {
        line_scanner::ScanWith(text, line_scanner::DoubleByteCharacters{codePage}, onLine);
    } else {
        line_scanner::ScanWith(text, line_scanner::SingleByteCharacters{}, onLine);
    }
}

}  // namespace kio::binding
