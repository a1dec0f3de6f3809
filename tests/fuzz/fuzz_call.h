// Turns a fuzzer's bytes into one complete call of the loader: the code page,
// the caller's action list and binding count, a fault of the file services, and
// the bytes of "input.ini".
//
// Input layout:
//   byte 0     flags: bit 0 code page (0: 1252, 1: 932); bit 1 a custom action
//              list follows; bits 2-4 file fault (5: size fails, 6: read fails,
//              7: short read, else none); bit 5 an odd binding count follows
//   [1 byte]   when bit 5: the binding count, picked from a small set
//   [27 bytes] when bit 1: one byte per list position, see ActionNameFor
//   rest       the file's bytes
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "code_page.h"
#include "load_bindings.h"
#include "test_files.h"
#include "vocabulary.h"

namespace kio::binding::fuzz {

enum class FileFault : uint8_t { None, SizeFails, ReadFails, ShortRead };

struct FuzzCall {
    const CodePage* codePage = nullptr;
    int32_t bindingCount = kBindingCount;
    FileFault fault = FileFault::None;
    std::array<std::string, kActionCount> nameStorage;
    std::array<const char*, kActionCount> actionNames{};
    std::string fileBytes;
};

// The codes the fake file services give for the injected faults.
inline constexpr ResultCode kInjectedSizeFailure = ResultFromWin32(win32_error::kIoDevice);
inline constexpr ResultCode kInjectedReadFailure = ResultFromWin32(win32_error::kLockViolation);

FuzzCall DecodeFuzzCall(const uint8_t* data, size_t size);

// The result the call must give: the injected fault's code, E_INVALIDARG for a
// wrong count, otherwise success.
ResultCode ExpectedResult(const FuzzCall& call);

struct CallOutcome {
    ResultCode result = kOk;
    std::array<int32_t, kBindingCount> bindings{};
    int opens = 0;
    int closes = 0;
};

// Runs the call against an in-memory "input.ini" holding `fileBytes`, starting
// from `defaults`. The array handed to the loader is a heap block of exactly 54
// values, so a write past its end is caught by AddressSanitizer.
CallOutcome RunCall(const FuzzCall& call, const std::string& fileBytes,
                    const std::array<int32_t, kBindingCount>& defaults);

// Defaults that no plain file line is likely to produce by chance.
std::array<int32_t, kBindingCount> DistinctDefaults();

}  // namespace kio::binding::fuzz
