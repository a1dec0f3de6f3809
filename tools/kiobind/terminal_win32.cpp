#include <windows.h>

#include "terminal.h"

namespace kiobind {

// A console that accepts colour sequences once asked to; a pipe, a file or an
// older console gets plain text.
bool StdoutIsColourTerminal() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (output == INVALID_HANDLE_VALUE || !GetConsoleMode(output, &mode)) {
        return false;
    }
    return SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace kiobind
