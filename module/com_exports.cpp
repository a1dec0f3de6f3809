// The four COM server exports besides DllMain. The library serves no class; its
// registration covers only the type library found beside its file.
#include <windows.h>
#include <objbase.h>
#include <olectl.h>

#include "com_module.h"
#include "module_records.h"
#include "type_library_registration.h"

using namespace kio::module;

STDAPI DllCanUnloadNow() { return records::dllModule.QueryLockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, LPVOID* object) {
    return GetClassObject(records::comModule, classId, interfaceId, object);
}

STDAPI DllRegisterServer() { return RegisterModuleTypeLib(records::comModule.TypeLibraryModule()); }

STDAPI DllUnregisterServer() {
    const HRESULT result = UnregisterModuleTypeLib(records::comModule.TypeLibraryModule());
    return FAILED(result) ? result : S_OK;
}
