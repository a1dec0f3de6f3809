#include <windows.h>

#include "language_choice.h"

namespace kio::kiobind {

// The language of the user's Windows, as its own menus show it; the locale
// variables of a POSIX shell mean nothing here.
LanguageInputs SystemLanguageInputs() {
    LanguageInputs inputs;
    inputs.windowsLanguageId = GetUserDefaultUILanguage();
    return inputs;
}

}  // namespace kio::kiobind
