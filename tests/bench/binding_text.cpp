#include "binding_text.h"

#include <array>
#include <cstdio>
#include <vector>

#include "binding_lines.h"
#include "vocabulary.h"

namespace kio::binding::bench {
namespace {

constexpr std::array<std::string_view, kActionCount> kKeyboardValues = {
    "w",        "s",      "a",     "d",      "e",    "q",       "up",      "down",    "left",
    "right",    "return", "space", "escape", "back", "p",       "f",       "lshift",  "r",
    "lcontrol", "tab",    "m",     "i",      "o",    "numpad4", "numpad6", "numpad8", "numpad2"};

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

// Comments in Shift-JIS, split where a letter would continue a "\x" escape.
constexpr std::array<std::string_view, 5> kShiftJisComments = {
    "; \x83L\x81[\x83{\x81[\x83h\x82\xCC\x90\xDD\x92\xE8\x82\xC5\x82\xB7",  // キーボードの設定です
    "; \x83p\x83"
    "b\x83h\x82\xCC\x90\xDD\x92\xE8\x82\xC5\x82\xB7",  // パッドの設定です
    "; \x91O\x82\xD6\x90i\x82\xDD\x82\xDC\x82\xB7",    // 前へ進みます
    "; \x83J\x83\x81\x83\x89\x82\xF0\x89"
    "E\x82\xD6\x89\xF1\x82\xB5\x82\xDC\x82\xB7",             // カメラを右へ回します
    "; \x8C\x88\x92\xE8\x83{\x83^\x83\x93\x82\xC5\x82\xB7",  // 決定ボタンです
};

std::vector<std::string> ShiftJisCommentedLines() {
    std::vector<std::string> lines;
    for (const std::string& line : TypicalLines()) {
        if (line.starts_with(';')) {
            lines.emplace_back(kShiftJisComments[lines.size() % 2]);
        } else if (line.find('=') != std::string::npos) {
            lines.emplace_back(kShiftJisComments[2 + lines.size() % 3]);
            lines.push_back(line);
        } else {
            lines.push_back(line);
        }
    }
    return lines;
}

std::string RepeatLines(const auto& lines, size_t lineCount) {
    std::string text;
    for (size_t i = 0; i < lineCount; ++i) {
        text += lines[i % lines.size()];
        text += kLineEnd;
    }
    return text;
}

}  // namespace

std::string MakeShiftJisCommentedFile(size_t lineCount) {
    return RepeatLines(ShiftJisCommentedLines(), lineCount);
}

std::string MakeBindingFile(size_t lineCount) { return RepeatLines(TypicalLines(), lineCount); }

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

}  // namespace kio::binding::bench
