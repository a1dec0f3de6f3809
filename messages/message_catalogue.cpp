#include "message_catalogue.h"

#include <algorithm>

namespace kio::messages {
namespace {

constexpr CatalogueEntry kCatalogue[] = {
#include "message_table.inc"
};

}  // namespace

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

}  // namespace kio::messages
