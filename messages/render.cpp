#include "render.h"

#include <algorithm>
#include <cstdio>

#include "characters.h"
#include "message_catalogue.h"
#include "quoting.h"

namespace kio::messages {
namespace {

const MessageArgument* ArgumentNamed(const Message& message, std::string_view name) {
    const auto found = std::find_if(message.arguments.begin(), message.arguments.end(),
                                    [&](const MessageArgument& a) { return a.name == name; });
    return found == message.arguments.end() ? nullptr : &*found;
}

// A quoted text in the language's quote marks: enough of it to be recognised,
// and how long it was when cut; a line of megabytes would bury the message.
std::string QuotedIn(std::string_view text, Language language, const FileTextShower& show) {
    const auto shown = [&](std::string_view part) {
        return show ? show(part) : analysis::Printable(part);
    };
    constexpr size_t kLongestQuote = 64;
    if (text.size() <= kLongestQuote) {
        return Render(Message{"quote.whole", {Verbatim("text", shown(text))}}, language);
    }
    return Render(Message{"quote.cut",
                          {Verbatim("text", shown(text.substr(0, kLongestQuote))),
                           Number("count", text.size())}},
                  language);
}

std::string Formatted(const char* format, uint64_t number) {
    char text[24];
    std::snprintf(text, sizeof text, format, static_cast<unsigned long long>(number));
    return text;
}

std::string ShownWith(const MessageArgument& argument, const FileTextShower& show,
                      Language language) {
    switch (argument.form) {
        case ArgumentForm::Quoted: return QuotedIn(argument.text, language, show);
        case ArgumentForm::Escaped:
            return show ? show(argument.text) : analysis::Printable(argument.text);
        case ArgumentForm::Verbatim:
        case ArgumentForm::Decimal:
        case ArgumentForm::Hex:
        case ArgumentForm::Byte:
        case ArgumentForm::CodePoint: break;
    }
    return ArgumentText(argument);
}

}  // namespace

std::string ArgumentText(const MessageArgument& argument) {
    switch (argument.form) {
        case ArgumentForm::Escaped:
        case ArgumentForm::Quoted: return analysis::Printable(argument.text);
        case ArgumentForm::Verbatim: return argument.text;
        case ArgumentForm::Decimal: return std::to_string(argument.number);
        case ArgumentForm::Hex: return analysis::Hex(static_cast<uint32_t>(argument.number));
        case ArgumentForm::Byte: return Formatted("0x%02llX", argument.number);
        case ArgumentForm::CodePoint: return Formatted("U+%04llX", argument.number);
    }
    return argument.text;
}

std::string Render(const Message& message, Language language) {
    return Render(message, language, FileTextShower());
}

std::string Render(const Message& message, Language language, const FileTextShower& showFileText) {
    const CatalogueEntry* entry = FindCatalogueEntry(message.key);
    // A key missing from the catalogue still says which message it is.
    const std::string_view text =
        entry != nullptr ? TextIn(*entry, language) : std::string_view(message.key);
    std::string out;
    out.reserve(text.size() + 32);
    size_t i = 0;
    while (i < text.size()) {
        const size_t open = text.find('{', i);
        const size_t close = open == std::string_view::npos ? open : text.find('}', open);
        if (close == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, open - i));
        const std::string_view name = text.substr(open + 1, close - open - 1);
        if (const MessageArgument* argument = ArgumentNamed(message, name)) {
            out += ShownWith(*argument, showFileText, language);
        } else {
            out.append(text.substr(open, close - open + 1));
        }
        i = close + 1;
    }
    return out;
}

}  // namespace kio::messages
