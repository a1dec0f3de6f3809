#include "file_text.h"

#include <cstdio>

#include "code_page.h"
#include "quoting.h"
#include "system_utf16.h"

namespace kiobind {
namespace {

void AppendEscaped(std::string& out, uint32_t code) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(code));
    out += escaped;
}

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

// Decoded text with each control character still escaped.
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

// The length of the well-formed UTF-8 sequence at `text[i]`, or 0.
size_t Utf8SequenceAt(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[i + k]); };
    const uint8_t lead = byte(0);
    const size_t length = lead < 0x80   ? 1
                          : lead < 0xC2 ? 0
                          : lead < 0xE0 ? 2
                          : lead < 0xF0 ? 3
                          : lead < 0xF5 ? 4
                                        : 0;
    if (length == 0 || i + length > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    // No overlong forms, surrogates or code points past U+10FFFF.
    const uint8_t second = length > 1 ? byte(1) : 0;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
        return 0;
    }
    return length;
}

}  // namespace

std::string ShowFileName(std::string_view name) {
    const std::string utf8 = FileNameAsUtf8(name);
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const size_t length = Utf8SequenceAt(utf8, i);
        if (length == 0) {
            AppendEscaped(out, static_cast<uint8_t>(utf8[i]));
            ++i;
            continue;
        }
        AppendWithoutControls(out, std::string_view(utf8).substr(i, length));
        i += length;
    }
    return out;
}

std::string ShowFileText(std::string_view bytes, uint32_t codePageId, bool decode) {
    // Only the built-in code pages are decoded; any other is escaped, on every
    // system alike.
    if (!decode || kio::FindBuiltInCodePage(codePageId) == nullptr) {
        return Printable(bytes);
    }
    std::string out;
    out.reserve(bytes.size());
    if (const std::optional<std::string> whole = kioedit::SystemCodePageToUtf8(bytes, codePageId)) {
        AppendWithoutControls(out, *whole);
        return out;
    }
    // Some bytes are no text of the code page: each character on its own, so
    // that the rest still reads and only those bytes are escaped.
    const kio::CodePage& page = *kio::FindBuiltInCodePage(codePageId);
    for (size_t i = 0; i < bytes.size();) {
        const std::string_view character = bytes.substr(i, page.CharacterLength(bytes, i));
        if (const std::optional<std::string> decoded =
                kioedit::SystemCodePageToUtf8(character, codePageId)) {
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

}  // namespace kiobind
