#include "api_support.h"

#include <cstdlib>
#include <cstring>

#include "findings_json.h"
#include "message_catalogue.h"

namespace kio::web {

char* HandOver(const Json& document) {
    // ASCII only: every byte from 0x7F up travels as \u00XX.
    const std::string text = document.dump(-1, ' ', true);
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy != nullptr) {
        std::memcpy(copy, text.c_str(), text.size() + 1);
    }
    return copy;
}

const kio::binding::CodePage& CodePageOf(uint32_t id) {
    const kio::binding::CodePage* page = kio::binding::FindBuiltInCodePage(id);
    return page != nullptr ? *page : kio::binding::DefaultCodePage();
}

std::string_view View(const char* bytes, size_t size) {
    return bytes != nullptr ? std::string_view(bytes, size) : std::string_view();
}

Json Bytes(std::string_view bytes) {
    std::string utf8;
    utf8.reserve(bytes.size() + bytes.size() / 4);
    for (const char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

std::string PageWords(const kio::messages::Message& message, kio::messages::Language language,
                      const kio::messages::FileTextShower& showFileText) {
    kio::messages::Message shown = message;
    shown.key += ".page";
    return kio::messages::Render(
        kio::messages::FindCatalogueEntry(shown.key) != nullptr ? shown : message, language,
        showFileText);
}

kio::messages::Language LanguageOf(uint32_t id) {
    return id == 1 ? kio::messages::Language::Japanese : kio::messages::Language::English;
}

Json InBothLanguages(const std::optional<kio::messages::Message>& message,
                     const FileTextShowers& showFileText) {
    Json words = Json::array();
    if (message) {
        for (const kio::messages::Language language :
             {kio::messages::Language::English, kio::messages::Language::Japanese}) {
            words.push_back(Bytes(PageWords(
                *message, language,
                showFileText ? showFileText(language) : kio::messages::FileTextShower())));
        }
    }
    return words;
}

Json FindingsJson(const std::vector<kio::analysis::Finding>& findings,
                  kio::messages::Language language,
                  const kio::messages::FileTextShower& showFileText) {
    Json list = Json::array();
    for (const kio::analysis::Finding& finding : findings) {
        Json json = kio::messages::FindingJson(finding, language);
        json["message"] = Bytes(PageWords(finding.message, language, showFileText));
        list.push_back(std::move(json));
    }
    return list;
}

}  // namespace kio::web
