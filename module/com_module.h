// The record of the library as a COM server: where its type library is looked
// for and which classes it serves. It serves none.
#pragma once

#include <windows.h>

#include "module_lock.h"

namespace kio::module {

class ComModule {
public:
    // The record size while live; 0 marks a record that has shut down.
    static constexpr UINT kLiveRecordSize = 40;

    ComModule(HINSTANCE typeLibraryModule, bool& initFailed) noexcept;
    ~ComModule() { ShutDown(); }

    ComModule(const ComModule&) = delete;
    ComModule& operator=(const ComModule&) = delete;

    // Runs once; later calls do nothing.
    void ShutDown() noexcept;

    bool IsLive() const noexcept { return recordSize_ != 0; }
    HINSTANCE TypeLibraryModule() const noexcept { return typeLibraryModule_; }

private:
    UINT recordSize_ = kLiveRecordSize;
    HINSTANCE typeLibraryModule_;
    // Guards the class table, which is empty: there is nothing to register,
    // create or announce.
    ModuleLock lock_{"ComModule"};
};

// DllGetClassObject's work: E_UNEXPECTED once `com` has shut down, E_POINTER
// for a null out pointer, otherwise a null object and CLASS_E_CLASSNOTAVAILABLE.
HRESULT GetClassObject(const ComModule& com, REFCLSID classId, REFIID interfaceId,
                       void** object) noexcept;

}  // namespace kio::module
