#include "findings_json.h"

#include "quoting.h"
#include "render.h"
#include "vocabulary.h"

namespace kio::messages {

nlohmann::ordered_json MessageJson(const Message& message, Language language) {
    nlohmann::ordered_json arguments = nlohmann::ordered_json::object();
    for (const MessageArgument& argument : message.arguments) {
        arguments[argument.name] = ArgumentText(argument);
    }
    return {{"id", message.Id()},
            {"key", message.key},
            {"arguments", std::move(arguments)},
            {"text", Render(message, language)}};
}

nlohmann::ordered_json FindingJson(const analysis::Finding& finding, Language language) {
    nlohmann::ordered_json message = MessageJson(finding.message, language);
    nlohmann::ordered_json json = {{"id", message["id"]},
                                   {"key", message["key"]},
                                   {"severity", analysis::SeverityName(finding.severity)},
                                   {"line", finding.line},
                                   {"column", finding.column},
                                   {"length", finding.span.length},
                                   {"arguments", message["arguments"]},
                                   {"text", message["text"]},
                                   {"fix", nullptr}};
    if (finding.fix) {
        json["fix"] = {{"kind", analysis::FixName(finding.fix->kind)},
                       {"offset", finding.fix->offset},
                       {"length", finding.fix->length},
                       {"replacement", analysis::Printable(finding.fix->replacement)},
                       {"binding", nullptr},
                       {"value", nullptr}};
        // What the fix announces: the one binding it changes and the value the
        // game then reads. A fix that changes no binding's value names none.
        if (finding.fix->entry) {
            json["fix"]["binding"] = kio::binding::BindingName(*finding.fix->entry);
            json["fix"]["value"] = finding.fix->gameReads;
        }
        // Converting from UTF-16 is no byte replacement a script could apply
        // (and the conversion may still be refused): an empty replacement of
        // the whole file would empty it. kiobind fix converts.
        if (finding.fix->kind == analysis::FixKind::ConvertUtf16) {
            json["fix"]["replacement"] = nullptr;
        }
    }
    return json;
}

}  // namespace kio::messages
