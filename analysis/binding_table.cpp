#include "binding_table.h"

namespace kio::analysis {

std::optional<int> ActionNamed(std::string_view name) {
    // Alone in a list, the name takes position 0 when the loader matches it.
    const std::string copy(name);
    std::array<const char*, kio::binding::kActionCount> alone{};
    alone[0] = copy.c_str();
    const kio::binding::SlotTable slots = kio::binding::BuildSlotTable(alone.data());
    for (int p = 0; p < kio::binding::kActionCount; ++p) {
        if (slots[2 * static_cast<size_t>(p)] == 0) {
            return p;
        }
    }
    return std::nullopt;
}

std::array<std::string, kio::binding::kActionCount> TableOrder() {
    std::array<std::string, kio::binding::kActionCount> names;
    for (int p = 0; p < kio::binding::kActionCount; ++p) {
        names[p] = std::string(kio::binding::kActions[p].name);
    }
    return names;
}

kio::binding::SlotTable TableOrderSlots() {
    // NUL-terminated copies: the loader reads each name up to its NUL.
    const std::array<std::string, kio::binding::kActionCount> names = TableOrder();
    std::array<const char*, kio::binding::kActionCount> pointers{};
    for (int p = 0; p < kio::binding::kActionCount; ++p) {
        pointers[p] = names[p].c_str();
    }
    return kio::binding::BuildSlotTable(pointers.data());
}

BindingTable BuildBindingTable(
    const FileAnalysis& analysis,
    const std::array<std::string, kio::binding::kActionCount>& actionNames,
    const kio::binding::CodePage& codePage) {
    std::array<const char*, kio::binding::kActionCount> list;
    for (int j = 0; j < kio::binding::kActionCount; ++j) {
        list[j] = actionNames[j].c_str();
    }
    const kio::binding::SlotTable slotTable = kio::binding::BuildSlotTable(list.data());

    BindingTable table;
    for (int j = 0; j < kio::binding::kActionCount; ++j) {
        table.positions[j].name = actionNames[j];
    }
    for (int p = 0; p < kio::binding::kActionCount; ++p) {
        const int8_t slot = slotTable[2 * static_cast<size_t>(p)];
        if (slot == kio::binding::kNoSlot) {
            table.unlistedActions.push_back(p);
        } else {
            table.positions[slot / 2].action = p;
        }
    }
    // A position without an action of its own repeats an earlier one when its
    // name matches an action, by the loader's own comparison.
    for (int j = 0; j < kio::binding::kActionCount; ++j) {
        if (!table.positions[j].action) {
            if (const std::optional<int> action = ActionNamed(list[j])) {
                table.positions[j].repeatOf = slotTable[2 * static_cast<size_t>(*action)] / 2;
            }
        }
    }

    for (const AnalysedLine& line : analysis.lines) {
        if (const std::optional<int> slot =
                kio::binding::FindBindingSlot(slotTable, line.keyText, codePage)) {
            table.slots[*slot].setBy = &line;
        }
    }
    return table;
}

}  // namespace kio::analysis
