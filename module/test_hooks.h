// Hooks compiled only into the test build of the library (KIO_TEST_HOOKS):
// they let a test make lock creation fail and watch start-up and shut-down.
// The shipped library compiles them to nothing.
#pragma once

#include <windows.h>

namespace kio::module {

#ifdef KIO_TEST_HOOKS

// The environment variable naming the records whose lock creation should fail,
// as "Owner=error" items separated by ";" (for example "ComModule=8").
inline constexpr char kFailLockVariable[] = "KIO_TEST_FAIL_LOCK";
// The environment variable to which each start-up and shut-down step appends
// its name and a ";". It outlives the library, so a host can read it after a
// failed load or an unload.
inline constexpr char kLifecycleLogVariable[] = "KIO_TEST_LIFECYCLE_LOG";

// The system error to simulate for `owner`'s lock, or ERROR_SUCCESS for none.
DWORD SimulatedLockFailure(const char* owner) noexcept;
void NoteLifecycleStep(const char* step) noexcept;

#else

constexpr DWORD SimulatedLockFailure(const char*) noexcept { return ERROR_SUCCESS; }
inline void NoteLifecycleStep(const char*) noexcept {}

#endif

}  // namespace kio::module
