// The runtime's DLL entry constructs these objects on process attach, in the
// order they are defined here, registering each destructor as soon as its
// constructor has run. It destroys them in the reverse order on process detach,
// and at once when DllMain refuses the attach.
#include "module_records.h"

// The linker's symbol for the start of this module's image: its module handle,
// known before DllMain is called.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace kio::module::records {

namespace {

constinit bool initFailed = false;

HINSTANCE ThisModule() noexcept { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

}  // namespace

BaseModule baseModule{ThisModule(), initFailed};
TextStorageManager textStorage;
ComModule comModule{ThisModule(), initFailed};
DllModule dllModule{initFailed};

bool InitFailed() noexcept { return initFailed; }

}  // namespace kio::module::records
