#include <algorithm>
#include <cstdio>

#include "action_order.h"
#include "binding_table.h"
#include "commands.h"
#include "json_document.h"
#include "line_parser.h"
#include "quoting.h"
#include "result_meaning.h"
#include "terminal_cells.h"
#include "words.h"

namespace kio::kiobind {
namespace {

constexpr size_t kValueWidth = 22;
constexpr size_t kNameWidth = 14;

std::string Format(const char* format, uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// How the game got the value: a key name with its code, a number, or nothing.
std::string DescribeValue(const analysis::AnalysedLine& line,
                          const kio::binding::CodePage& codePage, messages::Language language) {
    const auto value = static_cast<uint32_t>(line.value);
    if (kio::binding::ClassifyValue(line.valueText, codePage) == kio::binding::ValueClass::Hex) {
        return Format("0x%08X", value);
    }
    if (kio::binding::FindKeyCode(line.valueText)) {
        return Padded(analysis::Printable(line.valueText), 12) + Format("0x%02X", value);
    }
    return Words(language, "cli.show.nothing-decoded");
}

// One half of a row: value and the line that set it, or the default.
std::string Cell(const analysis::SlotValue& slot, const Context& context) {
    if (slot.setBy == nullptr) {
        return context.style(
            Paint::Quiet,
            Padded(Words(context.language, "cli.show.default"), kValueWidth) + Padded("", 6));
    }
    return Padded(DescribeValue(*slot.setBy, context.codePage, context.language), kValueWidth) +
           Padded(std::to_string(slot.setBy->number), 6);
}

// The action column: the name as the list gives it and, in Japanese, the gloss
// the page shows beside it: Run（走る）. English keeps its table as it was.
std::string ActionLabel(const analysis::ListPosition& position, messages::Language language) {
    const std::string name = analysis::Printable(position.name);
    if (!position.action || language == messages::Language::English) {
        return name;
    }
    const std::string gloss =
        Words(language, "gloss." + std::string(kio::binding::kActions[*position.action].name));
    return Words(language, "cli.show.glossed",
                 {messages::Verbatim("name", name), messages::Verbatim("gloss", gloss)});
}

void WriteTable(const analysis::BindingTable& table, const Context& context, std::string& out) {
    const messages::Language language = context.language;
    // Wide enough for every action's label, counted in terminal cells; a name
    // that is no action may run over, as its row says so instead of values.
    size_t nameWidth = kNameWidth;
    for (const analysis::ListPosition& position : table.positions) {
        if (position.action) {
            nameWidth = std::max(nameWidth, Cells(ActionLabel(position, language)) + 2);
        }
    }
    const std::string line = Words(language, "cli.show.line");
    out += context.style(Paint::Bold,
                         " #  " + Padded(Words(language, "cli.show.action"), nameWidth) +
                             Padded(Words(language, "cli.show.keyboard"), kValueWidth) +
                             Padded(line, 6) +
                             Padded(Words(language, "cli.show.pad"), kValueWidth) + line) +
           "\n";
    for (int j = 0; j < kio::binding::kActionCount; ++j) {
        const analysis::ListPosition& position = table.positions[j];
        char number[8];
        std::snprintf(number, sizeof number, "%2d  ", j);
        out += number + Padded(ActionLabel(position, language), nameWidth);
        if (position.action) {
            const size_t keyboardSlot = 2 * static_cast<size_t>(j);
            out += Cell(table.slots[keyboardSlot], context) +
                   Cell(table.slots[keyboardSlot + 1], context);
        } else if (position.repeatOf) {
            out += context.style(
                Paint::Quiet,
                Words(language, "cli.show.repeats",
                      {messages::Verbatim("position", std::to_string(*position.repeatOf))}));
        } else {
            out += context.style(Paint::Quiet, Words(language, "cli.show.no-action"));
        }
        // Trailing blanks of the last column are of no use to anyone.
        while (!out.empty() && out.back() == ' ') {
            out.pop_back();
        }
        out += "\n";
    }
    if (!table.unlistedActions.empty()) {
        std::string names;
        for (int action : table.unlistedActions) {
            names += (names.empty() ? "" : " ") + std::string(kio::binding::kActions[action].name);
        }
        out += Words(language, "cli.show.unlisted", {messages::Verbatim("actions", names)}) + "\n";
    }
}

// The result code and the 54 values in slot order, as decimal numbers, with
// "default" where no line writes the slot: easy to compare with a host's dump.
void WriteRaw(const analysis::BindingTable& table, std::string& out) {
    out += Format("0x%08X", static_cast<uint32_t>(kio::binding::kOk));
    for (const analysis::SlotValue& slot : table.slots) {
        out += " " + (slot.setBy ? std::to_string(slot.setBy->value) : std::string("default"));
    }
    out += "\n";
}

// One binding of an action: its value and deciding line, both null for the default.
nlohmann::ordered_json SlotJson(int entry, const analysis::SlotValue& slot) {
    nlohmann::ordered_json json = {{"binding", kio::binding::BindingName(entry)}};
    json["value"] = slot.setBy ? nlohmann::ordered_json(slot.setBy->value) : nullptr;
    json["line"] = slot.setBy ? nlohmann::ordered_json(slot.setBy->number) : nullptr;
    return json;
}

// The table as JSON: per position the action it stands for, or why none.
void WriteJson(const analysis::BindingTable& table, nlohmann::ordered_json& document) {
    document["result"] = Format("0x%08X", static_cast<uint32_t>(kio::binding::kOk));
    nlohmann::ordered_json& actions = document["actions"] = nlohmann::ordered_json::array();
    for (int j = 0; j < kio::binding::kActionCount; ++j) {
        const analysis::ListPosition& position = table.positions[j];
        nlohmann::ordered_json row = {{"position", j},
                                      {"name", analysis::Printable(position.name)}};
        row["repeatOf"] = position.repeatOf ? nlohmann::ordered_json(*position.repeatOf) : nullptr;
        row["keyboard"] = nullptr;
        row["pad"] = nullptr;
        if (position.action) {
            const size_t keyboardSlot = 2 * static_cast<size_t>(j);
            row["keyboard"] = SlotJson(2 * *position.action, table.slots[keyboardSlot]);
            row["pad"] = SlotJson(2 * *position.action + 1, table.slots[keyboardSlot + 1]);
        }
        actions.push_back(std::move(row));
    }
    nlohmann::ordered_json& unlisted = document["unlisted"] = nlohmann::ordered_json::array();
    for (int action : table.unlistedActions) {
        unlisted.push_back(kio::binding::kActions[action].name);
    }
}

}  // namespace

int RunShow(const Arguments& arguments, const Context& context, Output& output) {
    ActionList list = analysis::TableOrder();
    if (arguments.orderFile) {
        // The list is not the binding file: what GetPAM would return for it means nothing here.
        kio::binding::FileText orderFile;
        const kio::binding::ResultCode read = kio::binding::ReadBindingFileAt(
            context.fileSystem, arguments.orderFile->c_str(), orderFile);
        if (kio::binding::Failed(read)) {
            output.err +=
                ShowFileName(*arguments.orderFile) + ": " +
                context.style(Paint::Error, Words(context.language, "cli.error")) + " " +
                Words(context.language, "cli.order-unreadable",
                      {messages::Verbatim("result", DescribeResult(read, context.language))}) +
                "\n";
            return kExitUnreadable;
        }
        size_t nameCount = 0;
        const std::optional<ActionList> parsed = ParseActionList(orderFile.bytes, nameCount);
        if (!parsed) {
            output.err += ShowFileName(*arguments.orderFile) + ": " +
                          context.style(Paint::Error, Words(context.language, "cli.error")) + " " +
                          Words(context.language, "cli.order-count",
                                {messages::Plain("count", std::to_string(nameCount))}) +
                          "\n";
            return kExitUnreadable;
        }
        list = *parsed;
    }
    const std::optional<kio::binding::FileText> file =
        ReadOrReport(arguments.file, context, output);
    if (!file) {
        return kExitUnreadable;
    }
    const analysis::FileAnalysis analysis = analysis::AnalyseFile(file->bytes, context.codePage);
    const analysis::BindingTable table =
        analysis::BuildBindingTable(analysis, list, context.codePage);
    if (arguments.raw) {
        WriteRaw(table, output.out);
        return kExitClean;
    }
    if (arguments.json) {
        nlohmann::ordered_json document = JsonDocument(arguments.file, context.codePage.id);
        WriteJson(table, document);
        output.out += JsonText(document);
        return kExitClean;
    }
    output.out +=
        Words(context.language, "cli.show.returns",
              {messages::Verbatim("file", ShowFileName(arguments.file)),
               messages::Verbatim("result", DescribeResult(kio::binding::kOk, context.language))}) +
        "\n\n";
    WriteTable(table, context, output.out);
    return kExitClean;
}

}  // namespace kio::kiobind
