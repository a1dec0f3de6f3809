// What the page asks of the editing library: set, unset and fix, each from the
// file's bytes to the new bytes and the lines that changed, as JSON the page
// frees with free(). Nothing is written anywhere; saving is the page's job.
#include "api_support.h"
#include "binding_edit.h"
#include "utf16_encoding.h"

#include <optional>

namespace {

using kioweb::Json;

// Words the status line keeps, in both languages, so that they follow a later
// switch of language: indexed by the page's language id, empty for none.
Json InBothLanguages(const std::optional<kiobind::Message>& message, uint32_t codePageId) {
    Json words = Json::array();
    if (message) {
        for (const kiobind::Language language :
             {kiobind::Language::English, kiobind::Language::Japanese}) {
            words.push_back(kioweb::Bytes(kioweb::PageWords(
                *message, language, kioweb::FileTextShowerInPage(language, codePageId))));
        }
    }
    return words;
}

Json OutcomeJson(const kioedit::EditOutcome& outcome, uint32_t codePageId) {
    const char* status = outcome.status == kioedit::EditStatus::Ok        ? "ok"
                         : outcome.status == kioedit::EditStatus::Refused ? "refused"
                                                                          : "out of memory";
    Json changes = Json::array();
    for (const kioedit::LineChange& change : outcome.changes) {
        changes.push_back({{"line", change.line},
                           {"added", change.added},
                           {"before", kioweb::Bytes(change.before)},
                           {"after", kioweb::Bytes(change.after)}});
    }
    const bool refused = outcome.status == kioedit::EditStatus::Refused;
    return {{"status", status},
            {"refusal",
             InBothLanguages(refused ? std::optional(outcome.refusal) : std::nullopt, codePageId)},
            {"refusalId", refused ? Json(outcome.refusal.Id()) : Json(nullptr)},
            {"bytes", kioweb::Bytes(outcome.bytes)},
            {"changes", std::move(changes)}};
}

}  // namespace

extern "C" {

using kioweb::CodePageOf;
using kioweb::HandOver;
using kioweb::View;

// kiobind set: binds `binding` to a key name or a 0x number.
char* kio_set(const char* file, size_t fileSize, const char* binding, size_t bindingSize,
              const char* value, size_t valueSize, uint32_t codePageId) {
    return HandOver(
        OutcomeJson(kioedit::SetBinding(View(file, fileSize), View(binding, bindingSize),
                                        View(value, valueSize), CodePageOf(codePageId)),
                    codePageId));
}

// kiobind unset: turns off every line naming `binding`.
char* kio_unset(const char* file, size_t fileSize, const char* binding, size_t bindingSize,
                uint32_t codePageId) {
    return HandOver(
        OutcomeJson(kioedit::UnsetBinding(View(file, fileSize), View(binding, bindingSize),
                                          CodePageOf(codePageId)),
                    codePageId));
}

// kiobind fix: every fix with one sure answer, and what is left to decide.
char* kio_fix(const char* file, size_t fileSize, uint32_t codePageId, uint32_t languageId) {
    const kioedit::FixOutcome outcome =
        kioedit::FixFile(View(file, fileSize), CodePageOf(codePageId), &kioweb::EncodeUtf16InPage);
    const kiobind::Language language = kioweb::LanguageOf(languageId);
    Json json = OutcomeJson(outcome.edit, codePageId);
    json["convertedFrom"] = InBothLanguages(
        outcome.convertedFrom.empty() ? std::nullopt
                                      : std::optional(kiobind::Message{outcome.convertedFrom, {}}),
        codePageId);
    json["remaining"] = kioweb::FindingsJson(outcome.remaining, language,
                                             kioweb::FileTextShowerInPage(language, codePageId));
    return HandOver(json);
}

}  // extern "C"
