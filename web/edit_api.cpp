// What the page asks of the editing library: set, unset and fix, each from the
// file's bytes to the new bytes and the lines that changed, as JSON the page
// frees with free(). Nothing is written anywhere; saving is the page's job.
#include "api_support.h"
#include "binding_edit.h"
#include "utf16_encoding.h"

namespace {

void WriteOutcome(const kioedit::EditOutcome& outcome, kiobind::Language language,
                  kioweb::JsonText& json) {
    const char* status = outcome.status == kioedit::EditStatus::Ok        ? "ok"
                         : outcome.status == kioedit::EditStatus::Refused ? "refused"
                                                                          : "out of memory";
    json.Key("status").Bytes(status).Key("refusal").Bytes(kiobind::Render(outcome.refusal, language));
    json.Key("bytes").Bytes(outcome.bytes).Key("changes").BeginArray();
    for (const kioedit::LineChange& change : outcome.changes) {
        json.BeginObject()
            .Key("line").Number(change.line)
            .Key("added").Bool(change.added)
            .Key("before").Bytes(change.before)
            .Key("after").Bytes(change.after)
            .EndObject();
    }
    json.EndArray();
}

std::string OutcomeJson(const kioedit::EditOutcome& outcome, uint32_t languageId) {
    kioweb::JsonText json;
    json.BeginObject();
    WriteOutcome(outcome, kioweb::LanguageOf(languageId), json);
    json.EndObject();
    return json.Text();
}

}  // namespace

extern "C" {

using kioweb::CodePageOf;
using kioweb::HandOver;
using kioweb::View;

// kiobind set: binds `binding` to a key name or a 0x number.
char* kio_set(const char* file, size_t fileSize, const char* binding, size_t bindingSize,
              const char* value, size_t valueSize, uint32_t codePageId, uint32_t languageId) {
    return HandOver(OutcomeJson(kioedit::SetBinding(View(file, fileSize), View(binding, bindingSize),
                                                    View(value, valueSize),
                                                    CodePageOf(codePageId)),
                                languageId));
}

// kiobind unset: turns off every line naming `binding`.
char* kio_unset(const char* file, size_t fileSize, const char* binding, size_t bindingSize,
                uint32_t codePageId, uint32_t languageId) {
    return HandOver(OutcomeJson(kioedit::UnsetBinding(View(file, fileSize),
                                                      View(binding, bindingSize),
                                                      CodePageOf(codePageId)),
                                languageId));
}

// kiobind fix: every fix with one sure answer, and what is left to decide.
char* kio_fix(const char* file, size_t fileSize, uint32_t codePageId, uint32_t languageId) {
    const kioedit::FixOutcome outcome =
        kioedit::FixFile(View(file, fileSize), CodePageOf(codePageId),
                         &kioweb::EncodeUtf16InPage);
    kioweb::JsonText json;
    json.BeginObject();
    const kiobind::Language language = kioweb::LanguageOf(languageId);
    WriteOutcome(outcome.edit, language, json);
    json.Key("convertedFrom").Bytes(outcome.convertedFrom).Key("remaining");
    kioweb::WriteFindings(outcome.remaining, language, json);
    json.EndObject();
    return HandOver(json.Text());
}

}  // extern "C"
