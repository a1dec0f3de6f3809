// POSIX services for the binding file reader. Errors are reported with the
// Win32 codes a Windows caller of the same library would see.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <new>
#include <string_view>

#include "platform.h"
#include "remembered_executable_path.h"

namespace kio::binding {
namespace {

// errno to the nearest Win32 error:
//   ENOENT                 -> 2 ERROR_FILE_NOT_FOUND, or 3 ERROR_PATH_NOT_FOUND when
//                             the directory itself is missing
//   ENOTDIR                -> 3 ERROR_PATH_NOT_FOUND
//   EACCES EPERM EISDIR EROFS -> 5 ERROR_ACCESS_DENIED
//   EMFILE ENFILE          -> 4 ERROR_TOO_MANY_OPEN_FILES
//   ENOMEM                 -> 8 ERROR_NOT_ENOUGH_MEMORY
//   ETXTBSY                -> 32 ERROR_SHARING_VIOLATION
//   EAGAIN                 -> 33 ERROR_LOCK_VIOLATION (a mandatory lock)
//   ENAMETOOLONG           -> 206 ERROR_FILENAME_EXCED_RANGE
//   EIO                    -> 1117 ERROR_IO_DEVICE
//   ELOOP                  -> 1921 ERROR_CANT_RESOLVE_FILENAME
//   anything else          -> 31 ERROR_GEN_FAILURE
uint32_t Win32ErrorFromErrno(int error) {
    switch (error) {
        case ENOENT: return win32_error::kFileNotFound;
        case ENOTDIR: return win32_error::kPathNotFound;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS: return win32_error::kAccessDenied;
        case EMFILE:
        case ENFILE: return win32_error::kTooManyOpenFiles;
        case ENOMEM: return win32_error::kNotEnoughMemory;
        case ETXTBSY: return win32_error::kSharingViolation;
        case EAGAIN: return win32_error::kLockViolation;
        case ENAMETOOLONG: return win32_error::kFilenameTooLong;
        case EIO: return win32_error::kIoDevice;
        case ELOOP: return win32_error::kCantResolveFilename;
        default: return win32_error::kGeneralFailure;
    }
}

ResultCode ResultFromErrno(int error) { return ResultFromWin32(Win32ErrorFromErrno(error)); }

// Windows tells a missing file (2) from a missing directory (3); open() says
// ENOENT for both, so look at the directory. GetPAM's own paths fit a PathBuffer
// and need no heap; kiobind passes the user's, of any length the system takes.
ResultCode MissingFileResult(const char* path) {
    const std::string_view full(path);
    const size_t slash = full.rfind('/');
    if (slash == std::string_view::npos || slash == 0) {
        return ResultFromWin32(win32_error::kFileNotFound);
    }
    PathBuffer onStack;
    std::unique_ptr<char[]> onHeap;
    char* directory = onStack.bytes.data();
    if (slash >= onStack.bytes.size()) {
        onHeap.reset(new (std::nothrow) char[slash + 1]);
        if (!onHeap) {
            return kOutOfMemory;
        }
        directory = onHeap.get();
    }
    full.copy(directory, slash);
    directory[slash] = '\0';
    struct stat status {};
    const bool directoryExists = ::stat(directory, &status) == 0 && S_ISDIR(status.st_mode);
    return ResultFromWin32(directoryExists ? win32_error::kFileNotFound
                                           : win32_error::kPathNotFound);
}

ExecutablePath ReadExecutablePath() {
    ExecutablePath executable;
    const ssize_t length =
        ::readlink("/proc/self/exe", executable.path.bytes.data(), executable.path.bytes.size());
    if (length < 0) {
        executable.result = ResultFromErrno(errno);
        executable.path = PathBuffer{};
    } else if (static_cast<size_t>(length) >= executable.path.bytes.size()) {
        // A link that fills the buffer may have been cut, and leaves no room for the NUL.
        executable.result = kPathTooLong;
        executable.path = PathBuffer{};
    } else {
        executable.path.length = static_cast<size_t>(length);
    }
    return executable;
}

ResultCode GetHostExecutablePath(PathBuffer& path) {
    return RememberedExecutablePath<ReadExecutablePath>(path);
}

// POSIX has no share modes, so a writer elsewhere does not block the open.
// Only a regular file is read: a FIFO or a device in place of "input.ini" could
// block the game's thread for good (hence O_NONBLOCK for the open itself) or
// never end, and Windows likewise refuses a directory with ERROR_ACCESS_DENIED.
// The one fstat that checks the type also gives the size.
ResultCode OpenForReadingWithSize(const char* path, FileHandle& handle, uint64_t& size) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        return error == ENOENT ? MissingFileResult(path) : ResultFromErrno(error);
    }
    struct stat status {};
    const int error = ::fstat(fd, &status) != 0 ? errno : (S_ISREG(status.st_mode) ? 0 : EACCES);
    if (error != 0) {
        ::close(fd);
        return ResultFromErrno(error);
    }
    handle = fd;
    size = static_cast<uint64_t>(status.st_size);
    return kOk;
}

ResultCode OpenForReading(const char* path, FileHandle& handle) {
    uint64_t size = 0;
    return OpenForReadingWithSize(path, handle, size);
}

ResultCode GetSize(FileHandle handle, uint64_t& size) {
    struct stat status {};
    if (::fstat(static_cast<int>(handle), &status) != 0) {
        return ResultFromErrno(errno);
    }
    size = static_cast<uint64_t>(status.st_size);
    return kOk;
}

// One logical read: read() may deliver a regular file in pieces, or be
// interrupted, where ReadFile would deliver it whole.
ResultCode Read(FileHandle handle, char* buffer, uint32_t size, uint32_t& bytesRead) {
    bytesRead = 0;
    while (bytesRead < size) {
        const ssize_t got = ::read(static_cast<int>(handle), buffer + bytesRead, size - bytesRead);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ResultFromErrno(errno);
        }
        if (got == 0) {
            break;
        }
        bytesRead += static_cast<uint32_t>(got);
    }
    return kOk;
}

void Close(FileHandle handle) { ::close(static_cast<int>(handle)); }

constexpr FileSystem kPosixFileSystem = {
    GetHostExecutablePath, OpenForReading, GetSize, Read, Close, OpenForReadingWithSize};

}  // namespace

const FileSystem& SystemFileSystem() { return kPosixFileSystem; }

}  // namespace kio::binding
