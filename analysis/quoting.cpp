#include "quoting.h"

#include <cstdint>
#include <cstdio>

namespace kio::analysis {
namespace {

bool IsPrintable(char c) {
    const auto byte = static_cast<uint8_t>(c);
    return byte >= 0x20 && byte < 0x7F;
}

}  // namespace

void AppendEscaped(std::string& out, uint32_t code) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(code));
    out += escaped;
}

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        // Plain bytes go over in runs, not one at a time.
        const size_t runStart = i;
        while (i < text.size() && IsPrintable(text[i])) {
            ++i;
        }
        out.append(text.substr(runStart, i - runStart));
        if (i < text.size()) {
            AppendEscaped(out, static_cast<uint8_t>(text[i]));
            ++i;
        }
    }
    return out;
}

}  // namespace kio::analysis
