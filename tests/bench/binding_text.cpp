#include "binding_text.h"

#include <array>
#include <cstdio>

#include "vocabulary.h"

namespace kio::bench {
namespace {

constexpr std::array<std::string_view, kActionCount> kKeyboardValues = {
    "w",      "s",     "a",     "d",    "e",        "q",       "up",      "down",   "left",
    "right",  "return", "space", "escape", "back",   "p",       "f",       "lshift", "r",
    "lcontrol", "tab", "m",     "i",    "o",        "numpad4", "numpad6", "numpad8", "numpad2"};

constexpr std::string_view kLineEnd = "\r\n";

std::string BindingLine(int entry) {
    const int action = entry / 2;
    std::string line(BindingName(entry));
    line += '=';
    if (entry % 2 == 0) {
        line += kKeyboardValues[action];
    } else {
        char value[16];
        std::snprintf(value, sizeof value, "0x%08X", 0x100u + static_cast<unsigned>(action));
        line += value;
    }
    return line;
}

// The 60 lines of a typical file, without line ends.
std::array<std::string, 60> TypicalLines() {
    std::array<std::string, 60> lines;
    size_t next = 0;
    lines[next++] = "; input.ini - key and pad bindings of the game";
    lines[next++] = "; written by the options screen";
    lines[next++] = "[Keyboard]";
    for (int action = 0; action < kActionCount; ++action) {
        lines[next++] = BindingLine(2 * action);
    }
    lines[next++] = "";
    lines[next++] = "[Pad]";
    for (int action = 0; action < kActionCount; ++action) {
        lines[next++] = BindingLine(2 * action + 1);
    }
    lines[next++] = "";
    return lines;
}

}  // namespace

std::string MakeBindingFile(size_t lineCount) {
    const std::array<std::string, 60> lines = TypicalLines();
    std::string text;
    for (size_t i = 0; i < lineCount; ++i) {
        text += lines[i % lines.size()];
        text += kLineEnd;
    }
    return text;
}

std::string MakeBindingLines(size_t byteCount) {
    std::string block;
    for (int entry = 0; entry < kBindingCount; ++entry) {
        block += BindingLine(entry);
        block += kLineEnd;
    }
    std::string text;
    text.reserve(byteCount + block.size());
    while (text.size() < byteCount) {
        text += block;
    }
    return text;
}

}  // namespace kio::bench
