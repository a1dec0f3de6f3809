#include "words.h"

#include <utility>

#include "file_text.h"

namespace kiobind {

std::string Words(Language language, std::string key, std::vector<MessageArgument> arguments) {
    return Render(Message{std::move(key), std::move(arguments)}, language);
}

FileTextShower FileTextShowerFor(Language language, uint32_t codePageId) {
    if (language == Language::English) {
        return {};
    }
    return [codePageId](std::string_view bytes) { return ShowFileText(bytes, codePageId, true); };
}

std::string Said(const Message& message, Language language, uint32_t codePageId) {
    return Render(message, language, FileTextShowerFor(language, codePageId));
}

}  // namespace kiobind
