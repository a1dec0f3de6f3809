// Messages into words: the catalogue's text in the reader's language with each
// argument shown in place. Linked by the tools and the page only.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "message.h"

namespace kio::messages {

enum class Language { English, Japanese };

// A message with every {name} of its catalogue text replaced by the argument of
// that name.
std::string Render(const Message& message, Language language = Language::English);

// How a rendering shows text taken from the file (the Escaped and Quoted
// arguments) where the output can hold more than escaped bytes.
using FileTextShower = std::function<std::string(std::string_view)>;

// As Render, with file text shown by `showFileText`: Quoted ones still in
// quotes, long ones still cut short.
std::string Render(const Message& message, Language language, const FileTextShower& showFileText);

// An argument as a script reads it, the same in every language: file text
// escaped (\xNN from 0x80 up), numbers formatted as in the words.
std::string ArgumentText(const MessageArgument& argument);

}  // namespace kio::messages
