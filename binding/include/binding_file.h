// Locating and reading the binding file "input.ini".
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "code_page.h"
#include "platform.h"
#include "result_codes.h"

namespace kio::binding {

inline constexpr std::string_view kBindingFileName = "input.ini";

// Builds "<drive><directory>input.ini" from the host executable's path: the drive
// is "X:" when the path has one, the directory runs up to the last "\" or "/"
// character. Gives kPathTooLong, and no path, when the result would not fit a
// PathBuffer with its terminator.
ResultCode BuildBindingFilePath(std::string_view executablePath, const CodePage& codePage,
                                PathBuffer& path);

// The whole file in one buffer, NUL-terminated, and its text up to the first NUL.
struct FileText {
    std::unique_ptr<char[]> buffer;
    std::string_view bytes;  // every byte of the file, NUL bytes included
    std::string_view text;   // the bytes before the first NUL: all the game reads
};

// Reads the binding file beside the host executable whole, with one read. On
// failure `fileText` is left empty and the file is closed.
ResultCode ReadBindingFile(const FileSystem& fileSystem, const CodePage& codePage,
                           FileText& fileText);

// The same read of a file named by the caller, with the same result codes.
ResultCode ReadBindingFileAt(const FileSystem& fileSystem, const char* path, FileText& fileText);

}  // namespace kio::binding
