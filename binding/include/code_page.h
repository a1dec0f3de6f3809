// The facts about the ANSI code page that parsing needs: lead bytes, single-byte
// lowercasing and the letter classes. Parsing code takes a CodePage argument and
// never asks the system, so it behaves the same under any code page in tests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kio::binding {

struct CodePage {
    enum Trait : uint8_t {
        kLeadByte = 1u << 0,
        kAlpha = 1u << 1,         // a letter when judged alone
        kAlphaNumeric = 1u << 2,  // a letter or a digit when judged alone
    };

    uint32_t id = 0;
    bool hasLeadBytes = false;
    bool hasPlainAsciiCase = false;  // see HasPlainAsciiCase below
    std::array<uint8_t, 256> traits{};
    std::array<uint8_t, 256> lower{};  // lowercase of each single-byte character

    constexpr bool IsLeadByte(uint8_t byte) const { return (traits[byte] & kLeadByte) != 0; }
    constexpr bool IsAlpha(uint8_t byte) const { return (traits[byte] & kAlpha) != 0; }
    constexpr bool IsAlphaNumeric(uint8_t byte) const {
        return (traits[byte] & kAlphaNumeric) != 0;
    }

    // Length in bytes of the character at `pos`: a lead byte and the byte after it
    // form one character; a lead byte at the very end stands alone.
    constexpr size_t CharacterLength(std::string_view text, size_t pos) const {
        return (IsLeadByte(static_cast<uint8_t>(text[pos])) && pos + 1 < text.size()) ? 2 : 1;
    }
};

// Whether the code page cases ASCII as ASCII does and makes nothing else into
// ASCII: every byte below 0x80 is a character of its own, lowered as in ASCII,
// and no byte from 0x80 up lowers below 0x80. Text is then matched against
// lower-case ASCII names by ASCII folding alone, without the table.
constexpr bool HasPlainAsciiCase(const CodePage& page) {
    for (size_t b = 0; b < 256; ++b) {
        const bool capital = b >= 'A' && b <= 'Z';
        const size_t asciiLower = capital ? b - 'A' + 'a' : b;
        const bool plain =
            b < 0x80 ? page.lower[b] == asciiLower && !page.IsLeadByte(static_cast<uint8_t>(b))
                     : page.lower[b] >= 0x80;
        if (!plain) {
            return false;
        }
    }
    return true;
}

// Whether `byte` can be the second byte of one of the code page's double-byte
// characters. Parsing never asks, since a lead byte takes whatever byte follows
// it; the editor page lists the code page's characters by it.
bool IsTrailByte(const CodePage& page, uint8_t byte);

inline constexpr uint32_t kDefaultCodePageId = 1252;

// The built-in tables, 1252 first: the code pages files are read in, on every
// system and on the page alike.
std::span<const CodePage* const> BuiltInCodePages();

// The built-in table with that id, or nullptr for any other id.
const CodePage* FindBuiltInCodePage(uint32_t id);

// Code page 1252, used wherever the system offers nothing better.
const CodePage& DefaultCodePage();

// The process's ANSI code page, captured once; the platform files define it.
const CodePage& ProcessCodePage();

// The six white-space bytes: tab, LF, VT, FF, CR and space.
constexpr bool IsWhiteSpace(uint8_t byte) { return byte == 0x20 || (byte >= 0x09 && byte <= 0x0D); }

}  // namespace kio::binding
