// Lines as kiobind numbers them (analysis::LineNumbers), and the list of changed
// lines between two versions of a file.
#pragma once

#include <string_view>
#include <vector>

#include "binding_edit.h"
#include "line_numbers.h"

namespace kio::edit {

// The lines of `bytes`, each without its line break. A file ending in a line
// break has no empty last line here.
std::vector<std::string_view> EditorLines(std::string_view bytes);

// The line holding the byte at `offset`, without its line break. `lines` are
// those of `bytes`, counted once for all the lines a caller looks at.
std::string_view LineAround(std::string_view bytes, const kio::analysis::LineNumbers& lines,
                            size_t offset);

// The changed lines of two versions with the same line breaks, each
// described as "AFTER (was BEFORE)".
std::vector<LineChange> ChangedLines(std::string_view before, std::string_view after);

}  // namespace kio::edit
