// The JSON documents of check and show (--format json), for scripts and CI.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace kio::kiobind {

// Raised whenever a document's shape changes.
inline constexpr int kJsonVersion = 1;

// The document's first fields: version, file and code page.
nlohmann::ordered_json JsonDocument(const std::string& file, uint32_t codePage);

// The document as text, with a final line break. Bytes of the file name that are
// no UTF-8 become U+FFFD; texts from the file are already escaped.
std::string JsonText(const nlohmann::ordered_json& document);

}  // namespace kio::kiobind
