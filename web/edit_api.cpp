// What the page asks of the editing library: set, unset and fix, each from the
// file's bytes to the new bytes and the lines that changed, as JSON the page
// frees with free(). Nothing is written anywhere; saving is the page's job.
#include "api_support.h"
#include "binding_edit.h"
#include "utf16_encoding.h"

#include <optional>

namespace {

using kio::web::Json;

// File text as the page shows it in each language: decoded by the browser.
kio::web::FileTextShowers ShowersFor(uint32_t codePageId) {
    return [codePageId](kio::messages::Language language) {
        return kio::web::FileTextShowerInPage(language, codePageId);
    };
}

Json OutcomeJson(const kio::edit::EditOutcome& outcome, uint32_t codePageId) {
    const char* status = outcome.status == kio::edit::EditStatus::Ok        ? "ok"
                         : outcome.status == kio::edit::EditStatus::Refused ? "refused"
                                                                            : "out of memory";
    Json changes = Json::array();
    for (const kio::edit::LineChange& change : outcome.changes) {
        changes.push_back({{"line", change.line},
                           {"added", change.added},
                           {"before", kio::web::Bytes(change.before)},
                           {"after", kio::web::Bytes(change.after)}});
    }
    const bool refused = outcome.status == kio::edit::EditStatus::Refused;
    return {{"status", status},
            {"refusal",
             kio::web::InBothLanguages(refused ? std::optional(outcome.refusal) : std::nullopt,
                                       ShowersFor(codePageId))},
            {"refusalId", refused ? Json(outcome.refusal.Id()) : Json(nullptr)},
            {"bytes", kio::web::Bytes(outcome.bytes)},
            {"changes", std::move(changes)}};
}

}  // namespace

extern "C" {

using kio::web::CodePageOf;
using kio::web::HandOver;
using kio::web::View;

// kiobind set: binds `binding` to a key name or a 0x number.
char* kio_set(const char* file, size_t fileSize, const char* binding, size_t bindingSize,
              const char* value, size_t valueSize, uint32_t codePageId) {
    return HandOver(
        OutcomeJson(kio::edit::SetBinding(View(file, fileSize), View(binding, bindingSize),
                                          View(value, valueSize), CodePageOf(codePageId)),
                    codePageId));
}

// kiobind unset: turns off every line naming `binding`.
char* kio_unset(const char* file, size_t fileSize, const char* binding, size_t bindingSize,
                uint32_t codePageId) {
    return HandOver(
        OutcomeJson(kio::edit::UnsetBinding(View(file, fileSize), View(binding, bindingSize),
                                            CodePageOf(codePageId)),
                    codePageId));
}

// kiobind fix: every fix with one sure answer, and what is left to decide.
char* kio_fix(const char* file, size_t fileSize, uint32_t codePageId, uint32_t languageId) {
    const kio::edit::FixOutcome outcome = kio::edit::FixFile(
        View(file, fileSize), CodePageOf(codePageId), &kio::web::EncodeUtf16InPage);
    const kio::messages::Language language = kio::web::LanguageOf(languageId);
    Json json = OutcomeJson(outcome.edit, codePageId);
    json["convertedFrom"] = kio::web::InBothLanguages(
        outcome.convertedFrom.empty()
            ? std::nullopt
            : std::optional(kio::messages::Message{outcome.convertedFrom, {}}),
        ShowersFor(codePageId));
    json["remaining"] = kio::web::FindingsJson(
        outcome.remaining, language, kio::web::FileTextShowerInPage(language, codePageId));
    return HandOver(json);
}

}  // extern "C"
