// Colour for people, plain text for pipes and files.
#pragma once

#include <string>
#include <string_view>

namespace kio::kiobind {

enum class Paint { Bold, Warning, Note, Error, Quiet, Good };

struct Style {
    bool colour = false;

    std::string operator()(Paint paint, std::string_view text) const;
};

// Colour only on a terminal, and never when NO_COLOR is set, whatever its value.
bool WantColour(bool stdoutIsTerminal, const char* noColourVariable);

// Whether standard output is a terminal that understands colour sequences;
// one definition per platform.
bool StdoutIsColourTerminal();

}  // namespace kio::kiobind
