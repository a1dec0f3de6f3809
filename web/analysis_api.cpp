// What the page asks of the loader and kiobind's findings. Each export takes
// the file's bytes and a code page and returns JSON text the page owns and
// frees with free(); nothing is kept between calls.
#include <string>
#include <string_view>

#include "api_support.h"
#include "binding_table.h"
#include "browser_keys.h"
#include "file_analysis.h"
#include "findings.h"
#include "game_values.h"
#include "utf16_encoding.h"
#include "vocabulary.h"

namespace {

using kio::web::Json;

// The game's lines: the number an editor shows, and the binding each names.
Json LinesJson(const kio::analysis::FileAnalysis& analysis) {
    Json lines = Json::array();
    for (const kio::analysis::AnalysedLine& line : analysis.lines) {
        lines.push_back(
            {{"number", line.number}, {"entry", line.entry ? Json(*line.entry) : Json(nullptr)}});
    }
    return lines;
}

// Each binding in the action table's order: the value the game gets and the
// line that decides it, or null where the game keeps its default.
Json BindingsJson(const kio::analysis::FileAnalysis& analysis,
                  const kio::binding::CodePage& codePage) {
    const kio::analysis::BindingTable table =
        kio::analysis::BuildBindingTable(analysis, kio::analysis::TableOrder(), codePage);
    // Where the file sets nothing, the page shows the default, not a value.
    const kio::edit::GameValues values = kio::edit::ReadGameValues(analysis.bytes, codePage);

    Json bindings = Json::array();
    for (int entry = 0; entry < kio::binding::kBindingCount; ++entry) {
        const kio::analysis::AnalysedLine* line = table.slots[entry].setBy;
        bindings.push_back({{"name", kio::binding::BindingName(entry)},
                            {"line", line != nullptr ? Json(line->number) : Json(nullptr)},
                            {"value", values[static_cast<size_t>(entry)].value_or(0)}});
    }
    return bindings;
}

}  // namespace

extern "C" {

// The browser keys with their DirectInput values and key names, every key name
// the file may use, and the binding names in the action table's order.
char* kio_vocabulary() {
    Json browserKeys = Json::array();
    for (const kio::analysis::BrowserKey& key : kio::analysis::BrowserKeys()) {
        const int32_t value = kio::analysis::DirectInputValue(key.scanCode);
        const std::optional<std::string> name = kio::analysis::KeyNameOf(value);
        browserKeys.push_back(
            {{"code", key.code}, {"value", value}, {"name", name ? Json(*name) : Json(nullptr)}});
    }
    Json keyNames = Json::array();
    for (const kio::binding::KeyName& key : kio::binding::kKeyNames) {
        const std::string name = kio::analysis::FileSpelling(key.name);
        if (kio::binding::FindKeyCode(name) == key.code) {
            keyNames.push_back({{"name", name}, {"value", key.code}});
        }
    }
    Json actions = Json::array();
    for (const kio::binding::Action& action : kio::binding::kActions) {
        actions.push_back(action.name);
    }
    return kio::web::HandOver(
        {{"browserKeys", browserKeys}, {"keyNames", keyNames}, {"actions", actions}});
}

// What the game and `kiobind check` make of the file.
// A file's bytes as the page shows them: {"text": UTF-8}.
char* kio_shown(const char* bytes, size_t size, uint32_t codePageId) {
    return kio::web::HandOver(
        {{"text", kio::web::ShownInPage(kio::web::View(bytes, size), codePageId)}});
}

char* kio_analyse(const char* bytes, size_t size, uint32_t codePageId, uint32_t languageId) {
    const kio::binding::CodePage& codePage = kio::web::CodePageOf(codePageId);
    const std::string_view file = kio::web::View(bytes, size);
    const kio::analysis::FileAnalysis analysis = kio::analysis::AnalyseFile(file, codePage);
    return kio::web::HandOver(
        {{"codePage", codePage.id},
         {"lines", LinesJson(analysis)},
         {"bindings", BindingsJson(analysis, codePage)},
         {"findings",
          kio::web::FindingsJson(
              kio::analysis::CollectFindings(analysis, codePage), kio::web::LanguageOf(languageId),
              kio::web::FileTextShowerInPage(kio::web::LanguageOf(languageId), codePage.id))}});
}

}  // extern "C"
