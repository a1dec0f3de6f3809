// Registration of the type library that lies beside the library's own file.
#pragma once

// windows.h must come before oleauto.h.
#include <windows.h>
#include <oleauto.h>

#include <cstddef>

#include "com_handles.h"

namespace kio::module {

struct LoadedTypeLibrary {
    InterfacePtr<ITypeLib> library;
    UniqueBstr path;  // the wide path the library was loaded from
};

// Loads the type library of `module` from the module's own file or, failing
// that, from the same path with the extension ".tlb" (appended when the file
// name has no extension). On failure the path may be missing while the
// library is set; `loaded` releases whatever it holds.
HRESULT LoadModuleTypeLib(HINSTANCE module, LoadedTypeLibrary& loaded) noexcept;

// Registers the module's type library with its full path and, as help
// directory, the directory part of that path.
HRESULT RegisterModuleTypeLib(HINSTANCE module) noexcept;

// Removes the registration of the module's type library.
HRESULT UnregisterModuleTypeLib(HINSTANCE module) noexcept;

// Judges GetModuleFileNameA's answer for a buffer of `capacity` characters:
// the system's error when it got no path, 0x8007007A when the path may have
// been cut, S_OK otherwise.
HRESULT ModulePathResult(DWORD length, DWORD capacity, DWORD lastError) noexcept;

// The length of the help directory of `path`: up to and including its last
// "\", "/" or ":", or 0 when it has none.
size_t HelpDirectoryLength(const wchar_t* path) noexcept;

}  // namespace kio::module
