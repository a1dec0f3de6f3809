// Binding file text for the benchmarks, the same for the native program and the
// Windows one: realistic "input.ini" text of any length.
#pragma once

#include <cstddef>
#include <string>

#include "binding_lines.h"
#include "test_files.h"

namespace kio::binding::bench {

// The game's 27 action names, in the order the game lists them: the tests' list.
inline const char* const* const kActionNames = kio::binding::test::kTableOrder;

// What a player's "input.ini" looks like: a comment, a [Keyboard] section of 27
// key names, a [Pad] section of 27 hexadecimal values, CRLF line ends. Exactly
// 60 lines; longer files repeat them, shorter ones are cut after `lineCount`.
std::string MakeBindingFile(size_t lineCount);

// The same file as a Japanese player keeps it under code page 932: ASCII
// binding lines, each under a comment line in Shift-JIS, as are the two comments
// at the top. 114 lines; longer files repeat them, shorter ones are cut.
std::string MakeShiftJisCommentedFile(size_t lineCount);

// The 54 binding lines alone, repeated until the text holds at least `byteCount`
// bytes, ending on a whole line.
std::string MakeBindingLines(size_t byteCount);

}  // namespace kio::binding::bench
