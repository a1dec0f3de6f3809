#include <unistd.h>

#include "file_text.h"
#include "terminal.h"

namespace kio::kiobind {

bool StdoutIsColourTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

std::string FileNameAsUtf8(std::string_view name) { return std::string(name); }

}  // namespace kio::kiobind
