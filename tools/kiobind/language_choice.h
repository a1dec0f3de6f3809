// Which language kiobind speaks: --lang first, then the user's own language.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "message.h"

namespace kiobind {

// Everything the choice depends on, read from the system by SystemLanguageInputs.
struct LanguageInputs {
    std::string_view option;  // the value of --lang; empty when not given
    // Windows: GetUserDefaultUILanguage.
    std::optional<uint16_t> windowsLanguageId;
    // POSIX: the first non-empty of these names the language of messages.
    std::string_view lcAll;
    std::string_view lcMessages;
    std::string_view lang;
};

// --lang en|ja wins. Otherwise Japanese when the user's language is Japanese: a
// Windows language id whose primary language is 0x11, or a POSIX locale "ja",
// "ja_JP", "ja_JP.UTF-8", "ja.eucJP" or "ja@..." in the first non-empty of
// LC_ALL, LC_MESSAGES and LANG. English otherwise. A --lang other than en or ja
// gives nothing: the command line is wrong.
std::optional<Language> ChooseLanguage(const LanguageInputs& inputs);

// The system's side of the inputs; one definition per platform. The views stay
// valid for the life of the process.
LanguageInputs SystemLanguageInputs();

}  // namespace kiobind
