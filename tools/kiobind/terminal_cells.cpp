#include "terminal_cells.h"

#include <cstdint>

namespace kio::kiobind {
namespace {

struct Range {
    uint32_t first, last;
};

// The wide (W) and full-width (F) blocks of East Asian Width that kiobind's
// own words and decoded files use.
constexpr Range kWide[] = {
    {0x1100, 0x115F}, {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF}, {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF}, {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE30, 0xFE4F}, {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

bool IsWide(uint32_t code) {
    for (const Range& range : kWide) {
        if (code >= range.first && code <= range.last) {
            return true;
        }
    }
    return false;
}

}  // namespace

size_t Cells(std::string_view utf8) {
    size_t cells = 0;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<uint8_t>(utf8[i]);
        const size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (size_t k = 1; k < length && i + k < utf8.size(); ++k) {
            code = (code << 6) | (static_cast<uint8_t>(utf8[i + k]) & 0x3Fu);
        }
        cells += IsWide(code) ? 2 : 1;
        i += length;
    }
    return cells;
}

std::string Padded(std::string text, size_t cells) {
    const size_t taken = Cells(text);
    if (taken < cells) {
        text.append(cells - taken, ' ');
    }
    return text;
}

}  // namespace kio::kiobind
