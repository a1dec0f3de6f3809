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
#include "load_bindings.h"
#include "vocabulary.h"

namespace {

// The game's lines: the number an editor shows, and the binding each names.
void WriteLines(const kiobind::FileAnalysis& analysis, kioweb::JsonText& json) {
    json.Key("lines").BeginArray();
    for (const kiobind::AnalysedLine& line : analysis.lines) {
        json.BeginObject().Key("number").Number(line.number).Key("entry");
        line.entry ? json.Number(*line.entry) : json.Null();
        json.EndObject();
    }
    json.EndArray();
}

// Each binding in the action table's order: the value the game gets and the
// line that decides it, or null where the game keeps its default.
void WriteBindings(const kiobind::FileAnalysis& analysis, const kio::CodePage& codePage,
                   kioweb::JsonText& json) {
    const kiobind::BindingTable table =
        kiobind::BuildBindingTable(analysis, kiobind::TableOrder(), codePage);
    std::array<const char*, kio::kActionCount> names;
    for (int p = 0; p < kio::kActionCount; ++p) {
        names[p] = kio::kActions[p].name.data();
    }
    kio::BindingValues values{};
    kio::ApplyBindingLines(analysis.text, kio::BuildSlotTable(names.data()), codePage, values);

    json.Key("bindings").BeginArray();
    for (int entry = 0; entry < kio::kBindingCount; ++entry) {
        const kiobind::AnalysedLine* line = table.slots[entry].setBy;
        json.BeginObject().Key("name").Bytes(kio::BindingName(entry));
        json.Key("line");
        line != nullptr ? json.Number(line->number) : json.Null();
        json.Key("value").Number(values[entry]).EndObject();
    }
    json.EndArray();
}

}  // namespace

extern "C" {

// The browser keys with their DirectInput values and key names, every key name
// the file may use, and the binding names in the action table's order.
char* kio_vocabulary() {
    kioweb::JsonText json;
    json.BeginObject().Key("browserKeys").BeginArray();
    for (const kiobind::BrowserKey& key : kiobind::BrowserKeys()) {
        const int32_t value = kiobind::DirectInputValue(key.scanCode);
        json.BeginObject().Key("code").Bytes(key.code).Key("value").Number(value).Key("name");
        const std::optional<std::string> name = kiobind::KeyNameOf(value);
        name ? json.Bytes(*name) : json.Null();
        json.EndObject();
    }
    json.EndArray().Key("keyNames").BeginArray();
    for (const kio::KeyName& key : kio::kKeyNames) {
        const std::string name = kiobind::FileSpelling(key.name);
        if (kio::FindKeyCode(name) == key.code) {
            json.BeginObject().Key("name").Bytes(name).Key("value").Number(key.code).EndObject();
        }
    }
    json.EndArray().Key("actions").BeginArray();
    for (const kio::Action& action : kio::kActions) {
        json.Bytes(action.name);
    }
    json.EndArray().EndObject();
    return kioweb::HandOver(json.Text());
}

// What the game and `kiobind check` make of the file.
char* kio_analyse(const char* bytes, size_t size, uint32_t codePageId, uint32_t languageId) {
    const kio::CodePage& codePage = kioweb::CodePageOf(codePageId);
    const std::string_view file = kioweb::View(bytes, size);
    const kiobind::FileAnalysis analysis = kiobind::AnalyseFile(file, codePage);
    kioweb::JsonText json;
    json.BeginObject().Key("codePage").Number(codePage.id);
    WriteLines(analysis, json);
    WriteBindings(analysis, codePage, json);
    json.Key("findings");
    kioweb::WriteFindings(kiobind::CollectFindings(analysis, codePage),
                          kioweb::LanguageOf(languageId), json);
    json.EndObject();
    return kioweb::HandOver(json.Text());
}

}  // extern "C"
