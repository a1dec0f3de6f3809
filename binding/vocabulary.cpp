#include "vocabulary.h"

#include <array>
#include <utility>

#include "name_lookup.h"

namespace kio::binding {

std::string_view BindingName(int entry) {
    const Action& action = kActions[static_cast<size_t>(entry / 2)];
    return (entry % 2 == 0) ? action.keyboardName : action.padName;
}

namespace {

constexpr size_t kLongestActionName = name_lookup::kActionNameIndex.LongestName();

// Whether the NUL-terminated `text` spells action `kAction`'s name, reading
// `text` no further than its terminator or its first difference. The name is
// known when this is compiled, so each byte costs one compare with a constant.
template <size_t kAction>
bool SpellsActionName(const char* text) {
    static constexpr std::string_view name = kActions[kAction].name;
    return [text]<size_t... kAt>(std::index_sequence<kAt...>) {
        return ((text[kAt] == name[kAt]) && ...) && text[name.size()] == '\0';
    }
    (std::make_index_sequence<name.size()>{});
}

// SpellsActionName of each action, by action number.
constexpr auto kSpellsActionName = []<size_t... kAction>(std::index_sequence<kAction...>) {
    return std::array<bool (*)(const char*), kActionCount>{&SpellsActionName<kAction>...};
}
(std::make_index_sequence<kActionCount>{});

// Gives an action the slots of list position `position`, unless an earlier
// position already holds them.
void ClaimSlots(SlotTable& slots, int action, int position) {
    const size_t keyboardSlot = 2 * static_cast<size_t>(action);
    if (slots[keyboardSlot] == kNoSlot) {
        slots[keyboardSlot] = static_cast<int8_t>(2 * position);
        slots[keyboardSlot + 1] = static_cast<int8_t>(2 * position + 1);
    }
}

}  // namespace

SlotTable BuildSlotTable(const char* const* actionNames) {
    // An action missing from the list owns no slot, so its lines are skipped
    // instead of landing in slot 0, which belongs to another action.
    SlotTable slots;
    slots.fill(kNoSlot);
    // Each listed name is looked up once; walking the list in order and keeping
    // an action's first position gives it the first name that matches.
    for (int j = 0; j < kActionCount; ++j) {
        const char* name = actionNames[j];
        if (name == nullptr) {
            continue;
        }
        // A game most likely lists the actions in the table's own order and
        // spelling: that costs one comparison, read only up to the name's end.
        if (kSpellsActionName[static_cast<size_t>(j)](name)) {
            ClaimSlots(slots, j, j);
            continue;
        }
        char lower[kLongestActionName + 1];
        size_t length = 0;
        while (length <= kLongestActionName && name[length] != '\0') {
            lower[length] = AsciiLower(name[length]);
            ++length;
        }
        if (length > kLongestActionName) {
            continue;  // longer than every action name
        }
        if (const int action = name_lookup::kActionNameIndex.Find({lower, length}); action >= 0) {
            ClaimSlots(slots, action, j);
        }
    }
    return slots;
}

bool LowercaseInto(std::string_view text, const CodePage& codePage, char* out, size_t outSize) {
    if (text.size() > outSize) {
        return false;
    }
    if (!codePage.hasLeadBytes) {
        for (size_t i = 0; i < text.size(); ++i) {
            out[i] = static_cast<char>(codePage.lower[static_cast<uint8_t>(text[i])]);
        }
        return true;
    }
    for (size_t i = 0; i < text.size();) {
        const size_t length = codePage.CharacterLength(text, i);
        if (length == 2) {
            // Double-byte characters have no case pairs in our tables; the trail
            // byte must never be taken for an ASCII capital.
            out[i] = text[i];
            out[i + 1] = text[i + 1];
        } else {
            out[i] = static_cast<char>(codePage.lower[static_cast<uint8_t>(text[i])]);
        }
        i += length;
    }
    return true;
}

int name_lookup::FindLowercasedBindingEntry(std::string_view keyText, const CodePage& codePage) {
    // Lowercasing keeps the length, so a longer text can never match.
    char lower[LowerName::kCapacity];
    if (keyText.size() > kBindingNameIndex.LongestName() ||
        !LowercaseInto(keyText, codePage, lower, sizeof lower)) {
        return -1;
    }
    return kLoweredBindingNameIndex.Find({lower, keyText.size()});
}

std::optional<int> FindBindingEntry(std::string_view keyText, const CodePage& codePage) {
    const int entry = FindBindingEntryIndex(keyText, codePage);
    return entry < 0 ? std::nullopt : std::optional<int>(entry);
}

std::optional<int> FindBindingSlot(const SlotTable& slots, std::string_view keyText,
                                   const CodePage& codePage) {
    const int entry = FindBindingEntryIndex(keyText, codePage);
    if (entry < 0 || slots[static_cast<size_t>(entry)] == kNoSlot) {
        return std::nullopt;
    }
    return slots[static_cast<size_t>(entry)];
}

std::optional<int32_t> FindKeyCode(std::string_view valueText) {
    const int position = name_lookup::kKeyNameIndex.Find(valueText);
    if (position < 0) {
        return std::nullopt;
    }
    return name_lookup::kKeyNameIndex.Name(position).value;
}

}  // namespace kio::binding
