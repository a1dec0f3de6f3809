#include "line_numbers.h"

#include <algorithm>

namespace kiobind {

LineNumbers::LineNumbers(std::string_view bytes) {
    lineStarts_.push_back(0);
    // The next CR and the next LF, each searched for again only once passed:
    // memchr's pace through long lines, and one pass over the file in all.
    constexpr size_t kNone = std::string_view::npos;
    size_t cr = bytes.find('\r');
    size_t lf = bytes.find('\n');
    while (cr != kNone || lf != kNone) {
        const size_t lineBreak = std::min(cr, lf);
        const bool crLf = lineBreak == cr && lf == cr + 1;
        const size_t next = lineBreak + (crLf ? 2 : 1);
        lineStarts_.push_back(next);
        if (cr < next) {
            cr = bytes.find('\r', next);
        }
        if (lf < next) {
            lf = bytes.find('\n', next);
        }
    }
}

size_t LineNumbers::LineEnd(std::string_view bytes, int line) const {
    if (line >= LastLine()) {
        return bytes.size();
    }
    // Every CR right before an LF is half of one CR LF break.
    const size_t next = LineStart(line + 1);
    const bool crLf = next >= 2 && bytes[next - 2] == '\r' && bytes[next - 1] == '\n';
    return next - (crLf ? 2 : 1);
}

int LineNumbers::LineOf(size_t offset) const {
    const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    return static_cast<int>(after - lineStarts_.begin());
}

}  // namespace kiobind
