#include "api_support.h"

#include <cstdlib>
#include <cstring>

namespace kioweb {

char* HandOver(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy != nullptr) {
        std::memcpy(copy, text.c_str(), text.size() + 1);
    }
    return copy;
}

const kio::CodePage& CodePageOf(uint32_t id) {
    const kio::CodePage* page = kio::FindBuiltInCodePage(id);
    return page != nullptr ? *page : kio::DefaultCodePage();
}

std::string_view View(const char* bytes, size_t size) {
    return bytes != nullptr ? std::string_view(bytes, size) : std::string_view();
}

kiobind::Language LanguageOf(uint32_t id) {
    return id == 1 ? kiobind::Language::Japanese : kiobind::Language::English;
}

void WriteFindings(const std::vector<kiobind::Finding>& findings, kiobind::Language language,
                   JsonText& json) {
    json.BeginArray();
    for (const kiobind::Finding& finding : findings) {
        json.BeginObject()
            .Key("line").Number(finding.line)
            .Key("severity").Bytes(finding.severity == kiobind::Severity::Warning ? "warning"
                                                                                   : "note")
            .Key("message").Bytes(kiobind::Render(finding.message, language))
            .EndObject();
    }
    json.EndArray();
}

}  // namespace kioweb
