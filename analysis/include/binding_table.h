// The 54 values the game receives for a caller's action list, and the line
// that set each, as the loader lays bindings out over the caller's array.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_analysis.h"
#include "vocabulary.h"

namespace kio::analysis {

struct SlotValue {
    const AnalysedLine* setBy = nullptr;  // the last line that wrote the slot; null: default
};

// Which of the game's actions a position of the caller's list stands for.
struct ListPosition {
    std::string name;             // as the caller wrote it
    std::optional<int> action;    // the action that owns slots 2j and 2j+1, if any
    std::optional<int> repeatOf;  // the earlier position holding the same action
};

struct BindingTable {
    std::array<ListPosition, kio::binding::kActionCount> positions;
    std::array<SlotValue, kio::binding::kBindingCount> slots;
    // Actions missing from the list: their lines write no slot.
    std::vector<int> unlistedActions;
};

// `actionNames` holds the caller's 27 names. Lines naming a binding write its
// slot in file order, so the last one wins.
BindingTable BuildBindingTable(
    const FileAnalysis& analysis,
    const std::array<std::string, kio::binding::kActionCount>& actionNames,
    const kio::binding::CodePage& codePage);

// The action a name stands for by the loader's own comparison of a caller's
// names (ASCII letters in any case), if any.
std::optional<int> ActionNamed(std::string_view name);

// The game's own order: the action table.
std::array<std::string, kio::binding::kActionCount> TableOrder();

// The slot table for a caller that lists the actions in the table's own order,
// so that slot n is action-table entry n.
kio::binding::SlotTable TableOrderSlots();

}  // namespace kio::analysis
