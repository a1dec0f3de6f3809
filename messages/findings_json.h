// Findings as JSON, the shape kiobind's --format json and the editor page share.
#pragma once

#include <nlohmann/json.hpp>

#include "findings.h"
#include "render.h"

namespace kio::messages {

// {"id", "key", "severity", "line", "column", "length", "arguments", "text", "fix"}:
// texts from the file are escaped as in the text output (\xNN from 0x80 up), so
// the document is plain ASCII whatever the file's code page.
nlohmann::ordered_json FindingJson(const analysis::Finding& finding,
                                   Language language = Language::English);

// {"id", "key", "arguments", "text"} of a refusal or other message.
nlohmann::ordered_json MessageJson(const Message& message, Language language = Language::English);

}  // namespace kio::messages
