// A call to GetPAM makes exactly one heap allocation, the file buffer; refused,
// the call must report E_OUTOFMEMORY, leave the caller's array as it was and
// free all it took. kiobind allocates as it goes, so each of its allocations is
// refused in turn, and each time it must report the same code, never throw.
//
// This binary replaces the global allocator, so it has an executable of its own.
#include <array>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "commands.h"
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

namespace kio::binding::test {
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

long OpenDescriptorCount() {
    long count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

// `load` fills the array and gives the result. Checks that it allocates the file
// buffer and nothing else, then refuses that one allocation.
template <typename Load>
void FailTheOneAllocationOf(Load&& load) {
    const long descriptorsBefore = OpenDescriptorCount();
    auto bindings = Defaults();
    ResultCode result = kUnspecifiedFailure;
    const ArmedRun clean = RunArmed(0, [&] { result = load(bindings); });
    ASSERT_EQ(result, kOk);
    ASSERT_EQ(bindings[36], 0x39) << "the file was not loaded";
    // One buffer for the whole file and its terminator; no allocation per line.
    ASSERT_EQ(clean.allocations, 1);
    EXPECT_EQ(clean.bytes, kFile.size() + 1);
    EXPECT_EQ(clean.releases, 1);

    bindings = Defaults();
    const ArmedRun failed = RunArmed(1, [&] { result = load(bindings); });
    EXPECT_EQ(result, kOutOfMemory);
    EXPECT_EQ(bindings, Defaults());
    // The refused allocation was never made, so nothing is owed.
    EXPECT_EQ(failed.allocations, 1);
    EXPECT_EQ(failed.releases, 0);
    EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore) << "a file was left open";
}

TEST(OutOfMemory, LoadBindingsFailsCleanlyWithoutItsBuffer) {
    const TemporaryDirectory root;
    WriteFile(root.Path() / "input.ini", kFile);
    RedirectedFiles files;
    files.executablePath = (root.Path() / "game").string();
    const RedirectedFileSystem fileSystem(files);

    for (const CodePage* codePage : {FindBuiltInCodePage(1252), FindBuiltInCodePage(932)}) {
        FailTheOneAllocationOf([&](std::array<int32_t, kBindingCount>& bindings) {
            return LoadBindings(bindings.data(), kBindingCount, kTableOrder, fileSystem.Get(),
                                *codePage);
        });
    }
    EXPECT_EQ(files.closes, files.opens);
}

TEST(OutOfMemory, GetPamFailsCleanlyWithoutItsBuffer) {
    const BindingFileBesideExecutable file(kFile);
    FailTheOneAllocationOf([](std::array<int32_t, kBindingCount>& bindings) {
        return GetPAM(bindings.data(), kBindingCount, kTableOrder);
    });
}

TEST(OutOfMemory, KiobindReportsTheCodeAtEachAllocation) {
    const TemporaryDirectory root;
    const std::string path = (root.Path() / "input.ini").string();
    // Findings and suggestions too, so that every part of the report allocates.
    WriteFile(root.Path() / "input.ini", std::string(kFile) + "KB_Rn=spce\nPAD_Item 0x1d\n");
    const std::vector<std::vector<std::string>> commands = {{"check", path}, {"show", path}};
    for (const std::vector<std::string>& words : commands) {
        kio::kiobind::Output clean;
        int cleanStatus = kio::kiobind::RunKiobind(words, clean);
        const long allocations = RunArmed(0, [&] {
                                     kio::kiobind::Output output;
                                     cleanStatus = kio::kiobind::RunKiobind(words, output);
                                 }).allocations;
        ASSERT_NE(cleanStatus, kio::kiobind::kExitUnreadable) << words[0];

        for (long failAt = 1; failAt <= allocations; ++failAt) {
            SCOPED_TRACE(testing::Message()
                         << words[0] << ", allocation " << failAt << " of " << allocations);
            int status = -1;
            bool asClean = false;
            bool reported = false;
            const ArmedRun failed = RunArmed(failAt, [&] {
                kio::kiobind::Output output;
                status = kio::kiobind::RunKiobind(words, output);
                asClean = status == cleanStatus && output.out == clean.out;
                reported = output.err.find("0x8007000E (out of memory)") != std::string::npos;
            });
            // A sort may do without its scratch buffer; everything else must say why it stopped.
            if (status == kio::kiobind::kExitUnreadable) {
                EXPECT_TRUE(reported);
            } else {
                EXPECT_TRUE(asClean);
            }
            EXPECT_EQ(failed.releases, failed.allocations - 1);
        }
    }
}

}  // namespace
}  // namespace kio::binding::test
