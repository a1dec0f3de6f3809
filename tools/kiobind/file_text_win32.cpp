#include <windows.h>

#include "file_text.h"

namespace kiobind {

std::optional<std::string> DecodeCodePage(std::string_view bytes, uint32_t codePageId) {
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

}  // namespace kiobind
