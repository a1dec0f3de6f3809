// Counts the heap allocations of one call, which must be exactly one, the file
// buffer. Then runs the call again and again, failing its first, second, ...
// allocation in turn. Each time the call must report E_OUTOFMEMORY, leave the
// caller's array as it was and free all it took.
//
// This binary replaces the global allocator, so it has an executable of its own.
#include <array>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

#include <gtest/gtest.h>

#include "kio.h"
#include "load_bindings.h"
#include "real_files.h"
#include "test_files.h"
#include "vocabulary.h"

namespace {

// The allocator's bookkeeping. Only the armed stretch of the test counts, so
// GoogleTest's own allocations between calls do not.
struct AllocationLedger {
    std::atomic<bool> armed{false};
    std::atomic<long> allocations{0};
    std::atomic<long> releases{0};
    std::atomic<size_t> bytes{0};
    std::atomic<long> failAt{0};  // 1-based index of the allocation to refuse; 0: none
};

AllocationLedger ledger;

void* Allocate(size_t size) {
    if (ledger.armed.load()) {
        const long index = ledger.allocations.fetch_add(1) + 1;
        ledger.bytes.fetch_add(size);
        if (index == ledger.failAt.load()) {
            return nullptr;
        }
    }
    return std::malloc(size == 0 ? 1 : size);
}

void Release(void* block) {
    if (block != nullptr && ledger.armed.load()) {
        ledger.releases.fetch_add(1);
    }
    std::free(block);
}

void* AllocateOrThrow(size_t size) {
    void* block = Allocate(size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

}  // namespace

void* operator new(size_t size) { return AllocateOrThrow(size); }
void* operator new[](size_t size) { return AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, size_t) noexcept { Release(block); }
void operator delete[](void* block, size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }

namespace kio::test {
namespace {

constexpr std::string_view kFile = "KB_Run=space\r\nPAD_Run=0x1d\r\n[Pad]\r\nKB_Map=m\r\n";

// Counts the allocations of `call`, failing the `failAt`-th (0: none).
struct ArmedRun {
    long allocations = 0;
    long releases = 0;
    size_t bytes = 0;
};

template <typename Call>
ArmedRun RunArmed(long failAt, Call&& call) {
    ledger.allocations = 0;
    ledger.releases = 0;
    ledger.bytes = 0;
    ledger.failAt = failAt;
    ledger.armed = true;
    call();
    ledger.armed = false;
    return {ledger.allocations.load(), ledger.releases.load(), ledger.bytes.load()};
}

std::array<int32_t, kBindingCount> Defaults() {
    std::array<int32_t, kBindingCount> defaults;
    defaults.fill(-7);
    return defaults;
}

// Fails each allocation of `load` in turn; `load` fills the array and gives the result.
long OpenDescriptorCount() {
    long count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

template <typename Load>
void FailEachAllocationOf(Load&& load) {
    const long descriptorsBefore = OpenDescriptorCount();
    auto bindings = Defaults();
    ResultCode result = kUnspecifiedFailure;
    const ArmedRun clean = RunArmed(0, [&] { result = load(bindings); });
    ASSERT_EQ(result, kOk);
    ASSERT_EQ(bindings[36], 0x39) << "the file was not loaded";
    // One buffer for the whole file and its terminator; no allocation per line.
    ASSERT_EQ(clean.allocations, 1);
    EXPECT_EQ(clean.bytes, kFile.size() + 1);
    EXPECT_EQ(clean.releases, clean.allocations);

    for (long failAt = 1; failAt <= clean.allocations; ++failAt) {
        SCOPED_TRACE(testing::Message() << "allocation " << failAt << " of " << clean.allocations);
        bindings = Defaults();
        const ArmedRun failed = RunArmed(failAt, [&] { result = load(bindings); });
        EXPECT_EQ(result, kOutOfMemory);
        EXPECT_EQ(bindings, Defaults());
        // The refused allocation was never made, so one release fewer is owed.
        EXPECT_EQ(failed.releases, failed.allocations - 1);
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore) << "a file was left open";
}

TEST(OutOfMemory, LoadBindingsFailsCleanlyAtEachAllocation) {
    const TemporaryDirectory root;
    WriteFile(root.Path() / "input.ini", kFile);
    RedirectedFiles files;
    files.executablePath = (root.Path() / "game").string();
    const RedirectedFileSystem fileSystem(files);

    for (const CodePage* codePage : {FindBuiltInCodePage(1252), FindBuiltInCodePage(932)}) {
        FailEachAllocationOf([&](std::array<int32_t, kBindingCount>& bindings) {
            return LoadBindings(bindings.data(), kBindingCount, kTableOrder, fileSystem.Get(),
                                *codePage);
        });
    }
    EXPECT_EQ(files.closes, files.opens);
}

TEST(OutOfMemory, GetPamFailsCleanlyAtEachAllocation) {
    const BindingFileBesideExecutable file(kFile);
    FailEachAllocationOf([](std::array<int32_t, kBindingCount>& bindings) {
        return GetPAM(bindings.data(), kBindingCount, kTableOrder);
    });
}

}  // namespace
}  // namespace kio::test
