// Which key of the game a browser key is: KeyboardEvent.code to the DirectInput
// value the game compares with, and to the key name the file spells it with.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kio::analysis {

struct BrowserKey {
    std::string_view code;  // KeyboardEvent.code, "ControlRight"
    uint16_t scanCode;      // the set-1 scan code Windows reports; 0xE0xx for extended keys
};

// Every browser key code that has a Windows scan code.
std::span<const BrowserKey> BrowserKeys();

// DirectInput's value for a set-1 scan code: the code itself, or 0x80 | low byte
// for an extended key. Windows reports Pause as 0x45 and NumLock as 0xE045, the
// reverse of their DirectInput values, so those two are swapped back.
constexpr int32_t DirectInputValue(uint16_t scanCode) {
    if (scanCode == 0x45) {
        return 0xC5;
    }
    if (scanCode == 0xE045) {
        return 0x45;
    }
    return (scanCode & 0xFF00) == 0xE000 ? (0x80 | (scanCode & 0xFF)) : scanCode;
}

std::optional<int32_t> BrowserKeyValue(std::string_view code);

// A key name as the file must spell it: in lower case.
std::string FileSpelling(std::string_view keyName);

// The name the file must spell (lower case) for a DirectInput value, when a key
// name reaches it; "-" and "/" reach only their numeric-pad codes.
std::optional<std::string> KeyNameOf(int32_t value);

// A binding's value as the file writes it: a keyboard binding's key name where
// the value has one, else 0x and the number (the pad's values always).
std::string WrittenValue(int entry, int32_t value);

// The browser key code of a DirectInput value, or "" when no browser key sends it.
std::string_view BrowserCodeOf(int32_t value);

}  // namespace kio::analysis
