// The whole work of GetPAM, with the system services and the code page passed in
// so that tests and tools can drive it under any platform and code page.
#pragma once

#include <cstdint>

#include "code_page.h"
#include "platform.h"
#include "result_codes.h"

namespace kio {

ResultCode LoadBindings(int32_t* bindings, int32_t bindingCount, const char* const* actionNames,
                        const FileSystem& fileSystem, const CodePage& codePage);

}  // namespace kio
