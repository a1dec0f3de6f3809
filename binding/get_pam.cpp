// The exported entry point. It only hands over to LoadBindings with the real
// system services, and keeps any exception from reaching the game.
#include <new>

#include "kio.h"
#include "load_bindings.h"

extern "C" KIO_EXPORT int32_t KIO_CALL GetPAM(int32_t* bindings, int32_t bindingCount,
                                              const char* const* actionNames) {
    try {
        return kio::binding::LoadBindings(bindings, bindingCount, actionNames,
                                          kio::binding::SystemFileSystem(),
                                          kio::binding::ProcessCodePage());
    } catch (const std::bad_alloc&) {
        return kio::binding::kOutOfMemory;
    } catch (...) {
        return kio::binding::kUnspecifiedFailure;
    }
}
