// The caller's list of action names, as `kiobind show --order FILE` takes it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "vocabulary.h"

namespace kio::kiobind {

using ActionList = std::array<std::string, kio::binding::kActionCount>;

// Exactly 27 names separated by white space or commas. A name is kept as
// written: a misspelt or repeated one is part of what the list means.
// `nameCount` is how many names the text holds, 27 or not.
std::optional<ActionList> ParseActionList(std::string_view text, size_t& nameCount);

}  // namespace kio::kiobind
