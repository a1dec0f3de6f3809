#include "game_values.h"

#include "binding_table.h"
#include "load_bindings.h"

namespace kio::edit {

GameValues ReadGameValues(std::string_view file, const kio::binding::CodePage& codePage) {
    const kio::binding::SlotTable slots = kio::analysis::TableOrderSlots();
    const std::string_view text = file.substr(0, file.find('\0'));

    // A slot no line sets keeps whatever it held, so two different fills tell
    // the set slots (equal after both) from the defaults.
    kio::binding::BindingValues zeros{};
    kio::binding::BindingValues ones{};
    ones.fill(1);
    kio::binding::ApplyBindingLines(text, slots, codePage, zeros);
    kio::binding::ApplyBindingLines(text, slots, codePage, ones);
    GameValues values;
    for (size_t i = 0; i < values.size(); ++i) {
        if (zeros[i] == ones[i]) {
            values[i] = zeros[i];
        }
    }
    return values;
}

}  // namespace kio::edit
