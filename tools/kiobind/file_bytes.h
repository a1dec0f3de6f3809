// Reads a binding file whole, through the same system services and with the
// same result codes as the loader, but keeps every byte: the checker also
// needs what lies after a NUL byte, which the game never sees.
#pragma once

#include <string>

#include "platform.h"
#include "result_codes.h"

namespace kiobind {

kio::ResultCode ReadFileBytes(const kio::FileSystem& fileSystem, const std::string& path,
                              std::string& bytes);

}  // namespace kiobind
