#include <algorithm>
#include <vector>

#include "binding_edit.h"
#include "line_changes.h"
#include "quoting.h"

namespace kio::edit {
namespace {

constexpr size_t kContext = 3;

// Lines [aBegin, aEnd) of the old version became [bBegin, bEnd) of the new.
struct Block {
    size_t aBegin, aEnd, bBegin, bEnd;
};

// Where the versions differ. Lines are compared one to one where both have as
// many; otherwise everything between the common start and end is one block.
std::vector<Block> DifferingBlocks(const std::vector<std::string_view>& a,
                                   const std::vector<std::string_view>& b) {
    std::vector<Block> blocks;
    if (a.size() == b.size()) {
        for (size_t i = 0; i < a.size();) {
            if (a[i] == b[i]) {
                ++i;
                continue;
            }
            size_t end = i;
            while (end < a.size() && a[end] != b[end]) {
                ++end;
            }
            blocks.push_back({i, end, i, end});
            i = end;
        }
        return blocks;
    }
    size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix]) {
        ++prefix;
    }
    size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix]) {
        ++suffix;
    }
    blocks.push_back({prefix, a.size() - suffix, prefix, b.size() - suffix});
    return blocks;
}

// "3,4" as a hunk header gives a range; an empty range names the line before it.
std::string Range(size_t begin, size_t count) {
    return std::to_string(count == 0 ? begin : begin + 1) + "," + std::to_string(count);
}

}  // namespace

std::string UnifiedDiff(std::string_view before, std::string_view after, std::string_view name,
                        const DiffLineShower& show) {
    const auto shown = [&](std::string_view line) {
        return show ? show(line) : kio::analysis::Printable(line);
    };
    const std::vector<std::string_view> a = EditorLines(before);
    const std::vector<std::string_view> b = EditorLines(after);
    const std::vector<Block> blocks = DifferingBlocks(a, b);
    if (blocks.empty()) {
        return "";
    }
    std::string diff = "--- " + std::string(name) + "\n+++ " + std::string(name) + "\n";
    for (size_t first = 0; first < blocks.size();) {
        // Blocks closer than two contexts share one hunk.
        size_t last = first;
        while (last + 1 < blocks.size() &&
               blocks[last + 1].aBegin - blocks[last].aEnd <= 2 * kContext) {
            ++last;
        }
        const size_t lead = std::min(kContext, blocks[first].aBegin);
        const size_t aBegin = blocks[first].aBegin - lead;
        const size_t bBegin = blocks[first].bBegin - lead;
        const size_t aEnd = std::min(a.size(), blocks[last].aEnd + kContext);
        const size_t bEnd = blocks[last].bEnd + (aEnd - blocks[last].aEnd);
        diff +=
            "@@ -" + Range(aBegin, aEnd - aBegin) + " +" + Range(bBegin, bEnd - bBegin) + " @@\n";
        size_t line = aBegin;
        for (size_t i = first; i <= last; ++i) {
            const Block& block = blocks[i];
            for (; line < block.aBegin; ++line) {
                diff.append(" ").append(shown(a[line])).append("\n");
            }
            for (size_t k = block.aBegin; k < block.aEnd; ++k) {
                diff.append("-").append(shown(a[k])).append("\n");
            }
            for (size_t k = block.bBegin; k < block.bEnd; ++k) {
                diff.append("+").append(shown(b[k])).append("\n");
            }
            line = block.aEnd;
        }
        for (; line < aEnd; ++line) {
            diff.append(" ").append(shown(a[line])).append("\n");
        }
        first = last + 1;
    }
    return diff;
}

}  // namespace kio::edit
