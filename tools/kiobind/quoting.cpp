#include "quoting.h"

#include <cstdint>
#include <cstdio>

namespace kiobind {

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Quote(std::string_view text) {
    return "'" + Printable(text) + "'";
}

}  // namespace kiobind
