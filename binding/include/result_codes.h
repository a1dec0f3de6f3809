// Result codes the loader returns, with the same values a Windows caller sees.
#pragma once

#include <cstdint>

namespace kio::binding {

using ResultCode = int32_t;

inline constexpr ResultCode kOk = 0;
inline constexpr ResultCode kInvalidArgument = static_cast<ResultCode>(0x80070057);
inline constexpr ResultCode kOutOfMemory = static_cast<ResultCode>(0x8007000E);
inline constexpr ResultCode kNullPointer = static_cast<ResultCode>(0x80004003);
inline constexpr ResultCode kUnspecifiedFailure = static_cast<ResultCode>(0x80004005);

// Win32 system error codes the loader produces or maps to.
namespace win32_error {
inline constexpr uint32_t kFileNotFound = 2;
inline constexpr uint32_t kPathNotFound = 3;
inline constexpr uint32_t kTooManyOpenFiles = 4;
inline constexpr uint32_t kAccessDenied = 5;
inline constexpr uint32_t kNotEnoughMemory = 8;
inline constexpr uint32_t kGeneralFailure = 31;
inline constexpr uint32_t kSharingViolation = 32;
inline constexpr uint32_t kLockViolation = 33;
inline constexpr uint32_t kHandleEof = 38;
inline constexpr uint32_t kInsufficientBuffer = 122;
inline constexpr uint32_t kFilenameTooLong = 206;
inline constexpr uint32_t kIoDevice = 1117;
inline constexpr uint32_t kCantResolveFilename = 1921;
}  // namespace win32_error

// A positive system error code becomes 0x8007xxxx; 0 and "negative" codes
// (already result codes) pass through unchanged, as Windows' own macro does.
constexpr ResultCode ResultFromWin32(uint32_t error) {
    if (static_cast<int32_t>(error) <= 0) {
        return static_cast<ResultCode>(error);
    }
    return static_cast<ResultCode>((error & 0xFFFFu) | 0x80070000u);
}

inline constexpr ResultCode kShortRead = ResultFromWin32(win32_error::kHandleEof);
inline constexpr ResultCode kPathTooLong = ResultFromWin32(win32_error::kInsufficientBuffer);

constexpr bool Failed(ResultCode code) { return code < 0; }

}  // namespace kio::binding
