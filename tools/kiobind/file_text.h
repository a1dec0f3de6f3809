// Text from the player's file, shown in a message.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kiobind {

// The bytes decoded from Windows code page `codePageId` to UTF-8, or nothing
// when they are not a text of that code page (a byte the code page leaves
// undefined, a lead byte without its trail). iconv on POSIX,
// MultiByteToWideChar on Windows; one definition per platform.
std::optional<std::string> DecodeCodePage(std::string_view bytes, uint32_t codePageId);

// How a message shows text from the file: decoded to UTF-8 when `decode` and
// the bytes make sense in the code page, with every control character still
// written \xNN; otherwise each control byte and each byte from 0x80 up as \xNN,
// as in English.
std::string ShowFileText(std::string_view bytes, uint32_t codePageId, bool decode);

}  // namespace kiobind
