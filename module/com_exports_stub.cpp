// Minimal COM server exports: the library serves no COM class and registers
// nothing yet. The full COM server shell replaces this file.
#include <windows.h>
#include <objbase.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

STDAPI DllCanUnloadNow() { return S_OK; }

STDAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer() { return E_NOTIMPL; }

STDAPI DllUnregisterServer() { return E_NOTIMPL; }
