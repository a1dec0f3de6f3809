#include "message.h"

#include <algorithm>

#include "message_catalogue.h"
#include "quoting.h"

namespace kiobind {
namespace {

constexpr CatalogueEntry kCatalogue[] = {
#include "message_table.inc"
};

const MessageArgument* ArgumentNamed(const Message& message, std::string_view name) {
    const auto found = std::find_if(message.arguments.begin(), message.arguments.end(),
                                    [&](const MessageArgument& a) { return a.name == name; });
    return found == message.arguments.end() ? nullptr : &*found;
}

}  // namespace

std::string_view Message::Id() const {
    const std::string_view whole = key;
    return whole.substr(0, whole.find('.'));
}

std::span<const CatalogueEntry> MessageCatalogue() { return kCatalogue; }

const CatalogueEntry* FindCatalogueEntry(std::string_view key) {
    const auto found = std::find_if(std::begin(kCatalogue), std::end(kCatalogue),
                                    [&](const CatalogueEntry& e) { return e.key == key; });
    return found == std::end(kCatalogue) ? nullptr : found;
}

std::string_view TextIn(const CatalogueEntry& entry, Language language) {
    const std::string_view text = language == Language::Japanese ? entry.japanese : entry.english;
    return text.empty() ? entry.english : text;
}

namespace {

// A quoted text in the language's quote marks: enough of it to be recognised,
// and how long it was when cut; a line of megabytes would bury the message.
std::string QuotedIn(std::string_view text, Language language, const FileTextShower& show) {
    const auto shown = [&](std::string_view part) { return show ? show(part) : Printable(part); };
    constexpr size_t kLongestQuote = 64;
    if (text.size() <= kLongestQuote) {
        return Render(Message{"quote.whole", {Verbatim("text", shown(text))}}, language);
    }
    return Render(Message{"quote.cut",
                          {Verbatim("text", shown(text.substr(0, kLongestQuote))),
                           Plain("count", std::to_string(text.size()))}},
                  language);
}

std::string ShownWith(const MessageArgument& argument, const FileTextShower& show,
                      Language language) {
    switch (argument.form) {
        case ArgumentForm::Quoted: return QuotedIn(argument.text, language, show);
        case ArgumentForm::Verbatim: return argument.text;
        case ArgumentForm::Escaped: break;
    }
    return show ? show(argument.text) : Printable(argument.text);
}

}  // namespace

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

}  // namespace kiobind
