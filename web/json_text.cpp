#include "json_text.h"

#include <cstdio>

namespace kioweb {

void JsonText::Separate() {
    if (needComma_) {
        text_ += ',';
    }
    needComma_ = true;
}

JsonText& JsonText::BeginObject() {
    Separate();
    text_ += '{';
    needComma_ = false;
    return *this;
}

JsonText& JsonText::EndObject() {
    text_ += '}';
    needComma_ = true;
    return *this;
}

JsonText& JsonText::BeginArray() {
    Separate();
    text_ += '[';
    needComma_ = false;
    return *this;
}

JsonText& JsonText::EndArray() {
    text_ += ']';
    needComma_ = true;
    return *this;
}

JsonText& JsonText::Key(std::string_view name) {
    Bytes(name);
    text_ += ':';
    needComma_ = false;
    return *this;
}

JsonText& JsonText::Bytes(std::string_view bytes) {
    Separate();
    text_ += '"';
    for (const char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte == '"' || byte == '\\') {
            text_ += '\\';
            text_ += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            text_ += escaped;
        } else {
            text_ += c;
        }
    }
    text_ += '"';
    return *this;
}

JsonText& JsonText::Number(int64_t value) {
    Separate();
    text_ += std::to_string(value);
    return *this;
}

JsonText& JsonText::Bool(bool value) {
    Separate();
    text_ += value ? "true" : "false";
    return *this;
}

JsonText& JsonText::Null() {
    Separate();
    text_ += "null";
    return *this;
}

}  // namespace kioweb
