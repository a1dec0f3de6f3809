// An in-memory stand-in for the platform's file services, with faults on demand.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform.h"

namespace kio::binding::test {

struct FakeFiles {
    FakeFiles() { openedPath.reserve(kMaxPath); }

    std::string executablePath = "C:\\Games\\Kio\\game.exe";
    std::map<std::string, std::string, std::less<>> files;  // full path -> bytes

    ResultCode executablePathFailure = kOk;
    ResultCode sizeFailure = kOk;
    ResultCode readFailure = kOk;
    std::optional<uint64_t> reportedSize;  // a size other than the bytes held
    uint32_t bytesWithheld = 0;            // a read that delivers this many too few

    // What the reader did. The fake itself never allocates during a call, so
    // tests can count the loader's own allocations.
    std::string openedPath;
    int opens = 0;
    int closes = 0;
    int reads = 0;
};

// A FileSystem backed by `fake` while this object lives, on the current thread.
class FakeFileSystem {
public:
    explicit FakeFileSystem(FakeFiles& fake);
    ~FakeFileSystem();
    FakeFileSystem(const FakeFileSystem&) = delete;
    FakeFileSystem& operator=(const FakeFileSystem&) = delete;

    const FileSystem& Get() const;

private:
    FakeFiles* previous_;
};

// The path where the loader looks for "input.ini" with the default executable.
inline const std::string kDefaultBindingFilePath = "C:\\Games\\Kio\\input.ini";

// The game's 27 action names in table order.
extern const char* const kTableOrder[27];

}  // namespace kio::binding::test
