// Helpers for driving a built kio.dll under Wine: scratch directories, loaded
// libraries, the registry and the system's regsvr32.
#pragma once

#include <windows.h>

#include <set>
#include <string>

namespace kio::binding::test {

using HResultFunction = HRESULT(__stdcall*)();
using GetClassObjectFunction = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
using DllMainFunction = BOOL(__stdcall*)(HINSTANCE, DWORD, void*);

// The files the build made: the shipped kio.dll, its build with test hooks,
// and the test type library.
std::wstring ShippedLibraryPath();
std::wstring HookedLibraryPath();
std::wstring TestTypeLibraryPath();

// A fresh directory under the temporary directory, removed with its contents.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();

    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring PathOf(const std::wstring& name) const { return path_ + L"\\" + name; }

    // Copies `source` into the directory as `name`; returns the copy's path.
    std::wstring Install(const std::wstring& source, const std::wstring& name) const;
    // Creates nested directories below this one; the deepest has a path of
    // exactly `length` characters, which it returns.
    std::wstring MakeDeepDirectory(size_t length) const;

private:
    std::wstring path_;
};

// A library loaded with LoadLibraryW and freed at the end of the scope. A load
// failure fails the current test.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::wstring& path);
    ~LoadedLibrary();

    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    HMODULE Handle() const { return module_; }

    template <typename Function>
    Function Export(const char* name) const {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(FindExport(name)));
    }

private:
    FARPROC FindExport(const char* name) const;

    HMODULE module_;
};

// The start-up and shut-down steps a hooked library noted, cleared on creation.
class LifecycleLog {
public:
    LifecycleLog();
    ~LifecycleLog();
    std::string Read() const;
};

bool KeyExists(HKEY root, const std::wstring& subkey);
// The key's default text value, or an empty text when there is none.
std::wstring ReadDefaultValue(HKEY root, const std::wstring& subkey);
std::set<std::wstring> SubkeyNames(HKEY root, const std::wstring& subkey);

// Runs the system's regsvr32 with `options` on `library`; returns its exit code.
DWORD RunRegistrationTool(const std::wstring& options, const std::wstring& library);

}  // namespace kio::binding::test
