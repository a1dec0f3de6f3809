#include "fuzz_call.h"

#include <algorithm>
#include <memory>

namespace kio::binding::fuzz {
namespace {

constexpr uint8_t kCodePage932 = 1u << 0;
constexpr uint8_t kCustomList = 1u << 1;
constexpr int kFaultShift = 2;
constexpr uint8_t kOddCount = 1u << 5;

constexpr int32_t kOddCounts[] = {53, 55, 0, -1, 27, 108, INT32_MIN, kBindingCount};

// Names that are not actions but look close to them.
constexpr const char* kNearMisses[] = {"", "Run ", "KB_Run", "MoveForwardX"};

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// One list position: low 5 bits pick action 0-26, a null entry (27) or a near
// miss (28-31); bits 5-6 pick the letter case (as is, lower, upper, mixed).
// Repeats and gaps in the list come from positions picking the same action.
void ActionNameFor(uint8_t choice, std::string& storage, const char*& name) {
    const unsigned pick = choice & 0x1Fu;
    if (pick == kActionCount) {
        name = nullptr;
        return;
    }
    storage = pick < kActionCount ? std::string(kActions[pick].name)
                                  : std::string(kNearMisses[pick - kActionCount - 1]);
    const unsigned letterCase = (choice >> 5) & 3u;
    for (size_t i = 0; i < storage.size(); ++i) {
        char& c = storage[i];
        if (letterCase == 1) {
            c = AsciiLower(c);
        } else if (letterCase == 2) {
            c = AsciiUpper(c);
        } else if (letterCase == 3) {
            c = (i % 2 == 0) ? AsciiLower(c) : AsciiUpper(c);
        }
    }
    name = storage.c_str();
}

}  // namespace

FuzzCall DecodeFuzzCall(const uint8_t* data, size_t size) {
    FuzzCall call;
    size_t at = 0;
    const uint8_t flags = size > 0 ? data[at++] : 0;

    call.codePage = FindBuiltInCodePage((flags & kCodePage932) ? 932 : 1252);
    switch ((flags >> kFaultShift) & 7u) {
        case 5: call.fault = FileFault::SizeFails; break;
        case 6: call.fault = FileFault::ReadFails; break;
        case 7: call.fault = FileFault::ShortRead; break;
        default: call.fault = FileFault::None; break;
    }
    if ((flags & kOddCount) && at < size) {
        call.bindingCount = kOddCounts[data[at++] % std::size(kOddCounts)];
    }
    for (int j = 0; j < kActionCount; ++j) {
        call.nameStorage[j] = std::string(kActions[j].name);
        call.actionNames[j] = call.nameStorage[j].c_str();
    }
    if ((flags & kCustomList) && size - at >= kActionCount) {
        for (int j = 0; j < kActionCount; ++j) {
            ActionNameFor(data[at++], call.nameStorage[j], call.actionNames[j]);
        }
    }
    call.fileBytes.assign(reinterpret_cast<const char*>(data) + at, size - at);
    return call;
}

ResultCode ExpectedResult(const FuzzCall& call) {
    if (call.bindingCount != kBindingCount) {
        return kInvalidArgument;
    }
    switch (call.fault) {
        case FileFault::SizeFails: return kInjectedSizeFailure;
        case FileFault::ReadFails: return kInjectedReadFailure;
        case FileFault::ShortRead: return kShortRead;
        case FileFault::None: break;
    }
    return kOk;
}

CallOutcome RunCall(const FuzzCall& call, const std::string& fileBytes,
                    const std::array<int32_t, kBindingCount>& defaults) {
    test::FakeFiles files;
    files.files[test::kDefaultBindingFilePath] = fileBytes;
    switch (call.fault) {
        case FileFault::SizeFails: files.sizeFailure = kInjectedSizeFailure; break;
        case FileFault::ReadFails: files.readFailure = kInjectedReadFailure; break;
        case FileFault::ShortRead: files.reportedSize = fileBytes.size() + 1; break;
        case FileFault::None: break;
    }
    const test::FakeFileSystem fileSystem(files);

    const auto bindings = std::make_unique<int32_t[]>(kBindingCount);
    std::copy(defaults.begin(), defaults.end(), bindings.get());

    CallOutcome outcome;
    outcome.result = LoadBindings(bindings.get(), call.bindingCount, call.actionNames.data(),
                                  fileSystem.Get(), *call.codePage);
    std::copy_n(bindings.get(), kBindingCount, outcome.bindings.begin());
    outcome.opens = files.opens;
    outcome.closes = files.closes;
    return outcome;
}

std::array<int32_t, kBindingCount> DistinctDefaults() {
    std::array<int32_t, kBindingCount> defaults{};
    for (int slot = 0; slot < kBindingCount; ++slot) {
        defaults[slot] = static_cast<int32_t>(0x5EED0000u + static_cast<uint32_t>(slot));
    }
    return defaults;
}

}  // namespace kio::binding::fuzz
