#include "com_server_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <vector>

namespace kio::binding::test {

namespace {

// A build-tree path as the Windows side sees it: Wine maps the host's root to Z:.
std::wstring WindowsPathOf(const char* hostPath) {
    std::wstring path(hostPath, hostPath + std::char_traits<char>::length(hostPath));
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path.front() == L'\\' ? L"Z:" + path : path;
}

void RemoveTree(const std::wstring& directory) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((directory + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = directory + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(directory.c_str());
}

class RegistryKey {
public:
    RegistryKey(HKEY root, const std::wstring& subkey) {
        if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~RegistryKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

class ProcessHandles {
public:
    explicit ProcessHandles(const PROCESS_INFORMATION& info) : info_(info) {}
    ~ProcessHandles() {
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    ProcessHandles(const ProcessHandles&) = delete;
    ProcessHandles& operator=(const ProcessHandles&) = delete;

    HANDLE process() const { return info_.hProcess; }

private:
    PROCESS_INFORMATION info_;
};

}  // namespace

std::wstring ShippedLibraryPath() { return WindowsPathOf(KIO_SHIPPED_LIBRARY); }
std::wstring HookedLibraryPath() { return WindowsPathOf(KIO_HOOKED_LIBRARY); }
std::wstring TestTypeLibraryPath() { return WindowsPathOf(KIO_TEST_TYPE_LIBRARY); }

ScratchDirectory::ScratchDirectory() {
    static std::atomic<unsigned> counter{0};
    std::vector<wchar_t> temp(MAX_PATH + 1);
    const DWORD length = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
    path_.assign(temp.data(), length);
    if (!path_.empty() && path_.back() == L'\\') {
        path_.pop_back();
    }
    path_ +=
        L"\\kio-com-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    RemoveTree(path_);
    EXPECT_TRUE(CreateDirectoryW(path_.c_str(), nullptr)) << GetLastError();
}

ScratchDirectory::~ScratchDirectory() { RemoveTree(path_); }

std::wstring ScratchDirectory::Install(const std::wstring& source, const std::wstring& name) const {
    const std::wstring target = PathOf(name);
    EXPECT_TRUE(CopyFileW(source.c_str(), target.c_str(), FALSE))
        << "copying to " << testing::PrintToString(target) << ": " << GetLastError();
    return target;
}

std::wstring ScratchDirectory::MakeDeepDirectory(size_t length) const {
    std::wstring path = path_;
    while (path.size() < length) {
        // Each level adds "\" and up to 100 characters, never leaving a lone "\".
        size_t remaining = length - path.size();
        size_t segment = std::min<size_t>(remaining - 1, 100);
        if (remaining - (segment + 1) == 1) {
            --segment;
        }
        path += L"\\" + std::wstring(segment, L'd');
        // Long paths need the "\\?\" form to be created.
        EXPECT_TRUE(CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr)) << GetLastError();
    }
    return path;
}

LoadedLibrary::LoadedLibrary(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {
    EXPECT_NE(module_, nullptr) << "loading " << testing::PrintToString(path) << ": "
                                << GetLastError();
}

LoadedLibrary::~LoadedLibrary() {
    if (module_ != nullptr) {
        FreeLibrary(module_);
    }
}

FARPROC LoadedLibrary::FindExport(const char* name) const {
    const FARPROC function = module_ != nullptr ? GetProcAddress(module_, name) : nullptr;
    if (function == nullptr) {
        ADD_FAILURE() << "no export " << name;
        // Stops the test at once instead of calling through a null pointer.
        throw std::runtime_error(name);
    }
    return function;
}

LifecycleLog::LifecycleLog() { SetEnvironmentVariableA("KIO_TEST_LIFECYCLE_LOG", ""); }
LifecycleLog::~LifecycleLog() { SetEnvironmentVariableA("KIO_TEST_LIFECYCLE_LOG", nullptr); }

std::string LifecycleLog::Read() const {
    std::vector<char> buffer(4096);
    const DWORD length = GetEnvironmentVariableA("KIO_TEST_LIFECYCLE_LOG", buffer.data(),
                                                 static_cast<DWORD>(buffer.size()));
    return length < buffer.size() ? std::string(buffer.data(), length) : std::string();
}

bool KeyExists(HKEY root, const std::wstring& subkey) {
    return RegistryKey(root, subkey).get() != nullptr;
}

std::wstring ReadDefaultValue(HKEY root, const std::wstring& subkey) {
    const RegistryKey key(root, subkey);
    if (key.get() == nullptr) {
        return {};
    }
    std::vector<wchar_t> value(1024);
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &bytes) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return {};
    }
    std::wstring text(value.data(), bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    return text;
}

std::set<std::wstring> SubkeyNames(HKEY root, const std::wstring& subkey) {
    std::set<std::wstring> names;
    const RegistryKey key(root, subkey);
    for (DWORD index = 0; key.get() != nullptr; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace(name, length);
    }
    return names;
}

DWORD RunRegistrationTool(const std::wstring& options, const std::wstring& library) {
    std::vector<wchar_t> system(MAX_PATH);
    const UINT length = GetSystemDirectoryW(system.data(), static_cast<UINT>(system.size()));
    const std::wstring tool = std::wstring(system.data(), length) + L"\\regsvr32.exe";
    std::wstring commandLine = L"\"" + tool + L"\" " + options + L" \"" + library + L"\"";

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(tool.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot start regsvr32: " << GetLastError();
        return ~0u;
    }
    const ProcessHandles handles(info);
    WaitForSingleObject(handles.process(), INFINITE);
    DWORD exitCode = ~0u;
    GetExitCodeProcess(handles.process(), &exitCode);
    return exitCode;
}

}  // namespace kio::binding::test
