#include "terminal.h"

namespace kio::kiobind {

std::string Style::operator()(Paint paint, std::string_view text) const {
    if (!colour) {
        return std::string(text);
    }
    std::string_view start;
    switch (paint) {
        case Paint::Bold: start = "\x1b[1m"; break;
        case Paint::Warning: start = "\x1b[1;35m"; break;
        case Paint::Note: start = "\x1b[1;36m"; break;
        case Paint::Error: start = "\x1b[1;31m"; break;
        case Paint::Quiet: start = "\x1b[2m"; break;
        case Paint::Good: start = "\x1b[32m"; break;
    }
    return std::string(start) + std::string(text) + "\x1b[0m";
}

bool WantColour(bool stdoutIsTerminal, const char* noColourVariable) {
    return stdoutIsTerminal && noColourVariable == nullptr;
}

}  // namespace kio::kiobind
