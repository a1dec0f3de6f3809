// The caller's list of action names, as `kiobind show --order FILE` takes it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "vocabulary.h"

namespace kiobind {

using ActionList = std::array<std::string, kio::kActionCount>;

// Exactly 27 names separated by white space or commas. A name is kept as
// written: a misspelt or repeated one is part of what the list means.
std::optional<ActionList> ParseActionList(std::string_view text, std::string& error);

}  // namespace kiobind
