// kio.dll under Wine: 100,000 calls of GetPAM in one process, on the way that
// succeeds and on the ways that fail, leave no file open and the process's
// handles and its heaps' committed memory where they were.
#include <windows.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include "kio_dll.h"
#include "test_files.h"

namespace kio::binding::test {
namespace {

constexpr int kBindings = 54;
constexpr int kCallsPerPhase = 25'000;

struct Resources {
    DWORD openHandles = 0;
    SIZE_T committedHeapBytes = 0;
};

// Counts the handle values that name an open handle. (Wine answers
// GetProcessHandleCount with 0.)
DWORD CountOpenHandles() {
    constexpr uintptr_t kHighestProbed = 0x10000;
    DWORD open = 0;
    for (uintptr_t value = 4; value <= kHighestProbed; value += 4) {
        DWORD flags = 0;
        open += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    }
    return open;
}

// Committed bytes of one heap: the sum over its regions.
SIZE_T CommittedBytesOf(HANDLE heap) {
    SIZE_T committed = 0;
    if (!::HeapLock(heap)) {
        return 0;
    }
    PROCESS_HEAP_ENTRY entry{};
    while (::HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_REGION) {
            committed += entry.Region.dwCommittedSize;
        }
    }
    ::HeapUnlock(heap);
    return committed;
}

Resources Measure() {
    Resources resources;
    resources.openHandles = CountOpenHandles();
    // A fixed array: measuring must not itself allocate from the heaps it measures.
    std::array<HANDLE, 64> heaps{};
    const DWORD count = ::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
        resources.committedHeapBytes += CommittedBytesOf(heaps[i]);
    }
    return resources;
}

// A file can be opened with no sharing at all only while no handle to it is
// open, GetPAM's included.
bool NoHandleIsOpenOn(const std::filesystem::path& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(file);
    return true;
}

struct Phase {
    const char* name;
    int32_t bindingCount;
    bool fileBeside;
    int32_t expected;
};

TEST(DllResources, ManyCallsLeaveHandlesAndHeapsWhereTheyStarted) {
    const KioDll dll(WindowsPathOf(KIO_DLL_PATH).c_str());
    ASSERT_TRUE(dll.Loaded());
    const GetPamFunction getPam = dll.GetPam();
    std::array<int32_t, kBindings> bindings{};

    const Phase phases[] = {
        {"file loads", kBindings, true, 0},
        {"wrong count", 53, true, static_cast<int32_t>(0x80070057)},
        {"file missing", kBindings, false, static_cast<int32_t>(0x80070002)},
        {"file loads again", kBindings, true, 0},
    };
    for (const Phase& phase : phases) {
        SCOPED_TRACE(phase.name);
        std::optional<BindingFileBesideExecutable> file;
        if (phase.fileBeside) {
            file.emplace("KB_Run=space\r\nPAD_Run=0x1d\r\n[Pad]\r\nKB_Map=m\r\n");
        }
        const std::filesystem::path input = ExecutableDirectory() / "input.ini";
        EXPECT_EQ(getPam(bindings.data(), phase.bindingCount, kTableOrder), phase.expected);
        if (phase.fileBeside) {
            EXPECT_TRUE(NoHandleIsOpenOn(input)) << "GetPAM left input.ini open";
        }
        // The first calls may set up what the runtime keeps for good.
        for (int call = 0; call < 100; ++call) {
            getPam(bindings.data(), phase.bindingCount, kTableOrder);
        }
        const Resources before = Measure();
        int wrongResults = 0;
        for (int call = 0; call < kCallsPerPhase; ++call) {
            const int32_t result = getPam(bindings.data(), phase.bindingCount, kTableOrder);
            wrongResults += result == phase.expected ? 0 : 1;
        }
        const Resources after = Measure();

        EXPECT_EQ(wrongResults, 0);
        if (phase.fileBeside) {
            EXPECT_TRUE(NoHandleIsOpenOn(input)) << "GetPAM left input.ini open";
        }
        EXPECT_GT(before.openHandles, 0u);
        EXPECT_EQ(after.openHandles, before.openHandles);
        EXPECT_GT(before.committedHeapBytes, 0u);
        EXPECT_EQ(after.committedHeapBytes, before.committedHeapBytes);
    }
}

}  // namespace
}  // namespace kio::binding::test
