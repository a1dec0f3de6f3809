#include "base_module.h"

#include "test_hooks.h"

namespace kio::module {

BaseModule::BaseModule(HINSTANCE module, bool& initFailed) noexcept
    : codeModule(module), resourceModule(module) {
    if (FAILED(lock.CreationResult())) {
        initFailed = true;
    }
    NoteLifecycleStep("BaseModule up");
}

BaseModule::~BaseModule() { NoteLifecycleStep("BaseModule down"); }

}  // namespace kio::module
