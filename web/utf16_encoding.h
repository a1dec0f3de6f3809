// The browser's own decoders, which know each code page's characters: UTF-16
// text to an ANSI code page for the editing library's fix, and a file's bytes
// to UTF-8 for the words that quote them.
#pragma once

#include <cstdint>
#include <string_view>

#include "binding_edit.h"
#include "render.h"

namespace kio::web {

kio::edit::Utf16Conversion EncodeUtf16InPage(std::u16string_view text, uint32_t codePageId);

// How the page shows a file's bytes in its words: decoded by the browser in
// Japanese, as kiobind decodes them for a Japanese reader; escaped in English.
kio::messages::FileTextShower FileTextShowerInPage(kio::messages::Language language,
                                                   uint32_t codePageId);

// A file's bytes as the file view shows them: decoded by the browser, each
// byte the code page has no form for and each control character but the tab
// as \xNN.
std::string ShownInPage(std::string_view bytes, uint32_t codePageId);

}  // namespace kio::web
