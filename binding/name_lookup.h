// The lookups the loader makes for every line: a key text among the binding
// names, a value text among the key names. Inline, with their tables built at
// compile time, so that the loop over the lines has no call left in it.
#pragma once

#include <algorithm>
#include <array>
#include <string_view>

#include "code_page.h"
#include "perfect_hash.h"
#include "vocabulary_lists.h"

namespace kio::binding {
namespace name_lookup {

// Binding names in lower case, in action-table order: position = entry.
constexpr auto kBindingNames = [] {
    std::array<LowerName, kBindingCount> table{};
    for (int p = 0; p < kActionCount; ++p) {
        const auto at = static_cast<size_t>(p);
        table[2 * at] = MakeLowerName(kActions[at].keyboardName, 2 * p);
        table[2 * at + 1] = MakeLowerName(kActions[at].padName, 2 * p + 1);
    }
    return table;
}();

constexpr auto kLoweredKeyNames = [] {
    std::array<LowerName, kKeyNameCount> table{};
    for (size_t i = 0; i < kKeyNames.size(); ++i) {
        table[i] = MakeLowerName(kKeyNames[i].name, kKeyNames[i].code);
    }
    return table;
}();

constexpr size_t CountDistinctKeyNames() {
    size_t distinct = 0;
    for (size_t i = 0; i < kLoweredKeyNames.size(); ++i) {
        bool seen = false;
        for (size_t j = 0; j < i && !seen; ++j) {
            seen = kLoweredKeyNames[j].View() == kLoweredKeyNames[i].View();
        }
        distinct += seen ? 0 : 1;
    }
    return distinct;
}

// Key names in lower case, each once. A name listed twice keeps the code of its
// later entry, as if each entry replaced the one before it.
constexpr auto kDistinctKeyNames = [] {
    std::array<LowerName, CountDistinctKeyNames()> table{};
    size_t used = 0;
    for (const LowerName& lower : kLoweredKeyNames) {
        auto* existing = std::find_if(table.begin(), table.begin() + used,
                                      [&](const LowerName& e) { return e.View() == lower.View(); });
        if (existing != table.begin() + used) {
            existing->value = lower.value;
        } else {
            table[used++] = lower;
        }
    }
    return table;
}();

// Action names in lower case; position = action number.
constexpr auto kActionNames = [] {
    std::array<LowerName, kActionCount> table{};
    for (int p = 0; p < kActionCount; ++p) {
        const auto at = static_cast<size_t>(p);
        table[at] = MakeLowerName(kActions[at].name, p);
    }
    return table;
}();

// Binding names are matched by ASCII folding, which needs lower-case letters and
// "_" only.
constexpr bool LettersAndUnderscores(const LowerName& name) {
    return std::all_of(name.bytes.begin(), name.bytes.begin() + name.length,
                       [](char c) { return (c >= 'a' && c <= 'z') || c == '_'; });
}
static_assert(std::all_of(kBindingNames.begin(), kBindingNames.end(), LettersAndUnderscores),
              "binding names are lower-case letters and \"_\" only");

// A value starting "0x" or "0X" is read as a number and never looked up, which
// is only the same as looking it up while no key name starts so.
constexpr bool StartsLikeHex(const LowerName& name) {
    return name.length >= 2 && name.bytes[0] == '0' && (name.bytes[1] | 0x20) == 'x';
}
static_assert(std::none_of(kDistinctKeyNames.begin(), kDistinctKeyNames.end(), StartsLikeHex),
              "no key name starts like a hex number");

// A value is looked up untrimmed before it is trimmed, which finds the same
// name only while no key name starts or ends with white space.
constexpr bool HasWhiteSpaceAtAnEnd(const LowerName& name) {
    return name.length == 0 || IsWhiteSpace(static_cast<uint8_t>(name.bytes[0])) ||
           IsWhiteSpace(static_cast<uint8_t>(name.bytes[name.length - 1u]));
}
static_assert(std::none_of(kDistinctKeyNames.begin(), kDistinctKeyNames.end(),
                           HasWhiteSpaceAtAnEnd),
              "no key name starts or ends with white space");

inline constexpr PerfectNameIndex<kBindingCount, 9, NameMatch::FoldingAsciiCase> kBindingNameIndex(
    kBindingNames);
// The same names matched byte for byte, for text already lowercased.
inline constexpr PerfectNameIndex<kBindingCount, 9, NameMatch::Exact> kLoweredBindingNameIndex(
    kBindingNames);
inline constexpr PerfectNameIndex<kDistinctKeyNames.size(), 12, NameMatch::Exact> kKeyNameIndex(
    kDistinctKeyNames);
inline constexpr PerfectNameIndex<kActionCount, 8, NameMatch::Exact> kActionNameIndex(kActionNames);
static_assert(kBindingNameIndex.IsPerfect() && kLoweredBindingNameIndex.IsPerfect() &&
                  kKeyNameIndex.IsPerfect() && kActionNameIndex.IsPerfect(),
              "each index found a hash without collisions");
static_assert(kBindingNameIndex.ValuesFit() && kLoweredBindingNameIndex.ValuesFit() &&
                  kActionNameIndex.ValuesFit(),
              "a record holds each name's value");
static_assert(kDistinctKeyNames.size() == 142, "the key names the index was sized for");
static_assert(kKeyNameIndex.ValuesFit(), "a key's code is found by FindValue");

// Under a code page whose case is not plain ASCII: lowercase the text with the
// page's table, then match exactly.
int FindLowercasedBindingEntry(std::string_view keyText, const CodePage& codePage);

}  // namespace name_lookup

// FindBindingEntryIndex with the code page's case rules known beforehand, so
// that a loop over many lines can choose them once: plain ASCII folding, or the
// page's own lowercasing table.
template <bool kPlainAsciiCase>
KIO_ALWAYS_INLINE int FindBindingEntryUnder(std::string_view keyText, const CodePage& codePage) {
    if constexpr (kPlainAsciiCase) {
        return name_lookup::kBindingNameIndex.Find(keyText);
    } else {
        return name_lookup::FindLowercasedBindingEntry(keyText, codePage);
    }
}

// The action-table entry (0 to 53) a key text names, letters in any case; -1
// when it names none.
KIO_ALWAYS_INLINE int FindBindingEntryIndex(std::string_view keyText, const CodePage& codePage) {
    return codePage.hasPlainAsciiCase ? FindBindingEntryUnder<true>(keyText, codePage)
                                      : FindBindingEntryUnder<false>(keyText, codePage);
}

// The code of the key name a value text spells exactly, or 0 when it spells none.
KIO_ALWAYS_INLINE int32_t FindKeyCodeOrZero(std::string_view valueText) {
    const int32_t code = name_lookup::kKeyNameIndex.FindValue(valueText);
    return code < 0 ? 0 : code;
}

}  // namespace kio::binding
