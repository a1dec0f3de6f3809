// The record of the library's own module: where its code and resources live.
#pragma once

#include <windows.h>

#include "module_lock.h"

namespace kio::module {

struct BaseModule {
    // Creating the lock can fail; `initFailed` is then set and never cleared.
    BaseModule(HINSTANCE module, bool& initFailed) noexcept;
    ~BaseModule();

    BaseModule(const BaseModule&) = delete;
    BaseModule& operator=(const BaseModule&) = delete;

    HINSTANCE codeModule;
    // All of the library's resources are in its own file, so there is no list
    // of further resource modules.
    HINSTANCE resourceModule;
    ModuleLock lock{"BaseModule"};
};

}  // namespace kio::module
