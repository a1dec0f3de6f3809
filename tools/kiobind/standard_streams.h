// Writing kiobind's report to standard output and standard error.
//
// Text is UTF-8 (plain ASCII in English). A Windows console is written through
// WriteConsoleW, so Japanese shows whatever the console's code page; output
// redirected to a file or a pipe is UTF-8 on every system, as it always was
// ASCII in English.
#pragma once

#include <string_view>

namespace kio::kiobind {

enum class StandardStream { Output, Error };

// False when the text could not be written in full (a full disk, a closed pipe).
// One definition per platform.
bool WriteStandard(StandardStream stream, std::string_view utf8);

}  // namespace kio::kiobind
