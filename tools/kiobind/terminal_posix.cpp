#include <unistd.h>

#include "terminal.h"

namespace kiobind {

bool StdoutIsColourTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace kiobind
