#include "line_numbers.h"

#include <algorithm>

namespace kio::analysis {

LineNumbers::LineNumbers(std::string_view bytes) {
    lineStarts_.push_back(0);
    // The next CR and the next LF, each searched for again only once passed:
    // memchr's pace through long lines, and one pass over the file in all.
    constexpr size_t kNone = std::string_view::npos;
    size_t cr = bytes.find('\r');
    size_t lf = bytes.find('\n');
    while (cr != kNone || lf != kNone) {
        const size_t lineBreak = std::min(cr, lf);
        const size_t next = lineBreak + LineBreakLength(bytes, lineBreak);
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
    return next >= 2 && LineBreakLength(bytes, next - 2) == 2 ? next - 2 : next - 1;
}

int LineNumbers::LineOf(size_t offset) const {
    const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    return static_cast<int>(after - lineStarts_.begin());
}

}  // namespace kio::analysis
