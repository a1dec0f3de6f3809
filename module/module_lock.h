// The lock each module record owns. Creating it can fail; the record notes the
// failure and the library then refuses to load.
#pragma once

#include <windows.h>

namespace kio::module {

class ModuleLock {
public:
    // `owner` names the record for the test build's failure hook.
    explicit ModuleLock(const char* owner) noexcept;
    ~ModuleLock();

    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;

    // S_OK, E_OUTOFMEMORY when the system ran out of memory, E_FAIL otherwise.
    HRESULT CreationResult() const noexcept { return creationResult_; }

    // A lock that could not be created is never taken: the library refuses to
    // load then, so no second thread can be inside it.
    void Enter() noexcept {
        if (SUCCEEDED(creationResult_)) {
            EnterCriticalSection(&section_);
        }
    }
    void Leave() noexcept {
        if (SUCCEEDED(creationResult_)) {
            LeaveCriticalSection(&section_);
        }
    }

private:
    CRITICAL_SECTION section_{};
    HRESULT creationResult_ = E_FAIL;
};

// Holds a created ModuleLock for one scope.
class ModuleLockGuard {
public:
    explicit ModuleLockGuard(ModuleLock& lock) noexcept : lock_(lock) { lock_.Enter(); }
    ~ModuleLockGuard() { lock_.Leave(); }

    ModuleLockGuard(const ModuleLockGuard&) = delete;
    ModuleLockGuard& operator=(const ModuleLockGuard&) = delete;

private:
    ModuleLock& lock_;
};

// The result a failed lock creation reports for the system error it left.
HRESULT LockCreationFailure(DWORD error) noexcept;

}  // namespace kio::module
