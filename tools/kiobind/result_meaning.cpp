#include "result_meaning.h"

#include <array>
#include <cstdio>

namespace kiobind {
namespace {

struct Meaning {
    kio::ResultCode code;
    std::string_view text;
};

using kio::ResultFromWin32;
namespace error = kio::win32_error;

constexpr std::array kMeanings = {
    Meaning{kio::kOk, "S_OK: success"},
    Meaning{ResultFromWin32(error::kFileNotFound), "file not found"},
    Meaning{ResultFromWin32(error::kPathNotFound), "path not found: the folder does not exist"},
    Meaning{ResultFromWin32(error::kTooManyOpenFiles), "too many open files"},
    Meaning{ResultFromWin32(error::kAccessDenied), "access denied, or the path is a folder"},
    Meaning{ResultFromWin32(error::kNotEnoughMemory), "not enough memory"},
    Meaning{ResultFromWin32(error::kGeneralFailure), "the device failed to read"},
    Meaning{ResultFromWin32(error::kSharingViolation),
            "another program holds the file open for writing"},
    Meaning{ResultFromWin32(error::kLockViolation), "part of the file is locked"},
    Meaning{kio::kShortRead, "the file got shorter while it was read"},
    Meaning{kio::kPathTooLong, "the path is too long"},
    Meaning{ResultFromWin32(error::kFilenameTooLong), "the file name is too long"},
    Meaning{ResultFromWin32(error::kIoDevice), "I/O device error"},
    Meaning{ResultFromWin32(error::kCantResolveFilename),
            "the path cannot be resolved (a link loop)"},
    Meaning{kio::kInvalidArgument, "the file is 2 GiB or larger"},
    Meaning{kio::kOutOfMemory, "out of memory"},
};

}  // namespace

std::string_view ResultMeaning(kio::ResultCode code) {
    for (const Meaning& meaning : kMeanings) {
        if (meaning.code == code) {
            return meaning.text;
        }
    }
    return "system error";
}

std::string DescribeResult(kio::ResultCode code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<uint32_t>(code));
    std::string text(hex);
    text += " (";
    text += ResultMeaning(code);
    text += ')';
    return text;
}

}  // namespace kiobind
