// The system's conversion from UTF-16 to an ANSI code page: iconv on POSIX,
// WideCharToMultiByte on Windows. Never a best-fit guess: a character with no
// exact form in the code page fails the conversion.
#pragma once

#include "binding_edit.h"

namespace kioedit {

Utf16Conversion SystemUtf16ToCodePage(std::u16string_view text, uint32_t codePageId);

}  // namespace kioedit
