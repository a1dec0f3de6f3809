#include "shown_text.h"

#include <cstdint>

#include "quoting.h"

namespace kio::analysis {
namespace {

// The code point starting at `utf8[i]` of a valid UTF-8 text, and its length.
uint32_t CodePointAt(std::string_view utf8, size_t i, size_t& length) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(utf8[i + k]); };
    if (byte(0) < 0x80) {
        length = 1;
        return byte(0);
    }
    if (byte(0) < 0xE0) {
        length = 2;
        return ((byte(0) & 0x1Fu) << 6) | (byte(1) & 0x3Fu);
    }
    length = byte(0) < 0xF0 ? 3 : 4;
    return length == 3 ? ((byte(0) & 0x0Fu) << 12) | ((byte(1) & 0x3Fu) << 6) | (byte(2) & 0x3Fu)
                       : ((byte(0) & 0x07u) << 18) | ((byte(1) & 0x3Fu) << 12) |
                             ((byte(2) & 0x3Fu) << 6) | (byte(3) & 0x3Fu);
}

// C0, DEL and C1: characters that move a terminal's cursor or change its state.
bool IsControl(uint32_t code) { return code < 0x20 || (code >= 0x7F && code < 0xA0); }

}  // namespace

void AppendWithoutControls(std::string& out, std::string_view utf8) {
    for (size_t i = 0; i < utf8.size();) {
        size_t length = 1;
        const uint32_t code = CodePointAt(utf8, i, length);
        if (IsControl(code)) {
            AppendEscaped(out, code);
        } else {
            out.append(utf8, i, length);
        }
        i += length;
    }
}

std::string ShowDecoded(std::string_view bytes, const kio::binding::CodePage& codePage,
                        const CodePageDecoder& decode) {
    std::string out;
    out.reserve(bytes.size());
    if (const std::optional<std::string> whole = decode(bytes)) {
        AppendWithoutControls(out, *whole);
        return out;
    }
    // Some bytes are no text of the code page: each character on its own, so
    // that the rest still reads and only those bytes are escaped.
    for (size_t i = 0; i < bytes.size();) {
        const std::string_view character = bytes.substr(i, codePage.CharacterLength(bytes, i));
        if (const std::optional<std::string> decoded = decode(character)) {
            AppendWithoutControls(out, *decoded);
            i += character.size();
        } else {
            // A lead byte whose trail does not fit: the trail may begin the next character.
            out += Printable(bytes.substr(i, 1));
            ++i;
        }
    }
    return out;
}

}  // namespace kio::analysis
