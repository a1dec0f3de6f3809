#include "edit_request.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#include "nearest_name.h"
#include "quoting.h"
#include "vocabulary.h"

namespace kioedit {
namespace {

// Longer texts get no suggestion: nothing that long is a typo of a short name.
constexpr size_t kLongestSuggestable = 32;
constexpr size_t kSuggestions = 3;

bool IsDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
}

bool IsHexDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

std::string NearestKeyNames(const std::string& lower) {
    if (lower.size() > kLongestSuggestable) {
        return "";
    }
    std::vector<std::pair<size_t, std::string>> ranked;
    for (const kio::KeyName& key : kio::kKeyNames) {
        ranked.emplace_back(kiobind::EditDistance(lower, key.name),
                            kiobind::AsciiLower(key.name));
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string list;
    for (size_t i = 0; i < kSuggestions; ++i) {
        list += (i == 0 ? "" : i + 1 == kSuggestions ? " or " : ", ") + ranked[i].second;
    }
    return "; the nearest key names are " + list;
}

}  // namespace

ParsedText ParseBinding(std::string_view binding, const kio::CodePage& codePage, int& entry) {
    if (const std::optional<int> found = kio::FindBindingEntry(binding, codePage)) {
        entry = *found;
        return {std::string(kio::BindingName(*found)), ""};
    }
    std::string refusal = kiobind::Quote(binding) + " names no binding";
    std::array<std::string_view, kio::kBindingCount> names;
    for (int e = 0; e < kio::kBindingCount; ++e) {
        names[e] = kio::BindingName(e);
    }
    const std::optional<std::string_view> near =
        binding.size() > kLongestSuggestable
            ? std::nullopt
            : kiobind::NearestName(binding, names, [](std::string_view name) { return name; });
    refusal += near ? "; did you mean " + kiobind::Quote(*near) + "?"
                    : "; binding names are KB_ or PAD_ followed by an action name";
    return {"", std::move(refusal)};
}

ParsedText ParseValue(std::string_view value, int entry) {
    const std::string lower = kiobind::AsciiLower(value);
    const bool padBinding = entry % 2 == 1;
    const bool keyName = kio::FindKeyCode(lower).has_value();
    if (IsDigits(value) && (padBinding || !keyName)) {
        std::string refusal = kiobind::Quote(value) +
                              " is a decimal number, and the game reads numbers only in "
                              "hexadecimal";
        if (value.size() <= 10 && std::stoull(std::string(value)) <= 0xFFFFFFFFull) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%llX", std::stoull(std::string(value)));
            refusal += std::string("; write ") + hex + " for the number " + std::string(value);
        }
        return {"", std::move(refusal)};
    }
    if (keyName) {
        return {lower, ""};
    }
    if (value.size() >= 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        const std::string_view digits = value.substr(2);
        if (!digits.empty() && digits.size() <= 8 && IsHexDigits(digits)) {
            return {std::string(value), ""};
        }
        return {"", kiobind::Quote(value) +
                        " is not a number the game reads: write 0x and 1 to 8 hexadecimal "
                        "digits (0-9, a-f)"};
    }
    if (value.empty()) {
        return {"", "no value given: write a key name or 0x and a hexadecimal number"};
    }
    return {"", kiobind::Quote(value) + " is not a key name" + NearestKeyNames(lower)};
}

}  // namespace kioedit
