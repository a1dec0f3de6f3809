// Text from the player's file, shown in a message.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kio::kiobind {

// How a message shows text from the file: when `decode`, decoded to UTF-8 in the
// code page, with every control character and every byte that is no text of
// the code page written \xNN; otherwise each control byte and each byte from
// 0x80 up as \xNN, as in English.
std::string ShowFileText(std::string_view bytes, uint32_t codePageId, bool decode);

// A file name from the command line or the system, in UTF-8 with every control
// character written \xNN, and \xNN for each byte that is not UTF-8: a name is
// as untrusted as the file's text.
std::string ShowFileName(std::string_view name);

// The name as the system spells it (the ANSI code page on Windows, bytes that
// are UTF-8 by convention elsewhere), in UTF-8 where it can be; one
// definition per platform.
std::string FileNameAsUtf8(std::string_view name);

}  // namespace kio::kiobind
