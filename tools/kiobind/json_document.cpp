#include "json_document.h"

#include "file_text.h"

namespace kio::kiobind {

nlohmann::ordered_json JsonDocument(const std::string& file, uint32_t codePage) {
    return {{"version", kJsonVersion}, {"file", ShowFileName(file)}, {"codePage", codePage}};
}

std::string JsonText(const nlohmann::ordered_json& document) {
    return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace kio::kiobind
