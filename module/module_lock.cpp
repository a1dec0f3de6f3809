#include "module_lock.h"

#include "test_hooks.h"

namespace kio::module {

ModuleLock::ModuleLock(const char* owner) noexcept {
    if (const DWORD simulated = SimulatedLockFailure(owner); simulated != ERROR_SUCCESS) {
        creationResult_ = LockCreationFailure(simulated);
        return;
    }
    // Older systems raise STATUS_NO_MEMORY out of InitializeCriticalSection when
    // memory is short; this variant reports the same condition as a return value
    // and a last error, so no exception handler is needed around it.
    if (InitializeCriticalSectionAndSpinCount(&section_, 0)) {
        creationResult_ = S_OK;
    } else {
        creationResult_ = LockCreationFailure(GetLastError());
    }
}

ModuleLock::~ModuleLock() {
    if (SUCCEEDED(creationResult_)) {
        DeleteCriticalSection(&section_);
    }
}

HRESULT LockCreationFailure(DWORD error) noexcept {
    // ERROR_NOT_ENOUGH_MEMORY is what STATUS_NO_MEMORY becomes as a system error.
    return (error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY) ? E_OUTOFMEMORY
                                                                            : E_FAIL;
}

}  // namespace kio::module
