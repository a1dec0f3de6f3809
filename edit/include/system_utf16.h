// The system's conversions between the ANSI code pages and Unicode: iconv on
// POSIX, WideCharToMultiByte and MultiByteToWideChar on Windows. Never a guess:
// a character with no exact form on the other side fails the conversion.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "binding_edit.h"

namespace kio::edit {

Utf16Conversion SystemUtf16ToCodePage(std::u16string_view text, uint32_t codePageId);

// The bytes decoded from Windows code page `codePageId` to UTF-8, or nothing
// when they are not a text of that code page (a byte the code page leaves
// undefined, a lead byte without its trail).
std::optional<std::string> SystemCodePageToUtf8(std::string_view bytes, uint32_t codePageId);

}  // namespace kio::edit
