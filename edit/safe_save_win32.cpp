#include <windows.h>

#include <string>

#include "safe_save.h"

namespace kioedit {
namespace {

std::string SystemError(DWORD code = GetLastError()) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 ? std::string(text, length) : std::string();
    LocalFree(text);
    while (!message.empty() &&
           (message.back() == '\r' || message.back() == '\n' || message.back() == '.' ||
            message.back() == ' ')) {
        message.pop_back();
    }
    return message.empty() ? "system error " + std::to_string(code) : message;
}

// Paths arrive in the ANSI code page, as the command line gave them.
std::wstring Wide(const std::string& path) {
    const int size = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()),
                                         nullptr, 0);
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

HANDLE AsHandle(SaveHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::string Inspect(const std::string& path, FileFacts& facts) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return SystemError();
    }
    facts.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    return "";
}

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
        const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
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

std::string Close(SaveHandle handle) {
    return CloseHandle(AsHandle(handle)) ? "" : SystemError();
}

std::string ReadAll(const std::string& path, std::string& bytes) {
    const Handle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        return SystemError();
    }
    bytes.clear();
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) {
            return SystemError();
        }
        if (got == 0) {
            return "";
        }
        bytes.append(buffer, got);
    }
}

// Never ReplaceFileW: some implementations move the old file away first, and a
// crash in between would leave no file at all.
std::string Replace(const std::string& from, const std::string& to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? ""
               : SystemError();
}

void Remove(const std::string& path) {
    DeleteFileW(Wide(path).c_str());
}

}  // namespace

const SaveSystem& SystemSaveSystem() {
    static const SaveSystem system{Inspect, CreateExclusive, Write, Flush, Close,
                                   ReadAll, Replace,         Remove};
    return system;
}

}  // namespace kioedit
