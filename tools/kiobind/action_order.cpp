#include "action_order.h"

#include <vector>

namespace kio::kiobind {
namespace {

bool IsSeparator(char c) { return c == ',' || c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::optional<ActionList> ParseActionList(std::string_view text, size_t& nameCount) {
    std::vector<std::string_view> names;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsSeparator(text[i])) {
            ++i;
        }
        const size_t start = i;
        while (i < text.size() && !IsSeparator(text[i])) {
            ++i;
        }
        if (i > start) {
            names.push_back(text.substr(start, i - start));
        }
    }
    nameCount = names.size();
    if (names.size() != kio::binding::kActionCount) {
        return std::nullopt;
    }
    ActionList list;
    for (size_t j = 0; j < names.size(); ++j) {
        list[j] = std::string(names[j]);
    }
    return list;
}

}  // namespace kio::kiobind
