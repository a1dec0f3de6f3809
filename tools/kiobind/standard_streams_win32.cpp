#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "standard_streams.h"

namespace kio::kiobind {
namespace {

// UTF-16 for the console, with CR LF line ends as the C runtime would write them.
std::wstring ConsoleText(std::string_view utf8) {
    std::string withCarriageReturns;
    withCarriageReturns.reserve(utf8.size() + utf8.size() / 32);
    for (const char c : utf8) {
        if (c == '\n') withCarriageReturns += '\r';
        withCarriageReturns += c;
    }
    if (withCarriageReturns.empty()) return {};
    const int size = static_cast<int>(withCarriageReturns.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, withCarriageReturns.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, withCarriageReturns.data(), size, wide.data(), units);
    return wide;
}

bool WriteConsoleText(HANDLE console, std::string_view utf8) {
    const std::wstring wide = ConsoleText(utf8);
    // Older consoles take at most about 64 KiB in one call.
    constexpr size_t kChunk = 8192;
    size_t done = 0;
    while (done < wide.size()) {
        size_t count = std::min(kChunk, wide.size() - done);
        // Never split a surrogate pair between two calls.
        if (done + count < wide.size() && IS_HIGH_SURROGATE(wide[done + count - 1])) --count;
        DWORD written = 0;
        if (!WriteConsoleW(console, wide.data() + done, static_cast<DWORD>(count), &written,
                           nullptr) ||
            written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

}  // namespace

bool WriteStandard(StandardStream stream, std::string_view utf8) {
    std::FILE* file = stream == StandardStream::Output ? stdout : stderr;
    const HANDLE handle =
        GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode)) {
        std::fflush(file);
        return WriteConsoleText(handle, utf8);
    }
    // A file or a pipe: the UTF-8 bytes through the C runtime, which writes
    // line ends as CR LF, as kiobind always has.
    const bool written = std::fwrite(utf8.data(), 1, utf8.size(), file) == utf8.size();
    return std::fflush(file) == 0 && written && std::ferror(file) == 0;
}

}  // namespace kio::kiobind
