#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "safe_save.h"

namespace kio::edit {
namespace {

std::string SystemError(DWORD code = GetLastError()) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 ? std::string(text, length) : std::string();
    LocalFree(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' ||
                                message.back() == '.' || message.back() == ' ')) {
        message.pop_back();
    }
    return message.empty() ? "system error " + std::to_string(code) : message;
}

// Paths arrive in the ANSI code page, as the command line gave them.
std::wstring Wide(const std::string& path) {
    const int size =
        MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                            size);
    }
    return wide;
}

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

HANDLE AsHandle(SaveHandle handle) { return reinterpret_cast<HANDLE>(handle); }

// `wide` in the ANSI code page, or nothing when a character has no exact form there.
bool Narrow(const std::wstring& wide, std::string& narrow) {
    BOOL usedDefault = FALSE;
    const int length = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr,
                                         0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) {
        return false;
    }
    narrow.assign(static_cast<size_t>(size), '\0');
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, narrow.data(),
                               size, nullptr, &usedDefault) == size &&
           !usedDefault;
}

// Where a symbolic link (or any reparse point) leads, as the POSIX build's realpath.
std::string ResolveLink(const std::string& path, std::string& target) {
    const Handle file(CreateFileW(Wide(path).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        return SystemError();
    }
    std::wstring wide(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFinalPathNameByHandleW(file.Get(), wide.data(), static_cast<DWORD>(wide.size()), 0);
        if (length == 0) {
            return SystemError();
        }
        if (length < wide.size()) {
            wide.resize(length);
            break;
        }
        wide.resize(length);
    }
    // "\\?\C:\..." is only needed past MAX_PATH.
    constexpr std::wstring_view kLong = L"\\\\?\\";
    if (wide.starts_with(kLong) && wide.size() - kLong.size() < MAX_PATH &&
        wide.compare(kLong.size(), 4, L"UNC\\") != 0) {
        wide.erase(0, kLong.size());
    }
    if (!Narrow(wide, target)) {
        return "the path the link leads to has characters the ANSI code page cannot hold";
    }
    return "";
}

// How many names the file has; 1 where the system cannot tell.
uint64_t LinkCount(const std::string& path) {
    const Handle file(CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (file.Get() == INVALID_HANDLE_VALUE ||
        !GetFileInformationByHandle(file.Get(), &information)) {
        return 1;
    }
    return information.nNumberOfLinks;
}

std::string Inspect(const std::string& path, FileFacts& facts) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return SystemError();
    }
    facts.target = path;
    // Through a symbolic link the file it leads to is replaced, and the link stays.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        if (std::string error = ResolveLink(path, facts.target); !error.empty()) {
            return error;
        }
        const DWORD leadsTo = GetFileAttributesW(Wide(facts.target).c_str());
        if (leadsTo == INVALID_FILE_ATTRIBUTES) {
            return SystemError();
        }
        facts.readOnly = (leadsTo & FILE_ATTRIBUTE_READONLY) != 0;
        facts.regular = (leadsTo & FILE_ATTRIBUTE_DIRECTORY) == 0;
        facts.links = LinkCount(facts.target);
        return "";
    }
    facts.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    facts.regular = (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    facts.links = LinkCount(path);
    return "";
}

// Read access only, and nobody else may write, rename or delete the file while
// it is open: a program that has it open for writing makes the open fail with
// a sharing violation, which is what Busy reports. The handle is closed before
// the replace (releaseBeforeReplace), so replacing needs no sharing of its own.
std::string Hold(const std::string& path, SaveHandle& handle, HoldState& state) {
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION) {
            state = HoldState::Busy;
            return "";
        }
        return SystemError(error);
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return "not a regular file";
    }
    state = HoldState::Guarded;
    handle = reinterpret_cast<SaveHandle>(file);
    return "";
}

// Nobody can open a held file for writing.
bool WriterCame(SaveHandle) { return false; }

std::string ReadHeld(SaveHandle handle, std::string& bytes) {
    bytes.clear();
    char buffer[65536];
    for (uint64_t offset = 0;;) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (!ReadFile(AsHandle(handle), buffer, sizeof buffer, &got, &at)) {
            const DWORD error = GetLastError();
            return error == ERROR_HANDLE_EOF ? "" : SystemError(error);
        }
        if (got == 0) {
            return "";
        }
        bytes.append(buffer, got);
        offset += got;
    }
}

// 100-nanosecond steps since 1601 to nanoseconds since 1970.
int64_t Nanoseconds(int64_t fileTime) {
    constexpr int64_t kFrom1601To1970 = 116444736000000000;
    return (fileTime - kFrom1601To1970) * 100;
}

int64_t Nanoseconds(const FILETIME& time) {
    return Nanoseconds(static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                                            time.dwLowDateTime));
}

std::string StampHeld(SaveHandle handle, FileStamp& stamp) {
    BY_HANDLE_FILE_INFORMATION information{};
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandle(AsHandle(handle), &information) ||
        !GetFileInformationByHandleEx(AsHandle(handle), FileBasicInfo, &basic, sizeof basic)) {
        return SystemError();
    }
    stamp.device = information.dwVolumeSerialNumber;
    stamp.file =
        (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    stamp.size =
        (static_cast<uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    stamp.modified = Nanoseconds(information.ftLastWriteTime);
    stamp.changed = Nanoseconds(basic.ChangeTime.QuadPart);
    return "";
}

std::string Stamp(const std::string& path, FileStamp& stamp) {
    const Handle file(CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        return SystemError();
    }
    return StampHeld(reinterpret_cast<SaveHandle>(file.Get()), stamp);
}

int64_t Now() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    return Nanoseconds(now);
}

void Wait(int64_t nanoseconds) { Sleep(static_cast<DWORD>(nanoseconds / 1'000'000)); }

std::string CreateExclusive(const std::string& path, const FileFacts&, SaveHandle& handle,
                            bool& existed) {
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        existed = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        return SystemError(error);
    }
    handle = reinterpret_cast<SaveHandle>(file);
    return "";
}

std::string Write(SaveHandle handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle), bytes.data(), chunk, &written, nullptr)) {
            return SystemError();
        }
        bytes.remove_prefix(written);
    }
    return "";
}

std::string Flush(SaveHandle handle) {
    return FlushFileBuffers(AsHandle(handle)) ? "" : SystemError();
}

std::string Close(SaveHandle handle) { return CloseHandle(AsHandle(handle)) ? "" : SystemError(); }

// Never ReplaceFileW: some implementations move the old file away first, and a
// crash in between would leave no file at all.
std::string Replace(const std::string& from, const std::string& to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? ""
               : SystemError();
}

void Remove(const std::string& path) { DeleteFileW(Wide(path).c_str()); }

}  // namespace

const SaveSystem& SystemSaveSystem() {
    static const SaveSystem system{.inspect = Inspect,
                                   .hold = Hold,
                                   .writerCame = WriterCame,
                                   .readHeld = ReadHeld,
                                   .stamp = Stamp,
                                   .stampHeld = StampHeld,
                                   .now = Now,
                                   .wait = Wait,
                                   .createExclusive = CreateExclusive,
                                   .write = Write,
                                   .flush = Flush,
                                   .close = Close,
                                   .replace = Replace,
                                   .exchange = nullptr,
                                   .remove = Remove,
                                   .otherNames = nullptr,
                                   .releaseBeforeReplace = true};
    return system;
}

}  // namespace kio::edit
