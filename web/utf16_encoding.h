// UTF-16 text to an ANSI code page for the editing library's fix, in the page:
// the browser's own decoders know each code page's characters.
#pragma once

#include <cstdint>
#include <string_view>

#include "binding_edit.h"

namespace kioweb {

kioedit::Utf16Conversion EncodeUtf16InPage(std::u16string_view text, uint32_t codePageId);

}  // namespace kioweb
