// Public interface of the input binding loader.
#pragma once

#include <stdint.h>

// Windows callers use the same calling convention as the COM exports.
#if defined(_WIN32)
#define KIO_CALL __stdcall
#define KIO_EXPORT
#else
#define KIO_CALL
#define KIO_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Reads "input.ini" beside the host executable and stores each binding it names
// into `bindings` (54 values: keyboard and pad value of each of the 27 actions,
// laid out in the order of `actionNames`, which holds 27 entries; a null entry
// names no action). Returns 0 on success or a negative result code; on failure
// the array is left exactly as the caller filled it.
KIO_EXPORT int32_t KIO_CALL GetPAM(int32_t* bindings, int32_t bindingCount,
                                   const char* const* actionNames);

#ifdef __cplusplus
}
#endif
