#include "line_changes.h"

#include <algorithm>

#include "quoting.h"

namespace kioedit {
namespace {

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

}  // namespace

std::vector<std::string_view> EditorLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size();) {
        if (!IsLineBreak(bytes[i])) {
            ++i;
            continue;
        }
        lines.push_back(bytes.substr(start, i - start));
        i += (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < bytes.size()) {
        lines.push_back(bytes.substr(start));
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
    for (size_t i = 0; i < std::min(old.size(), now.size()); ++i) {
        if (old[i] != now[i]) {
            changes.push_back({static_cast<int>(i + 1), false, std::string(old[i]),
                               std::string(now[i]),
                               kiobind::Printable(now[i]) + " (was " +
                                   kiobind::Printable(old[i]) + ")"});
        }
    }
    return changes;
}

}  // namespace kioedit
