// What set and unset are asked to write: a binding name and a value as a
// player types them, checked and spelt as the file needs them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "code_page.h"
#include "message.h"

namespace kio::edit {

struct ParsedText {
    std::string text;                // what to write; empty when refused
    kio::messages::Message refusal;  // why not
};

// The binding name as the action table spells it, and its entry in `entry`.
ParsedText ParseBinding(std::string_view binding, const kio::binding::CodePage& codePage,
                        int& entry);

// A key name in lower case, or "0x" and 1 to 8 hexadecimal digits as given.
// A decimal number is refused with its hexadecimal form, an unknown name with
// the nearest key names. `entry` tells a pad binding, where a lone digit is a
// number, not the digit key.
ParsedText ParseValue(std::string_view value, int entry);

// A request to set `binding` to `value`, checked: the binding's entry and its
// name as the action table spells it, the value as set writes it, and what the
// game reads from that.
struct SetRequest {
    int entry = 0;
    std::string binding;
    std::string value;               // empty when refused
    int32_t decoded = 0;             // what the game reads from `value`
    kio::messages::Message refusal;  // why not, the binding's refusal before the value's
};
SetRequest ParseSetRequest(std::string_view binding, std::string_view value,
                           const kio::binding::CodePage& codePage);

}  // namespace kio::edit
