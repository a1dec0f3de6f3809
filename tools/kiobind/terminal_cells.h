// How wide a UTF-8 text stands on a terminal, so that columns line up in any
// language.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kio::kiobind {

// The cells `utf8` takes: two for an East Asian wide or full-width character
// (kanji, kana, full-width forms), one for any other.
size_t Cells(std::string_view utf8);

// `text` with spaces after it up to `cells` cells; never cut.
std::string Padded(std::string text, size_t cells);

}  // namespace kio::kiobind
