// Lookups in the fixed vocabularies of the binding file (vocabulary_lists.h),
// and the per-call slot table that maps each binding onto the caller's array.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "code_page.h"
#include "vocabulary_lists.h"

namespace kio::binding {

// Binding name of action-table entry `entry` (0 to 53).
std::string_view BindingName(int entry);

// For each action-table entry, the slot of the caller's array it fills, or
// kNoSlot when the caller's list does not name the action.
inline constexpr int8_t kNoSlot = -1;
using SlotTable = std::array<int8_t, kBindingCount>;

// Lays the actions out over the caller's list: the first position j whose name
// equals the action's (ASCII letters in any case) gives it slots 2j and 2j+1.
// A null list entry names nothing.
SlotTable BuildSlotTable(const char* const* actionNames);

// Which slot a key text addresses: lowercased under `codePage`, then matched as a
// whole against the binding names.
std::optional<int> FindBindingSlot(const SlotTable& slots, std::string_view keyText,
                                   const CodePage& codePage);

// Which action-table entry a key text names, before the slot table is applied.
std::optional<int> FindBindingEntry(std::string_view keyText, const CodePage& codePage);

// The key code of a key name written exactly as the file must spell it (lower case).
std::optional<int32_t> FindKeyCode(std::string_view valueText);

// Lowercases `text` into `out` (same length), stepping over double-byte
// characters whole. Returns false when `out` is too small.
bool LowercaseInto(std::string_view text, const CodePage& codePage, char* out, size_t outSize);

}  // namespace kio::binding
