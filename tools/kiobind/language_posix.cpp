#include <cstdlib>

#include "language_choice.h"

namespace kio::kiobind {
namespace {

std::string_view Variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string_view() : std::string_view(value);
}

}  // namespace

LanguageInputs SystemLanguageInputs() {
    LanguageInputs inputs;
    inputs.lcAll = Variable("LC_ALL");
    inputs.lcMessages = Variable("LC_MESSAGES");
    inputs.lang = Variable("LANG");
    inputs.lcCtype = Variable("LC_CTYPE");
    return inputs;
}

}  // namespace kio::kiobind
