// The check shared by the native and the Windows concurrency tests: many
// threads calling GetPAM at once, each with its own array, on the same file.
#pragma once

#include <string>

#include "kio.h"

namespace kio::binding::test {

using GetPamEntry = decltype(&GetPAM);

// 8 threads start at once and make 10,000 calls each; every call must give
// what one call alone gives for that thread's defaults. Reports through
// GoogleTest. The first calls race each other, so any one-time set-up of the
// library (the code page captured on Windows) is raced only when they are the
// process's first: call this before anything else calls GetPAM.
void ExpectConcurrentCallsAgree(GetPamEntry getPam);

// The bytes of a file, empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace kio::binding::test
