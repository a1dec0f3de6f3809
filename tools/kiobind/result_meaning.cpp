#include "result_meaning.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "words.h"

namespace kiobind {
namespace {

using kio::ResultFromWin32;
namespace error = kio::win32_error;

// The codes with words of their own in the catalogue, as "result.0x80070002".
constexpr std::array kExplained = {
    kio::kOk,
    ResultFromWin32(error::kFileNotFound),
    ResultFromWin32(error::kPathNotFound),
    ResultFromWin32(error::kTooManyOpenFiles),
    ResultFromWin32(error::kAccessDenied),
    ResultFromWin32(error::kNotEnoughMemory),
    ResultFromWin32(error::kGeneralFailure),
    ResultFromWin32(error::kSharingViolation),
    ResultFromWin32(error::kLockViolation),
    kio::kShortRead,
    kio::kPathTooLong,
    ResultFromWin32(error::kFilenameTooLong),
    ResultFromWin32(error::kIoDevice),
    ResultFromWin32(error::kCantResolveFilename),
    kio::kInvalidArgument,
    kio::kOutOfMemory,
};

std::string Hex(kio::ResultCode code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<uint32_t>(code));
    return hex;
}

}  // namespace

std::string ResultMeaning(kio::ResultCode code, Language language) {
    const bool explained =
        std::find(kExplained.begin(), kExplained.end(), code) != kExplained.end();
    return Words(language, explained ? "result." + Hex(code) : "result.other");
}

std::string DescribeResult(kio::ResultCode code, Language language) {
    return Words(language, "result.described",
                 {Verbatim("code", Hex(code)), Verbatim("meaning", ResultMeaning(code, language))});
}

}  // namespace kiobind
