// The record of the library as a DLL: its lock count, the actions to run at
// shut-down, and the process's global interface table once someone asked for it.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <atomic>

#include "module_lock.h"

namespace kio::module {

// The replacement interface of a registry script processor (the layout of
// IRegistrarBase): the values that "%NAME%" stands for in a registry script.
struct IRegistryScriptReplacements : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddReplacement(LPCOLESTR key, LPCOLESTR item) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearReplacements() = 0;
};

using TerminationFunction = void(__stdcall*)(DWORD_PTR argument);

class DllModule {
public:
    // The record size while live; 0 marks a record that has shut down.
    static constexpr UINT kLiveRecordSize = 36;

    explicit DllModule(bool& initFailed) noexcept;
    ~DllModule() { ShutDown(); }

    DllModule(const DllModule&) = delete;
    DllModule& operator=(const DllModule&) = delete;

    // Runs the termination actions, newest first, and releases the global
    // interface table. Runs once; later calls do nothing.
    void ShutDown() noexcept;
    bool IsLive() const noexcept { return recordSize_ != 0; }

    // Each returns the new count.
    LONG AddLock() noexcept { return ++lockCount_; }
    LONG ReleaseLock() noexcept { return --lockCount_; }
    LONG QueryLockCount() const noexcept { return lockCount_.load(); }

    // Hands out the process's global interface table with a reference added,
    // creating it on the first successful request.
    HRESULT GetGlobalInterfaceTable(IGlobalInterfaceTable** table) noexcept;

    // The library's registry script uses "%APPID%"; it stands for nothing.
    HRESULT AddScriptReplacements(IRegistryScriptReplacements* processor) noexcept;

    // Adds an action for ShutDown to run. E_OUTOFMEMORY when there is no room.
    HRESULT AddTerminationFunction(TerminationFunction function, DWORD_PTR argument) noexcept;

private:
    struct TerminationEntry {
        TerminationFunction function;
        DWORD_PTR argument;
        TerminationEntry* next;
    };

    UINT recordSize_ = kLiveRecordSize;
    std::atomic<LONG> lockCount_{0};
    TerminationEntry* terminationList_ = nullptr;
    ModuleLock lock_{"DllModule"};
    IGlobalInterfaceTable* globalInterfaceTable_ = nullptr;
};

}  // namespace kio::module
