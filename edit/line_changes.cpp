#include "line_changes.h"

#include <algorithm>

#include "line_numbers.h"

namespace kioedit {

using kiobind::IsLineBreak;

std::vector<std::string_view> EditorLines(std::string_view bytes) {
    const kiobind::LineNumbers numbers(bytes);
    std::vector<std::string_view> lines;
    for (int line = 1; line <= numbers.LastLine(); ++line) {
        const size_t start = numbers.LineStart(line);
        if (line == numbers.LastLine()) {
            if (start < bytes.size()) {  // a last line without a break
                lines.push_back(bytes.substr(start));
            }
            break;
        }
        std::string_view text = bytes.substr(start, numbers.LineStart(line + 1) - start);
        text.remove_suffix(text.ends_with("\r\n") ? 2 : 1);
        lines.push_back(text);
    }
    return lines;
}

std::string_view LineAround(std::string_view bytes, size_t offset) {
    size_t start = std::min(offset, bytes.size());
    while (start > 0 && !IsLineBreak(bytes[start - 1])) {
        --start;
    }
    size_t end = start;
    while (end < bytes.size() && !IsLineBreak(bytes[end])) {
        ++end;
    }
    return bytes.substr(start, end - start);
}

std::vector<LineChange> ChangedLines(std::string_view before, std::string_view after) {
    const std::vector<std::string_view> old = EditorLines(before);
    const std::vector<std::string_view> now = EditorLines(after);
    std::vector<LineChange> changes;
    // A last line that lost all its bytes is an empty line here.
    for (size_t i = 0; i < std::max(old.size(), now.size()); ++i) {
        const std::string_view was = i < old.size() ? old[i] : std::string_view();
        const std::string_view is = i < now.size() ? now[i] : std::string_view();
        if (was != is) {
            changes.push_back({static_cast<int>(i + 1),
                               false,
                               std::string(was),
                               std::string(is),
                               {"change.line",
                                {kiobind::Plain("after", std::string(is)),
                                 kiobind::Plain("before", std::string(was))}}});
        }
    }
    return changes;
}

}  // namespace kioedit
