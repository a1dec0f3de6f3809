// What the game reads from a file, binding by binding, through the loader's own
// code: the check that an edit means to the game what it says.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "code_page.h"
#include "vocabulary.h"

namespace kio::edit {

// For each action-table entry, the value a file gives it, or nothing where the
// game keeps the caller's default.
using GameValues = std::array<std::optional<int32_t>, kio::binding::kBindingCount>;

GameValues ReadGameValues(std::string_view file, const kio::binding::CodePage& codePage);

}  // namespace kio::edit
