#include <windows.h>

#include <string>

#include "system_utf16.h"

namespace kio::edit {
namespace {

// The bytes of `text` in the code page, or nothing when a character has no
// exact form there (no best-fit look-alikes, no default character).
bool Convert(std::wstring_view text, uint32_t codePageId, std::string& bytes) {
    if (text.empty()) {
        bytes.clear();
        return true;
    }
    const int length = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(codePageId, WC_NO_BEST_FIT_CHARS, text.data(), length,
                                         nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) {
        return false;
    }
    bytes.assign(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(codePageId, WC_NO_BEST_FIT_CHARS, text.data(), length, bytes.data(),
                            size, nullptr, &usedDefault) != size ||
        usedDefault) {
        return false;
    }
    // Back to UTF-16 unchanged, or the character had no exact form: the same
    // test the POSIX build makes, whatever the system's tables hold.
    std::wstring back(text.size(), L'\0');
    return MultiByteToWideChar(codePageId, MB_ERR_INVALID_CHARS, bytes.data(), size, back.data(),
                               length) == length &&
           back == text;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c < 0xDC00; }

}  // namespace

Utf16Conversion SystemUtf16ToCodePage(std::u16string_view text, uint32_t codePageId) {
    Utf16Conversion result;
    const std::wstring wide(text.begin(), text.end());
    if (Convert(wide, codePageId, result.bytes)) {
        result.status = ConversionStatus::Converted;
        return result;
    }
    // Find the first character that fails alone.
    result.bytes.clear();
    std::string ignored;
    for (size_t i = 0; i < wide.size(); ++i) {
        const size_t length = IsHighSurrogate(wide[i]) && i + 1 < wide.size() ? 2 : 1;
        if (!Convert(std::wstring_view(wide).substr(i, length), codePageId, ignored)) {
            result.status = ConversionStatus::NoFormInCodePage;
            result.failedUnit = i;
            return result;
        }
        i += length - 1;
    }
    // The whole failed but no character alone does: nothing to blame.
    return result;
}

std::optional<std::string> SystemCodePageToUtf8(std::string_view bytes, uint32_t codePageId) {
    if (bytes.empty()) {
        return std::string();
    }
    // MB_ERR_INVALID_CHARS: an undefined byte fails the whole text rather than
    // turning into a guess.
    const int size = static_cast<int>(bytes.size());
    const int units =
        MultiByteToWideChar(codePageId, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (units <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(codePageId, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), units);
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

}  // namespace kio::edit
