// Binding files for the benchmarks: realistic "input.ini" text of any length,
// written to a directory of its own, and a FileSystem that finds it there while
// opening, sizing, reading and closing it with the platform's real services.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform.h"
#include "test_files.h"

namespace kio::bench {

// The game's 27 action names, in the order the game lists them: the tests' list.
inline const char* const* const kActionNames = kio::test::kTableOrder;

// What a player's "input.ini" looks like: a comment, a [Keyboard] section of 27
// key names, a [Pad] section of 27 hexadecimal values, CRLF line ends. Exactly
// 60 lines; longer files repeat them, shorter ones are cut after `lineCount`.
std::string MakeBindingFile(size_t lineCount);

// The 54 binding lines alone, repeated until the text holds at least `byteCount`
// bytes, ending on a whole line.
std::string MakeBindingLines(size_t byteCount);

// A fresh temporary directory holding one "input.ini"; removed with the object.
class BindingDirectory {
public:
    explicit BindingDirectory(std::string_view fileText);
    ~BindingDirectory();
    BindingDirectory(const BindingDirectory&) = delete;
    BindingDirectory& operator=(const BindingDirectory&) = delete;

    const std::string& FilePath() const { return filePath_; }
    size_t FileSize() const { return fileSize_; }
    // Where a game reading this file would be: "<directory>/game".
    const PathBuffer& HostExecutablePath() const { return hostPath_; }

private:
    std::string directory_;
    std::string filePath_;
    size_t fileSize_ = 0;
    PathBuffer hostPath_;
};

// While this object lives, on the current thread, Get() is the platform's own
// FileSystem except that the host executable seems to sit in `directory`.
class HostInDirectory {
public:
    explicit HostInDirectory(const BindingDirectory& directory);
    ~HostInDirectory();
    HostInDirectory(const HostInDirectory&) = delete;
    HostInDirectory& operator=(const HostInDirectory&) = delete;

    const FileSystem& Get() const { return fileSystem_; }

private:
    const PathBuffer* previous_;
    FileSystem fileSystem_;
};

}  // namespace kio::bench
