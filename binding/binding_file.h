// Locating, reading and splitting the binding file "input.ini".
#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <string_view>

#include "code_page.h"
#include "platform.h"
#include "result_codes.h"

namespace kio {

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

// The non-empty lines of a text, in order, as views into it. CR and LF end a
// line unless they are the second byte of a double-byte character.
class BindingLines {
public:
    class Iterator {
    public:
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        Iterator(const BindingLines* lines, size_t position);

        std::string_view operator*() const { return line_; }
        Iterator& operator++();
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(std::default_sentinel_t) const { return lines_ == nullptr; }
        bool operator==(const Iterator& other) const {
            return lines_ == other.lines_ && line_.data() == other.line_.data();
        }

    private:
        void Advance(size_t position);

        const BindingLines* lines_ = nullptr;
        std::string_view line_;
        size_t next_ = 0;
    };

    BindingLines(std::string_view text, const CodePage& codePage)
        : text_(text), codePage_(&codePage) {}

    Iterator begin() const { return Iterator(this, 0); }
    std::default_sentinel_t end() const { return {}; }

private:
    size_t LineEnd(size_t start) const;

    std::string_view text_;
    const CodePage* codePage_;
};

inline BindingLines SplitBindingLines(std::string_view text, const CodePage& codePage) {
    return BindingLines(text, codePage);
}

}  // namespace kio
