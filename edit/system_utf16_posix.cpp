#include <iconv.h>

#include <cerrno>
#include <optional>
#include <string>

#include "code_page.h"
#include "system_utf16.h"

namespace kio::edit {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (IsOpen()) {
            iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open's own failure value.
    bool IsOpen() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return handle_; }

private:
    iconv_t handle_;
};

// `input` through `converter`, into at most `room` bytes; nothing when a
// character fails.
std::optional<std::string> Run(const Converter& converter, std::string input, size_t room) {
    std::string output(room, '\0');
    char* in = input.data();
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    if (iconv(converter.Handle(), &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1) ||
        iconv(converter.Handle(), nullptr, nullptr, &out, &outLeft) == static_cast<size_t>(-1)) {
        return std::nullopt;
    }
    output.resize(output.size() - outLeft);
    return output;
}

// glibc's name of a built-in code page ("CP932"), or nothing for any other.
std::optional<std::string> IconvName(uint32_t codePageId) {
    if (kio::binding::FindBuiltInCodePage(codePageId) == nullptr) {
        return std::nullopt;
    }
    return "CP" + std::to_string(codePageId);
}

// `text` in the code page, or nothing when a character has no exact form
// there: iconv's best-fit look-alikes (U+00A5 as a backslash in 932, say) fail the
// round trip back to UTF-16, as WideCharToMultiByte's WC_NO_BEST_FIT_CHARS
// fails them on Windows.
std::optional<std::string> Convert(std::u16string_view text, const char* name) {
    const Converter there(name, "UTF-16LE");
    const Converter back("UTF-16LE", name);
    if (!there.IsOpen() || !back.IsOpen()) {
        return std::nullopt;
    }
    std::string input(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        input[2 * i] = static_cast<char>(text[i] & 0xFF);
        input[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    // Every character of these code pages takes at most two bytes.
    std::optional<std::string> output = Run(there, input, text.size() * 2);
    if (!output || Run(back, *output, text.size() * 2) != input) {
        return std::nullopt;
    }
    return output;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c < 0xDC00; }

}  // namespace

std::optional<std::string> SystemCodePageToUtf8(std::string_view bytes, uint32_t codePageId) {
    const std::optional<std::string> name = IconvName(codePageId);
    if (!name) {
        return std::nullopt;
    }
    const Converter decoder("UTF-8", name->c_str());
    if (!decoder.IsOpen()) {
        return std::nullopt;
    }
    // One byte of these code pages becomes at most three of UTF-8.
    return Run(decoder, std::string(bytes), bytes.size() * 3);
}

Utf16Conversion SystemUtf16ToCodePage(std::u16string_view text, uint32_t codePageId) {
    Utf16Conversion result;
    const std::optional<std::string> name = IconvName(codePageId);
    if (!name) {
        return result;
    }
    if (std::optional<std::string> bytes = Convert(text, name->c_str())) {
        result.status = ConversionStatus::Converted;
        result.bytes = std::move(*bytes);
        return result;
    }
    // The first character that fails alone.
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t length = IsHighSurrogate(text[i]) && i + 1 < text.size() ? 2 : 1;
        if (!Convert(text.substr(i, length), name->c_str())) {
            result.status = ConversionStatus::NoFormInCodePage;
            result.failedUnit = i;
            return result;
        }
        i += length - 1;
    }
    // The whole failed but no character alone does: nothing to blame.
    return result;
}

}  // namespace kio::edit
