// A message for the player as data: a catalogue key and named arguments. The
// words come from the message catalogue (po/), one text per language, so a
// message is written once and read in any language.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kiobind {

enum class Language { English, Japanese };

// How a rendering shows an argument's text.
enum class ArgumentForm {
    Escaped,   // control bytes and bytes from 0x80 up as \xNN
    Quoted,    // a text from the file: escaped, in single quotes, long ones cut short
    Verbatim,  // UTF-8 made by the library itself
};

// One named argument: its text as it stands in the file or as computed.
struct MessageArgument {
    std::string name;
    std::string text;
    ArgumentForm form = ArgumentForm::Escaped;
};

struct Message {
    // The identifier, optionally followed by "." and the form: "K204.near".
    std::string key;
    std::vector<MessageArgument> arguments;

    // The identifier alone: "K204".
    std::string_view Id() const;
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

// A message with every {name} of its catalogue text replaced by the argument of
// that name.
std::string Render(const Message& message, Language language = Language::English);

// How a rendering shows text taken from the file (the Escaped and Quoted
// arguments) where the output can hold more than escaped bytes.
using FileTextShower = std::function<std::string(std::string_view)>;

// As Render, with file text shown by `showFileText`: Quoted ones still in
// quotes, long ones still cut short.
std::string Render(const Message& message, Language language, const FileTextShower& showFileText);

}  // namespace kiobind
