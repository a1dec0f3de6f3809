// Text from the player's file, shown in a message.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kiobind {

// How a message shows text from the file: decoded to UTF-8 when `decode` and
// the bytes make sense in the code page, with every control character still
// written \xNN; otherwise each control byte and each byte from 0x80 up as \xNN,
// as in English.
std::string ShowFileText(std::string_view bytes, uint32_t codePageId, bool decode);

}  // namespace kiobind
