// Files and directories the DLL tests lay out, each removed again by its owner.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kio::binding::dll_test {

// Owns a Win32 handle; closes it on destruction.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = other.Release();
        }
        return *this;
    }

    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    HANDLE Release() {
        const HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    void Reset() {
        if (Valid()) {
            ::CloseHandle(handle_);
        }
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

// A directory that exists while this object lives; it is removed with all it
// holds on destruction. Paths may be longer than MAX_PATH.
class ScratchDirectory {
public:
    explicit ScratchDirectory(std::string path);
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    bool Created() const { return created_; }
    const std::string& Path() const { return path_; }
    std::string Join(std::string_view name) const { return path_ + "\\" + std::string(name); }

private:
    std::string path_;
    bool created_ = false;
};

// The full path of this process's executable, or of a loaded module.
std::string ModulePath(HMODULE module = nullptr);

// Everything up to the last "\" (exclusive).
std::string ParentOf(const std::string& path);

// Creates or replaces the file with exactly `bytes`.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

// The test's own paths and arguments are ASCII, so bytes widen as they are.
std::wstring Widen(std::string_view ascii);

// "\\?\" form of an absolute path, for the wide-character calls that accept
// paths longer than MAX_PATH.
std::wstring LongPath(const std::string& path);

// Removes a file, or a directory tree; missing is fine.
void RemoveTree(const std::wstring& longPath);

}  // namespace kio::binding::dll_test
