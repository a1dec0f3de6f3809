// Texts from the file, made safe to print inside a message.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kio::analysis {

// The text with control bytes and bytes from 0x80 up as \xNN, so that a message
// never carries raw code-page bytes to a UTF-8 terminal.
std::string Printable(std::string_view text);

// Appends "\xNN": how a byte or a control character is shown.
void AppendEscaped(std::string& out, uint32_t code);

}  // namespace kio::analysis
