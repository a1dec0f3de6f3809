// A small JSON writer for the page's bridge. Strings from the file are bytes in
// its code page, not UTF-8: every byte from 0x7F up goes out as \u00XX, so the
// page gets each byte back with charCodeAt and decodes it with TextDecoder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kioweb {

class JsonText {
public:
    JsonText& BeginObject();
    JsonText& EndObject();
    JsonText& BeginArray();
    JsonText& EndArray();
    JsonText& Key(std::string_view name);
    JsonText& Bytes(std::string_view bytes);
    JsonText& Number(int64_t value);
    JsonText& Bool(bool value);
    JsonText& Null();

    const std::string& Text() const { return text_; }

private:
    void Separate();

    std::string text_;
    bool needComma_ = false;
};

}  // namespace kioweb
