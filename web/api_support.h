// What the page's exports share: handing JSON over to the page, the code page
// by its number, and findings as JSON.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "code_page.h"
#include "findings.h"
#include "json_text.h"

namespace kioweb {

// A malloc'd copy of `text` with its terminator, for the page to free(); null
// when memory ran out.
char* HandOver(const std::string& text);

// One of the built-in code pages; 1252 for any other number.
const kio::CodePage& CodePageOf(uint32_t id);

std::string_view View(const char* bytes, size_t size);

// The page's language as it passes it: 0 English, 1 Japanese.
kiobind::Language LanguageOf(uint32_t id);

// Each finding with its words in `language`, as UTF-8 bytes.
void WriteFindings(const std::vector<kiobind::Finding>& findings, kiobind::Language language,
                   JsonText& json);

}  // namespace kioweb
