#include "game_values.h"

#include <string>

#include "load_bindings.h"

namespace kioedit {

GameValues ReadGameValues(std::string_view file, const kio::CodePage& codePage) {
    // The action table's own order, so that slot n is entry n.
    std::array<std::string, kio::kActionCount> names;
    std::array<const char*, kio::kActionCount> pointers{};
    for (size_t p = 0; p < names.size(); ++p) {
        names[p] = std::string(kio::kActions[p].name);
        pointers[p] = names[p].c_str();
    }
    const kio::SlotTable slots = kio::BuildSlotTable(pointers.data());
    const std::string_view text = file.substr(0, file.find('\0'));

    // A slot no line sets keeps whatever it held, so two different fills tell
    // the set slots (equal after both) from the defaults.
    kio::BindingValues zeros{};
    kio::BindingValues ones{};
    ones.fill(1);
    kio::ApplyBindingLines(text, slots, codePage, zeros);
    kio::ApplyBindingLines(text, slots, codePage, ones);
    GameValues values;
    for (size_t i = 0; i < values.size(); ++i) {
        if (zeros[i] == ones[i]) {
            values[i] = zeros[i];
        }
    }
    return values;
}

}  // namespace kioedit
