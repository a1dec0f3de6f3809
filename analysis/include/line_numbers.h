// Line numbers as a text editor shows them, for any byte offset of a file.
//
// The game ends a line at any run of CR and LF bytes, so it never needs to
// count them; a player's editor does. Here a CR LF pair is one line break, and
// every other CR or LF is one break of its own: LF CR therefore counts as two
// (an LF, then a lone CR), as editors that honour lone CRs show it. A CR or LF
// counts even after a lead byte of a double-byte code page: the game then
// joins two lines, but an editor shows two, and the numbers are for the editor.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "line_parser.h"

namespace kio::analysis {

using kio::binding::IsLineBreak;

// Bytes of the line break starting at `offset` of `bytes`: 2 for CR LF, 1 for
// any other CR or LF, 0 where none starts (`offset` may be the size).
inline size_t LineBreakLength(std::string_view bytes, size_t offset) {
    if (offset >= bytes.size() || !IsLineBreak(bytes[offset])) {
        return 0;
    }
    return bytes.substr(offset).starts_with("\r\n") ? 2 : 1;
}

class LineNumbers {
public:
    explicit LineNumbers(std::string_view bytes);

    // 1-based number of the line holding the byte at `offset`.
    int LineOf(size_t offset) const;
    // Offset of the first byte of line `line` (1-based, at most LastLine()).
    size_t LineStart(int line) const { return lineStarts_[static_cast<size_t>(line - 1)]; }
    // Offset of the break that ends line `line` in `bytes`, the bytes counted;
    // the size of `bytes` for the last line.
    size_t LineEnd(std::string_view bytes, int line) const;
    // 1-based number of the last line, the one after the last break.
    int LastLine() const { return static_cast<int>(lineStarts_.size()); }

private:
    std::vector<size_t> lineStarts_;
};

}  // namespace kio::analysis
