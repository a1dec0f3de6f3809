#include "edit_request.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "characters.h"
#include "line_parser.h"
#include "nearest_name.h"
#include "vocabulary.h"

namespace kio::edit {
namespace {

// Longer texts get no suggestion: nothing that long is a typo of a short name.
constexpr size_t kLongestSuggestable = 32;
constexpr size_t kSuggestions = 3;

bool IsHexDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

kio::messages::Message NotAKeyName(std::string_view value, const std::string& lower) {
    kio::messages::Message refusal{"E105", {kio::messages::Quoted("value", std::string(value))}};
    if (lower.size() > kLongestSuggestable) {
        return refusal;
    }
    std::vector<std::pair<size_t, std::string>> ranked;
    ranked.reserve(kio::binding::kKeyNames.size());
    for (const kio::binding::KeyName& key : kio::binding::kKeyNames) {
        ranked.emplace_back(kio::analysis::EditDistance(lower, key.name),
                            kio::analysis::AsciiLower(key.name));
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    static_assert(kSuggestions == 3, "the message names three key names");
    refusal.key = "E105.near";
    size_t rank = 0;
    for (const char* place : {"first", "second", "third"}) {
        refusal.arguments.push_back(kio::messages::Plain(place, ranked[rank++].second));
    }
    return refusal;
}

}  // namespace

ParsedText ParseBinding(std::string_view binding, const kio::binding::CodePage& codePage,
                        int& entry) {
    if (const std::optional<int> found = kio::binding::FindBindingEntry(binding, codePage)) {
        entry = *found;
        return {std::string(kio::binding::BindingName(*found)), {}};
    }
    const kio::messages::MessageArgument named =
        kio::messages::Quoted("binding", std::string(binding));
    std::array<std::string_view, kio::binding::kBindingCount> names;
    for (int e = 0; e < kio::binding::kBindingCount; ++e) {
        names[static_cast<size_t>(e)] = kio::binding::BindingName(e);
    }
    const std::optional<std::string_view> near =
        binding.size() > kLongestSuggestable
            ? std::nullopt
            : kio::analysis::NearestName(binding, names,
                                         [](std::string_view name) { return name; });
    if (near) {
        return {"", {"E101.near", {named, kio::messages::Quoted("nearest", std::string(*near))}}};
    }
    return {"", {"E101", {named}}};
}

ParsedText ParseValue(std::string_view value, int entry) {
    const std::string lower = kio::analysis::AsciiLower(value);
    const bool padBinding = entry % 2 == 1;
    const bool keyName = kio::binding::FindKeyCode(lower).has_value();
    if (kio::analysis::IsDigits(value) && (padBinding || !keyName)) {
        kio::messages::Message refusal{"E102",
                                       {kio::messages::Quoted("value", std::string(value))}};
        if (const std::optional<uint32_t> number = kio::analysis::DecimalValue(value)) {
            refusal.key = "E102.hex";
            refusal.arguments.push_back(kio::messages::HexNumber("number", *number));
            refusal.arguments.push_back(kio::messages::Plain("decimal", std::string(value)));
        }
        return {"", std::move(refusal)};
    }
    if (keyName) {
        return {lower, {}};
    }
    if (value.size() >= 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        const std::string_view digits = value.substr(2);
        if (!digits.empty() && digits.size() <= 8 && IsHexDigits(digits)) {
            return {std::string(value), {}};
        }
        return {"", {"E103", {kio::messages::Quoted("value", std::string(value))}}};
    }
    if (value.empty()) {
        return {"", {"E104", {}}};
    }
    return {"", NotAKeyName(value, lower)};
}

SetRequest ParseSetRequest(std::string_view binding, std::string_view value,
                           const kio::binding::CodePage& codePage) {
    SetRequest request;
    ParsedText name = ParseBinding(binding, codePage, request.entry);
    if (name.text.empty()) {
        request.refusal = std::move(name.refusal);
        return request;
    }
    ParsedText parsed = ParseValue(value, request.entry);
    if (parsed.text.empty()) {
        request.refusal = std::move(parsed.refusal);
        return request;
    }
    request.binding = std::move(name.text);
    request.value = std::move(parsed.text);
    request.decoded = kio::binding::DecodeValue(request.value, codePage);
    return request;
}

}  // namespace kio::edit
