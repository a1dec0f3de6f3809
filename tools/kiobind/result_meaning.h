// Plain-words meaning of the result codes GetPAM can return.
#pragma once

#include <string>

#include "render.h"
#include "result_codes.h"

namespace kio::kiobind {

// "file not found", "access denied", ...; a generic phrase for codes the loader
// does not produce itself.
std::string ResultMeaning(kio::binding::ResultCode code,
                          messages::Language language = messages::Language::English);

// "0x80070002 (file not found)".
std::string DescribeResult(kio::binding::ResultCode code,
                           messages::Language language = messages::Language::English);

}  // namespace kio::kiobind
