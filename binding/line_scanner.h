// The one pass over a binding file that finds its lines and the "=" of each.
#pragma once

#include <cstddef>
#include <string_view>

#include "byte_search.h"
#include "code_page.h"

namespace kio {

// A non-empty line and the offset of its first "=" (npos when it has none).
struct ScannedLine {
    std::string_view text;
    size_t equals = std::string_view::npos;
};

namespace line_scanner {

// Where every character is one byte: sixteen bytes at a time.
struct FindInBlocks {
    size_t operator()(std::string_view text, size_t from, char a, char b, char c) const {
        return FindFirstOf(text, from, a, b, c);
    }
};

// Under a double-byte code page: a character at a time, so that the second byte
// of a character is never taken for one of the bytes sought. `from` must be
// where a character starts.
struct FindInCharacters {
    const CodePage& codePage;

    size_t operator()(std::string_view text, size_t from, char a, char b, char c) const {
        while (from < text.size() && text[from] != a && text[from] != b && text[from] != c) {
            from += codePage.CharacterLength(text, from);
        }
        return from;
    }
};

inline bool IsLineBreak(char byte) { return byte == '\r' || byte == '\n'; }

template <typename Find, typename OnLine>
void ScanWith(std::string_view text, Find find, OnLine& onLine) {
    size_t start = 0;
    for (;;) {
        // CR and LF are single-byte characters, so a line starts after them.
        while (start < text.size() && IsLineBreak(text[start])) {
            ++start;
        }
        if (start == text.size()) {
            return;
        }
        size_t end = find(text, start, '\r', '\n', '=');
        size_t equals = std::string_view::npos;
        if (end < text.size() && text[end] == '=') {
            equals = end - start;
            end = find(text, end + 1, '\r', '\n', '\n');  // a line break only
        }
        onLine(ScannedLine{std::string_view(text.data() + start, end - start), equals});
        start = end;
    }
}

}  // namespace line_scanner

// Calls onLine(ScannedLine) for each line SplitBindingLines yields, in order,
// with the "=" SplitBindingLine would cut it at, finding both in one pass. CR, LF
// and "=" count only where a character starts.
template <typename OnLine>
void ScanBindingLines(std::string_view text, const CodePage& codePage, OnLine&& onLine) {
    if (codePage.hasLeadBytes) {
        line_scanner::ScanWith(text, line_scanner::FindInCharacters{codePage}, onLine);
    } else {
        line_scanner::ScanWith(text, line_scanner::FindInBlocks{}, onLine);
    }
}

}  // namespace kio
