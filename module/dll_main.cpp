// DllMain only reports whether start-up succeeded. The start-up itself (the
// module records) runs in the runtime's entry before DllMain is called, and
// the shut-down after it; so DllMain has no effect of its own and may be
// called again by anyone with any reason.
#include <windows.h>

#include "module_records.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE /*module*/, DWORD reason, LPVOID /*reserved*/) {
    // Refusing the attach makes the runtime shut down every record at once.
    return reason == DLL_PROCESS_ATTACH && kio::module::records::InitFailed() ? FALSE : TRUE;
}
