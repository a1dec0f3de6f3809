// Bytes of a player's file made fit to show: decoded from the file's code page
// where it has a form for them, with every byte it has none for, and every
// control character, escaped as \xNN. kiobind decodes with the system's
// converter, the page with the browser's; the rule is this one.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "code_page.h"

namespace kio::analysis {

// The bytes as UTF-8, or nothing when some byte has no form in the code page.
using CodePageDecoder = std::function<std::optional<std::string>(std::string_view bytes)>;

std::string ShowDecoded(std::string_view bytes, const kio::binding::CodePage& codePage,
                        const CodePageDecoder& decode);

// Appends valid UTF-8 text with each control character (C0, DEL, C1) escaped:
// characters that move a terminal's cursor or change its state.
void AppendWithoutControls(std::string& out, std::string_view utf8);

}  // namespace kio::analysis
