// The message catalogue, generated from po/*.po when the library is built.
#pragma once

#include <span>
#include <string_view>

#include "render.h"

namespace kio::messages {

struct CatalogueEntry {
    std::string_view key;
    std::string_view english;
    std::string_view japanese;  // UTF-8
};

std::span<const CatalogueEntry> MessageCatalogue();

// The entry for `key`, or nullptr.
const CatalogueEntry* FindCatalogueEntry(std::string_view key);

std::string_view TextIn(const CatalogueEntry& entry, Language language);

}  // namespace kio::messages
