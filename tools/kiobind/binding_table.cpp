#include "binding_table.h"

namespace kiobind {

std::array<std::string, kio::kActionCount> TableOrder() {
    std::array<std::string, kio::kActionCount> names;
    for (int p = 0; p < kio::kActionCount; ++p) {
        names[p] = std::string(kio::kActions[p].name);
    }
    return names;
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
        const int8_t slot = slotTable[2 * p];
        if (slot == kio::kNoSlot) {
            table.unlistedActions.push_back(p);
        } else {
            table.positions[slot / 2].action = p;
        }
    }
    // A position that names an action owning another position repeats it.
    for (int j = 0; j < kio::kActionCount; ++j) {
        if (table.positions[j].action) {
            continue;
        }
        const std::optional<int> entry = kio::FindBindingEntry("KB_" + actionNames[j], codePage);
        if (entry) {
            const int8_t owner = slotTable[*entry];
            if (owner != kio::kNoSlot && owner / 2 != j) {
                table.positions[j].repeatOf = owner / 2;
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
