#include "binding_table.h"

namespace kiobind {

std::optional<int> ActionNamed(std::string_view name) {
    // Alone in a list, the name takes position 0 when the loader matches it.
    const std::string copy(name);
    std::array<const char*, kio::kActionCount> alone{};
    alone[0] = copy.c_str();
    const kio::SlotTable slots = kio::BuildSlotTable(alone.data());
    for (int p = 0; p < kio::kActionCount; ++p) {
        if (slots[2 * static_cast<size_t>(p)] == 0) {
            return p;
        }
    }
    return std::nullopt;
}

std::array<std::string, kio::kActionCount> TableOrder() {
    std::array<std::string, kio::kActionCount> names;
    for (int p = 0; p < kio::kActionCount; ++p) {
        names[p] = std::string(kio::kActions[p].name);
    }
    return names;
}

kio::SlotTable TableOrderSlots() {
    // NUL-terminated copies: the loader reads each name up to its NUL.
    const std::array<std::string, kio::kActionCount> names = TableOrder();
    std::array<const char*, kio::kActionCount> pointers{};
    for (int p = 0; p < kio::kActionCount; ++p) {
        pointers[p] = names[p].c_str();
    }
    return kio::BuildSlotTable(pointers.data());
}

BindingTable BuildBindingTable(const FileAnalysis& analysis,
                               const std::array<std::string, kio::kActionCount>& actionNames,
                               const kio::CodePage& codePage) {
    std::array<const char*, kio::kActionCount> list;
    for (int j = 0; j < kio::kActionCount; ++j) {
        list[j] = actionNames[j].c_str();
    }
    const kio::SlotTable slotTable = kio::BuildSlotTable(list.data());

    BindingTable table;
    for (int j = 0; j < kio::kActionCount; ++j) {
        table.positions[j].name = actionNames[j];
    }
    for (int p = 0; p < kio::kActionCount; ++p) {
        const int8_t slot = slotTable[2 * static_cast<size_t>(p)];
        if (slot == kio::kNoSlot) {
            table.unlistedActions.push_back(p);
        } else {
            table.positions[slot / 2].action = p;
        }
    }
    // A position without an action of its own repeats an earlier one when its
    // name matches an action, by the loader's own comparison.
    for (int j = 0; j < kio::kActionCount; ++j) {
        if (!table.positions[j].action) {
            if (const std::optional<int> action = ActionNamed(list[j])) {
                table.positions[j].repeatOf = slotTable[2 * static_cast<size_t>(*action)] / 2;
            }
        }
    }

    for (const AnalysedLine& line : analysis.lines) {
        if (const std::optional<int> slot =
                kio::FindBindingSlot(slotTable, line.keyText, codePage)) {
            table.slots[*slot].setBy = &line;
        }
    }
    return table;
}

}  // namespace kiobind
