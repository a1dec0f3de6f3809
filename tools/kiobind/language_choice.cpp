#include "language_choice.h"

namespace kio::kiobind {
namespace {

// A locale's language is what comes before "_", "." or "@".
bool IsJapaneseLocale(std::string_view locale) {
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
    return language == "ja";
}

constexpr uint16_t kPrimaryLanguageMask = 0x3FF;
constexpr uint16_t kJapanese = 0x11;
constexpr uint32_t kJapaneseCodePage = 932;

}  // namespace

std::optional<messages::Language> ChooseLanguage(const LanguageInputs& inputs) {
    if (inputs.option == "en") return messages::Language::English;
    if (inputs.option == "ja") return messages::Language::Japanese;
    if (!inputs.option.empty()) return std::nullopt;
    if (inputs.windowsLanguageId) {
        return (*inputs.windowsLanguageId & kPrimaryLanguageMask) == kJapanese
                   ? messages::Language::Japanese
                   : messages::Language::English;
    }
    for (const std::string_view locale : {inputs.lcAll, inputs.lcMessages, inputs.lang}) {
        if (!locale.empty()) {
            return IsJapaneseLocale(locale) ? messages::Language::Japanese
                                            : messages::Language::English;
        }
    }
    return messages::Language::English;
}

messages::Language LanguageOrSystems(const LanguageInputs& inputs) {
    if (const std::optional<messages::Language> chosen = ChooseLanguage(inputs)) {
        return *chosen;
    }
    LanguageInputs system = inputs;
    system.option = {};
    return ChooseLanguage(system).value_or(messages::Language::English);
}

std::optional<uint32_t> LocaleCodePage(const LanguageInputs& inputs) {
    if (inputs.windowsLanguageId) {
        return std::nullopt;
    }
    for (const std::string_view locale : {inputs.lcAll, inputs.lcCtype, inputs.lang}) {
        if (!locale.empty()) {
            return IsJapaneseLocale(locale) ? std::optional<uint32_t>(kJapaneseCodePage)
                                            : std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace kio::kiobind
