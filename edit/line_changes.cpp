#include "line_changes.h"

#include <algorithm>

namespace kio::edit {
namespace {

std::string_view LineText(std::string_view bytes, const kio::analysis::LineNumbers& lines,
                          int line) {
    const size_t start = lines.LineStart(line);
    return bytes.substr(start, lines.LineEnd(bytes, line) - start);
}

}  // namespace

std::vector<std::string_view> EditorLines(std::string_view bytes) {
    const kio::analysis::LineNumbers lines(bytes);
    std::vector<std::string_view> texts;
    for (int line = 1; line <= lines.LastLine(); ++line) {
        // A file ending in a line break has no empty last line here.
        if (line < lines.LastLine() || lines.LineStart(line) < bytes.size()) {
            texts.push_back(LineText(bytes, lines, line));
        }
    }
    return texts;
}

std::string_view LineAround(std::string_view bytes, const kio::analysis::LineNumbers& lines,
                            size_t offset) {
    return LineText(bytes, lines, lines.LineOf(std::min(offset, bytes.size())));
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
                                {kio::messages::Plain("after", std::string(is)),
                                 kio::messages::Plain("before", std::string(was))}}});
        }
    }
    return changes;
}

}  // namespace kio::edit
