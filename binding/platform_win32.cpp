// Win32 services for the binding file reader.
#include <windows.h>

#include "platform.h"
#include "remembered_executable_path.h"

namespace kio::binding {
namespace {

// The result code of the Win32 call that just failed. A failing call that left
// no error code must still read as a failure, never as S_OK.
ResultCode LastErrorResult() {
    const ResultCode result = ResultFromWin32(::GetLastError());
    return Failed(result) ? result : kUnspecifiedFailure;
}

HANDLE ToHandle(FileHandle handle) { return reinterpret_cast<HANDLE>(handle); }

ExecutablePath ReadExecutablePath() {
    ExecutablePath executable;
    // No module handle: the process's executable, not this library.
    const DWORD length = ::GetModuleFileNameA(nullptr, executable.path.bytes.data(),
                                              static_cast<DWORD>(executable.path.bytes.size()));
    if (length == 0) {
        executable.result = LastErrorResult();
        executable.path = PathBuffer{};
    } else if (length >= executable.path.bytes.size()) {
        // A length that fills the buffer means the path was cut.
        executable.result = kPathTooLong;
        executable.path = PathBuffer{};
    } else {
        executable.path.length = length;
    }
    return executable;
}

ResultCode GetHostExecutablePath(PathBuffer& path) {
    return RememberedExecutablePath<ReadExecutablePath>(path);
}

// Read access, sharing read access only: a writer elsewhere makes the open fail
// with a sharing violation, and nobody may write while the file is read.
ResultCode OpenForReading(const char* path, FileHandle& handle) {
    const HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return LastErrorResult();
    }
    handle = reinterpret_cast<FileHandle>(file);
    return kOk;
}

ResultCode GetSize(FileHandle handle, uint64_t& size) {
    DWORD high = 0;
    // 0xFFFFFFFF is also a valid low part, so only the error code tells a
    // failure; clear it first so a stale code is not taken for one.
    ::SetLastError(NO_ERROR);
    const DWORD low = ::GetFileSize(ToHandle(handle), &high);
    if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) {
        return LastErrorResult();
    }
    size = (static_cast<uint64_t>(high) << 32) | low;
    return kOk;
}

ResultCode Read(FileHandle handle, char* buffer, uint32_t size, uint32_t& bytesRead) {
    DWORD got = 0;
    if (!::ReadFile(ToHandle(handle), buffer, size, &got, nullptr)) {
        bytesRead = 0;
        return LastErrorResult();
    }
    bytesRead = got;
    return kOk;
}

void Close(FileHandle handle) { ::CloseHandle(ToHandle(handle)); }

constexpr FileSystem kWin32FileSystem = {GetHostExecutablePath, OpenForReading, GetSize, Read,
                                         Close};

}  // namespace

const FileSystem& SystemFileSystem() { return kWin32FileSystem; }

}  // namespace kio::binding
