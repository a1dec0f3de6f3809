// "Did you mean ...?": the closest of a set of names to a misspelt text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kio::analysis {

// Levenshtein distance with ASCII letters compared without regard to case.
size_t EditDistance(std::string_view a, std::string_view b);

// Equal but for the case of ASCII letters.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// The text with its ASCII capitals lowered, as a key name must be spelt.
std::string AsciiLower(std::string_view text);

// The most edits a suggestion may be away from the text.
inline constexpr size_t kMostEdits = 4;

// The name closest to `text`, when it is close enough to be a plausible typo:
// at most a third of the text's length away, and never less than 1 nor more
// than kMostEdits edits. Ties go to the earlier name.
template <typename Names, typename NameOf>
std::optional<std::string_view> NearestName(std::string_view text, const Names& names,
                                            NameOf nameOf) {
    const size_t limit =
        text.size() / 3 < 1 ? 1 : (text.size() / 3 > kMostEdits ? kMostEdits : text.size() / 3);
    std::optional<std::string_view> best;
    size_t bestDistance = limit + 1;
    for (const auto& item : names) {
        const std::string_view name = nameOf(item);
        // The distance is at least the difference in length, so a text of any
        // size costs no more than the names are long.
        const size_t lengthDifference =
            text.size() > name.size() ? text.size() - name.size() : name.size() - text.size();
        if (lengthDifference >= bestDistance) {
            continue;
        }
        const size_t distance = EditDistance(text, name);
        if (distance < bestDistance) {
            best = name;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace kio::analysis
