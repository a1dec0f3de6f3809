#include "words.h"

#include <utility>

#include "file_text.h"

namespace kio::kiobind {

std::string Words(messages::Language language, std::string key,
                  std::vector<messages::MessageArgument> arguments) {
    return messages::Render(messages::Message{std::move(key), std::move(arguments)}, language);
}

messages::FileTextShower FileTextShowerFor(messages::Language language, uint32_t codePageId) {
    if (language == messages::Language::English) {
        return {};
    }
    return [codePageId](std::string_view bytes) { return ShowFileText(bytes, codePageId, true); };
}

std::string Said(const messages::Message& message, messages::Language language,
                 uint32_t codePageId) {
    return messages::Render(message, language, FileTextShowerFor(language, codePageId));
}

}  // namespace kio::kiobind
