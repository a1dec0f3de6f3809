// A message for the player as data: a catalogue key and named, typed
// arguments. The layers below produce these; only the tools and the page turn
// them into words (render.h), so a message is written once and read in any
// language.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kio::messages {

// How a rendering shows an argument.
enum class ArgumentForm {
    Escaped,    // text: control bytes and bytes from 0x80 up as \xNN
    Quoted,     // a text from the file: escaped, in quotes, long ones cut short
    Verbatim,   // UTF-8 made by the library itself
    Decimal,    // a number: 7
    Hex,        // a value as the file writes it: 0x39
    Byte,       // one byte: 0x82
    CodePoint,  // a character's code point: U+64CD
};

// One named argument: a text as it stands in the file, or a number.
struct MessageArgument {
    std::string name;
    std::string text;
    ArgumentForm form = ArgumentForm::Escaped;
    uint64_t number = 0;
};

struct Message {
    // The identifier, optionally followed by "." and the form: "K204.near".
    std::string key;
    std::vector<MessageArgument> arguments;

    // The identifier alone: "K204".
    std::string_view Id() const {
        const std::string_view whole = key;
        return whole.substr(0, whole.find('.'));
    }
};

inline MessageArgument Plain(std::string name, std::string text) {
    return {std::move(name), std::move(text), ArgumentForm::Escaped};
}

inline MessageArgument Quoted(std::string name, std::string text) {
    return {std::move(name), std::move(text), ArgumentForm::Quoted};
}

inline MessageArgument Verbatim(std::string name, std::string text) {
    return {std::move(name), std::move(text), ArgumentForm::Verbatim};
}

inline MessageArgument Number(std::string name, uint64_t number) {
    return {std::move(name), {}, ArgumentForm::Decimal, number};
}

inline MessageArgument HexNumber(std::string name, uint64_t number) {
    return {std::move(name), {}, ArgumentForm::Hex, number};
}

inline MessageArgument ByteNumber(std::string name, uint8_t byte) {
    return {std::move(name), {}, ArgumentForm::Byte, byte};
}

inline MessageArgument CodePoint(std::string name, char32_t codePoint) {
    return {std::move(name), {}, ArgumentForm::CodePoint, codePoint};
}

// Arguments moved into place: a braced list would copy each one, and a text
// from the file may be megabytes long.
template <typename... Arguments>
std::vector<MessageArgument> ArgumentsOf(Arguments&&... arguments) {
    std::vector<MessageArgument> list;
    list.reserve(sizeof...(arguments));
    (list.push_back(std::forward<Arguments>(arguments)), ...);
    return list;
}

}  // namespace kio::messages
