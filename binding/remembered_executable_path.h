// The host executable's path, asked of the system once per process.
#pragma once

#include "platform.h"
#include "result_codes.h"

namespace kio::binding {

struct ExecutablePath {
    ResultCode result = kOk;
    PathBuffer path;
};

// The executable of a process does not change while it runs, and asking for it
// costs as much as reading the whole binding file: ask once, on first use. A
// function-local static is initialised once even when threads race to it. A
// failure is not kept: the next call asks again.
template <ExecutablePath (*readExecutablePath)()>
ResultCode RememberedExecutablePath(PathBuffer& path) {
    static const ExecutablePath first = readExecutablePath();
    if (!Failed(first.result)) {
        path = first.path;
        return kOk;
    }
    const ExecutablePath again = readExecutablePath();
    path = again.path;
    return again.result;
}

}  // namespace kio::binding
