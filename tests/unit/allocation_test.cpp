// Counts the heap allocations one call makes, through a replaced global
// allocator; it can also refuse them, to drive the out-of-memory path.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <new>

#include "load_bindings.h"
#include "test_files.h"
#include "vocabulary.h"

namespace {

struct AllocationLog {
    bool counting = false;
    bool refuse = false;
    int allocations = 0;
    size_t bytes = 0;
};
thread_local AllocationLog log;

void* Allocate(size_t size) {
    if (log.counting) {
        ++log.allocations;
        log.bytes += size;
        if (log.refuse) {
            return nullptr;
        }
    }
    return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(size_t size) {
    if (void* p = Allocate(size)) {
        return p;
    }
    throw std::bad_alloc();
}

// Watches the allocator for as long as it lives.
struct AllocationWindow {
    explicit AllocationWindow(bool refuse) { log = AllocationLog{true, refuse, 0, 0}; }
    ~AllocationWindow() { log.counting = false; }
};

}  // namespace

void* operator new(size_t size) { return AllocateOrThrow(size); }
void* operator new[](size_t size) { return AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace kio {
namespace {

using Bindings = std::array<int32_t, kBindingCount>;

TEST(Allocations, OneCallAllocatesOnlyTheFileBuffer) {
    const std::string file = "KB_Run=space\r\nPAD_Run=0x10\nkb_item=i\n[Pad]\nKB_Map=m;\n";
    test::FakeFiles fake;
    fake.files[test::kDefaultBindingFilePath] = file;
    test::FakeFileSystem fileSystem(fake);
    Bindings bindings{};
    {
        AllocationWindow window(false);
        ASSERT_EQ(LoadBindings(bindings.data(), kBindingCount, test::kTableOrder, fileSystem.Get(),
                               DefaultCodePage()),
                  kOk);
    }
    EXPECT_EQ(log.allocations, 1);
    EXPECT_EQ(log.bytes, file.size() + 1);
    EXPECT_EQ(bindings[36], 0x39);
}

TEST(Allocations, OutOfMemoryIsAResultCode) {
    test::FakeFiles fake;
    fake.files[test::kDefaultBindingFilePath] = "KB_Run=space\n";
    test::FakeFileSystem fileSystem(fake);
    Bindings bindings;
    bindings.fill(7);
    ResultCode result;
    {
        AllocationWindow window(true);
        result = LoadBindings(bindings.data(), kBindingCount, test::kTableOrder, fileSystem.Get(),
                              DefaultCodePage());
    }
    EXPECT_EQ(result, kOutOfMemory);
    EXPECT_GE(log.allocations, 1);
    Bindings untouched;
    untouched.fill(7);
    EXPECT_EQ(bindings, untouched);
    EXPECT_EQ(fake.closes, fake.opens);
}

}  // namespace
}  // namespace kio
