// The few system services the binding file reader needs. Each platform file
// (platform_posix.cpp, platform_win32.cpp) provides them; tests substitute
// their own to inject faults.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "result_codes.h"

namespace kio::binding {

// Paths are built in a buffer of the Windows MAX_PATH size, terminator included.
inline constexpr size_t kMaxPath = 260;

struct PathBuffer {
    std::array<char, kMaxPath> bytes{};
    size_t length = 0;

    std::string_view View() const { return {bytes.data(), length}; }
    const char* CString() const { return bytes.data(); }
};

using FileHandle = intptr_t;

struct FileSystem {
    // The full path of the process's executable. kPathTooLong when it does not
    // fit a PathBuffer with its terminator.
    ResultCode (*getHostExecutablePath)(PathBuffer& path);
    // Opens an existing file for reading, sharing read access only.
    ResultCode (*openForReading)(const char* path, FileHandle& handle);
    // The file's full 64-bit size.
    ResultCode (*getSize)(FileHandle handle, uint64_t& size);
    // Reads up to `size` bytes in one request; `bytesRead` tells how many came.
    ResultCode (*read)(FileHandle handle, char* buffer, uint32_t size, uint32_t& bytesRead);
    void (*close)(FileHandle handle);
    // Optional: openForReading and getSize in one, where the system learns the
    // size anyway while it opens the file. Null: the reader asks each in turn.
    ResultCode (*openForReadingWithSize)(const char* path, FileHandle& handle,
                                         uint64_t& size) = nullptr;
};

// The real services of the platform the library was built for.
const FileSystem& SystemFileSystem();

}  // namespace kio::binding
