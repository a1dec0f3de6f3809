// The module-wide records: the library's only mutable state. They live from
// process attach to process detach.
#pragma once

#include "base_module.h"
#include "com_module.h"
#include "dll_module.h"
#include "text_storage.h"

namespace kio::module::records {

extern BaseModule baseModule;
extern TextStorageManager textStorage;
extern ComModule comModule;
extern DllModule dllModule;

// True when any record failed to create its lock; never cleared.
bool InitFailed() noexcept;

}  // namespace kio::module::records
