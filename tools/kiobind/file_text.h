// Text from the player's file, shown in a message.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kiobind {

// How a message shows text from the file: when `decode`, decoded to UTF-8 in the
// code page, with every control character and every byte that is no text of
// the code page written \xNN; otherwise each control byte and each byte from
// 0x80 up as \xNN, as in English.
std::string ShowFileText(std::string_view bytes, uint32_t codePageId, bool decode);

}  // namespace kiobind
