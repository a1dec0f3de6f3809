// kiobind's own words (help, tables, errors), from the message catalogue.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render.h"

namespace kio::kiobind {

// The catalogue's text for `key` in `language`, with its {names} filled in.
std::string Words(messages::Language language, std::string key,
                  std::vector<messages::MessageArgument> arguments = {});

// A finding or a refusal as kiobind says it. In Japanese, whose output is
// UTF-8, text from the file is shown decoded in its code page where it makes
// sense there; in English it is escaped as always.
std::string Said(const messages::Message& message, messages::Language language,
                 uint32_t codePageId);

// How kiobind shows text from the file in `language`, as Said does: nothing
// (the escaping default) in English.
messages::FileTextShower FileTextShowerFor(messages::Language language, uint32_t codePageId);

}  // namespace kio::kiobind
