// Which language kiobind speaks: --lang first, then the user's own language.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "render.h"

namespace kio::kiobind {

// Everything the choice depends on, read from the system by SystemLanguageInputs.
struct LanguageInputs {
    std::string_view option;  // the value of --lang; empty when not given
    // Windows: GetUserDefaultUILanguage.
    std::optional<uint16_t> windowsLanguageId;
    // POSIX: the first non-empty of these names the language of messages.
    std::string_view lcAll;
    std::string_view lcMessages;
    std::string_view lang;
    // POSIX: LC_CTYPE, which comes between LC_ALL and LANG for the code page.
    std::string_view lcCtype;
};

// --lang en|ja wins. Otherwise Japanese when the user's language is Japanese: a
// Windows language id whose primary language is 0x11, or a POSIX locale "ja",
// "ja_JP", "ja_JP.UTF-8", "ja.eucJP" or "ja@..." in the first non-empty of
// LC_ALL, LC_MESSAGES and LANG. English otherwise. A --lang other than en or ja
// gives nothing: the command line is wrong.
std::optional<messages::Language> ChooseLanguage(const LanguageInputs& inputs);

// As ChooseLanguage, with a wrong --lang left to the system: the error that says
// so is then read in the user's own language.
messages::Language LanguageOrSystems(const LanguageInputs& inputs);

// The code page a file is read in when --code-page is not given. On POSIX, 932
// when the first non-empty of LC_ALL, LC_CTYPE and LANG is a Japanese locale, as
// Wine gives a game run under it; nothing otherwise, and nothing on Windows,
// where the process's own (GetACP) is the game's.
std::optional<uint32_t> LocaleCodePage(const LanguageInputs& inputs);

// The system's side of the inputs; one definition per platform. The views stay
// valid for the life of the process.
LanguageInputs SystemLanguageInputs();

}  // namespace kio::kiobind
