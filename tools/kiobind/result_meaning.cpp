#include "result_meaning.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "words.h"

namespace kio::kiobind {
namespace {

using kio::binding::ResultFromWin32;
namespace error = kio::binding::win32_error;

// The codes with words of their own in the catalogue, as "result.0x80070002".
constexpr std::array kExplained = {
    kio::binding::kOk,
    ResultFromWin32(error::kFileNotFound),
    ResultFromWin32(error::kPathNotFound),
    ResultFromWin32(error::kTooManyOpenFiles),
    ResultFromWin32(error::kAccessDenied),
    ResultFromWin32(error::kNotEnoughMemory),
    ResultFromWin32(error::kGeneralFailure),
    ResultFromWin32(error::kSharingViolation),
    ResultFromWin32(error::kLockViolation),
    kio::binding::kShortRead,
    kio::binding::kPathTooLong,
    ResultFromWin32(error::kFilenameTooLong),
    ResultFromWin32(error::kIoDevice),
    ResultFromWin32(error::kCantResolveFilename),
    kio::binding::kInvalidArgument,
    kio::binding::kOutOfMemory,
};

std::string Hex(kio::binding::ResultCode code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<uint32_t>(code));
    return hex;
}

}  // namespace

std::string ResultMeaning(kio::binding::ResultCode code, messages::Language language) {
    const bool explained =
        std::find(kExplained.begin(), kExplained.end(), code) != kExplained.end();
    return Words(language, explained ? "result." + Hex(code) : "result.other");
}

std::string DescribeResult(kio::binding::ResultCode code, messages::Language language) {
    return Words(language, "result.described",
                 {messages::Verbatim("code", Hex(code)),
                  messages::Verbatim("meaning", ResultMeaning(code, language))});
}

}  // namespace kio::kiobind
