#include "scratch_files.h"

#include <vector>

namespace kio::binding::dll_test {

ScratchDirectory::ScratchDirectory(std::string path) : path_(std::move(path)) {
    RemoveTree(LongPath(path_));
    created_ = ::CreateDirectoryW(LongPath(path_).c_str(), nullptr) != FALSE;
}

ScratchDirectory::~ScratchDirectory() { RemoveTree(LongPath(path_)); }

std::string ModulePath(HMODULE module) {
    std::vector<char> buffer(32768);
    const DWORD length =
        ::GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::string(buffer.data(), length);
}

std::string ParentOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
    UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.Valid() &&
           ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) &&
           written == bytes.size();
}

std::wstring Widen(std::string_view ascii) {
    std::wstring wide;
    for (char c : ascii) {
        wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return wide;
}

std::wstring LongPath(const std::string& path) { return L"\\\\?\\" + Widen(path); }

void RemoveTree(const std::wstring& longPath) {
    const DWORD attributes = ::GetFileAttributesW(longPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ::SetFileAttributesW(longPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(longPath.c_str());
        return;
    }
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW((longPath + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..") {
                RemoveTree(longPath + L"\\" + name);
            }
        } while (::FindNextFileW(search, &entry));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(longPath.c_str());
}

}  // namespace kio::binding::dll_test
