#include "dll_module.h"

#include <new>

#include "test_hooks.h"

namespace kio::module {

DllModule::DllModule(bool& initFailed) noexcept {
    if (FAILED(lock_.CreationResult())) {
        initFailed = true;
    }
    NoteLifecycleStep("DllModule up");
}

void DllModule::ShutDown() noexcept {
    if (recordSize_ == 0) {
        return;
    }
    while (TerminationEntry* entry = terminationList_) {
        terminationList_ = entry->next;
        entry->function(entry->argument);
        delete entry;
    }
    if (globalInterfaceTable_ != nullptr) {
        globalInterfaceTable_->Release();
        globalInterfaceTable_ = nullptr;
    }
    recordSize_ = 0;
    NoteLifecycleStep("DllModule down");
}

HRESULT DllModule::GetGlobalInterfaceTable(IGlobalInterfaceTable** table) noexcept {
    if (table == nullptr) {
        return E_POINTER;
    }
    *table = nullptr;
    HRESULT result = S_OK;
    ModuleLockGuard guard(lock_);
    if (globalInterfaceTable_ == nullptr) {
        result = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IGlobalInterfaceTable,
                                  reinterpret_cast<void**>(&globalInterfaceTable_));
        if (FAILED(result)) {
            globalInterfaceTable_ = nullptr;
            return result;
        }
    }
    globalInterfaceTable_->AddRef();
    *table = globalInterfaceTable_;
    return result;
}

HRESULT DllModule::AddScriptReplacements(IRegistryScriptReplacements* processor) noexcept {
    if (processor == nullptr) {
        return E_POINTER;
    }
    return processor->AddReplacement(L"APPID", L"");
}

HRESULT DllModule::AddTerminationFunction(TerminationFunction function,
                                          DWORD_PTR argument) noexcept {
    auto* entry = new (std::nothrow) TerminationEntry{function, argument, nullptr};
    if (entry == nullptr) {
        return E_OUTOFMEMORY;
    }
    ModuleLockGuard guard(lock_);
    entry->next = terminationList_;
    terminationList_ = entry;
    return S_OK;
}

}  // namespace kio::module
