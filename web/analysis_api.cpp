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

using kioweb::Json;

// The game's lines: the number an editor shows, and the binding each names.
Json LinesJson(const kiobind::FileAnalysis& analysis) {
    Json lines = Json::array();
    for (const kiobind::AnalysedLine& line : analysis.lines) {
        lines.push_back(
            {{"number", line.number}, {"entry", line.entry ? Json(*line.entry) : Json(nullptr)}});
    }
    return lines;
}

// Each binding in the action table's order: the value the game gets and the
// line that decides it, or null where the game keeps its default.
Json BindingsJson(const kiobind::FileAnalysis& analysis, const kio::CodePage& codePage) {
    const kiobind::BindingTable table =
        kiobind::BuildBindingTable(analysis, kiobind::TableOrder(), codePage);
    // Where the file sets nothing, the page shows the default, not a value.
    const kioedit::GameValues values = kioedit::ReadGameValues(analysis.bytes, codePage);

    Json bindings = Json::array();
    for (int entry = 0; entry < kio::kBindingCount; ++entry) {
        const kiobind::AnalysedLine* line = table.slots[entry].setBy;
        bindings.push_back({{"name", kio::BindingName(entry)},
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
    for (const kiobind::BrowserKey& key : kiobind::BrowserKeys()) {
        const int32_t value = kiobind::DirectInputValue(key.scanCode);
        const std::optional<std::string> name = kiobind::KeyNameOf(value);
        browserKeys.push_back(
            {{"code", key.code}, {"value", value}, {"name", name ? Json(*name) : Json(nullptr)}});
    }
    Json keyNames = Json::array();
    for (const kio::KeyName& key : kio::kKeyNames) {
        const std::string name = kiobind::FileSpelling(key.name);
        if (kio::FindKeyCode(name) == key.code) {
            keyNames.push_back({{"name", name}, {"value", key.code}});
        }
    }
    Json actions = Json::array();
    for (const kio::Action& action : kio::kActions) {
        actions.push_back(action.name);
    }
    return kioweb::HandOver(
        {{"browserKeys", browserKeys}, {"keyNames", keyNames}, {"actions", actions}});
}

// What the game and `kiobind check` make of the file.
char* kio_analyse(const char* bytes, size_t size, uint32_t codePageId, uint32_t languageId) {
    const kio::CodePage& codePage = kioweb::CodePageOf(codePageId);
    const std::string_view file = kioweb::View(bytes, size);
    const kiobind::FileAnalysis analysis = kiobind::AnalyseFile(file, codePage);
    return kioweb::HandOver(
        {{"codePage", codePage.id},
         {"lines", LinesJson(analysis)},
         {"bindings", BindingsJson(analysis, codePage)},
         {"findings",
          kioweb::FindingsJson(
              kiobind::CollectFindings(analysis, codePage), kioweb::LanguageOf(languageId),
              kioweb::FileTextShowerInPage(kioweb::LanguageOf(languageId), codePage.id))}});
}

}  // extern "C"
