#include "line_numbers.h"

#include <algorithm>

namespace kiobind {

LineNumbers::LineNumbers(std::string_view bytes) {
    lineStarts_.push_back(0);
    for (size_t i = 0; i < bytes.size();) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            const bool crLf = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
            i += crLf ? 2 : 1;
            lineStarts_.push_back(i);
        } else {
            ++i;
        }
    }
}

int LineNumbers::LineOf(size_t offset) const {
    const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    return static_cast<int>(after - lineStarts_.begin());
}

}  // namespace kiobind
