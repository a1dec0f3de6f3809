#include "com_module.h"

#include "test_hooks.h"

namespace kio::module {

ComModule::ComModule(HINSTANCE typeLibraryModule, bool& initFailed) noexcept
    : typeLibraryModule_(typeLibraryModule) {
    if (FAILED(lock_.CreationResult())) {
        initFailed = true;
    }
    NoteLifecycleStep("ComModule up");
}

void ComModule::ShutDown() noexcept {
    if (recordSize_ == 0) {
        return;
    }
    recordSize_ = 0;
    NoteLifecycleStep("ComModule down");
}

HRESULT GetClassObject(const ComModule& com, REFCLSID /*classId*/, REFIID /*interfaceId*/,
                       void** object) noexcept {
    if (!com.IsLive()) {
        return E_UNEXPECTED;
    }
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace kio::module
