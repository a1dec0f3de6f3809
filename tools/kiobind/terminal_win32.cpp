#include <windows.h>

#include <string>

#include "file_text.h"
#include "terminal.h"

namespace kio::kiobind {

// A console that accepts colour sequences once asked to; a pipe, a file or an
// older console gets plain text.
bool StdoutIsColourTerminal() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (output == INVALID_HANDLE_VALUE || !GetConsoleMode(output, &mode)) {
        return false;
    }
    return SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

// Names arrive in the ANSI code page; one that does not convert is shown byte
// by byte, escaped.
std::string FileNameAsUtf8(std::string_view name) {
    const int length = static_cast<int>(name.size());
    const int wideSize =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(), length, nullptr, 0);
    if (name.empty() || wideSize <= 0) {
        return std::string(name);
    }
    std::wstring wide(static_cast<size_t>(wideSize), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(), length, wide.data(), wideSize);
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return std::string(name);
    }
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

}  // namespace kio::kiobind
