// Texts from the file, made safe to print inside a message.
#pragma once

#include <string>
#include <string_view>

namespace kiobind {

// 'text' in single quotes; control bytes and bytes from 0x80 up appear as \xNN,
// so that a message never carries raw code-page bytes to a UTF-8 terminal. A
// long text shows its first 64 bytes and its length.
std::string Quote(std::string_view text);

// The same escaping without the quotes.
std::string Printable(std::string_view text);

}  // namespace kiobind
