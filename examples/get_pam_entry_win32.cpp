#include <windows.h>

#include <cstdio>

#include "get_pam_entry.h"

// The library stays loaded until the process ends, as in the game.
GetPamFunction FindGetPam() {
    const HMODULE library = ::LoadLibraryA("kio.dll");
    if (library == nullptr) {
        std::fprintf(stderr, "cannot load kio.dll: error %lu\n", ::GetLastError());
        return nullptr;
    }
    const FARPROC entry = ::GetProcAddress(library, "GetPAM");
    if (entry == nullptr) {
        std::fprintf(stderr, "kio.dll has no GetPAM: error %lu\n", ::GetLastError());
        return nullptr;
    }
    return reinterpret_cast<GetPamFunction>(reinterpret_cast<void*>(entry));
}
