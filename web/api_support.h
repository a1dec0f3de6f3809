// What the page's exports share: handing JSON over to the page, the code page
// by its number, file bytes as JSON strings, and findings as JSON.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "code_page.h"
#include "findings.h"
#include "render.h"

namespace kio::web {

using Json = nlohmann::ordered_json;

// A malloc'd copy of the document's text with its terminator, for the page to
// free(); null when memory ran out.
char* HandOver(const Json& document);

// One of the built-in code pages; 1252 for any other number.
const kio::binding::CodePage& CodePageOf(uint32_t id);

std::string_view View(const char* bytes, size_t size);

// Bytes in the file's code page, not UTF-8: each byte becomes the character of
// the same number (U+0000 to U+00FF), so the page gets every byte back with
// charCodeAt and decodes it with TextDecoder.
Json Bytes(std::string_view bytes);

// Each finding as kiobind check --format json gives it, with the identifier the
// page's hooks use, and "message", its text, as bytes.
Json FindingsJson(const std::vector<kio::analysis::Finding>& findings,
                  kio::messages::Language language,
                  const kio::messages::FileTextShower& showFileText);

// A message's words on the page: its page variant (key + ".page") where the
// catalogue has one, since the page has buttons where kiobind has commands.
// `showFileText` shows the file's bytes it quotes.
// How each language shows text from the file; none: escaped.
using FileTextShowers = std::function<kio::messages::FileTextShower(kio::messages::Language)>;

// Words the status line keeps, in both languages, so that they follow a later
// switch of language: indexed by the page's language id, empty for none.
Json InBothLanguages(const std::optional<kio::messages::Message>& message,
                     const FileTextShowers& showFileText = {});

std::string PageWords(const kio::messages::Message& message, kio::messages::Language language,
                      const kio::messages::FileTextShower& showFileText);

// The page's language as it passes it: 0 English, 1 Japanese. The words of
// findings and refusals come in it, as UTF-8 carried as bytes.
kio::messages::Language LanguageOf(uint32_t id);

}  // namespace kio::web
