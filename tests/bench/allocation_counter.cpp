#include "allocation_counter.h"

#include <cstdlib>
#include <new>
#include <stdexcept>

// glibc's own allocator, under the names it exports for exactly this purpose:
// a program that defines malloc and friends can still reach the real ones.
// NOLINTBEGIN(bugprone-reserved-identifier): glibc's names, declared as it exports them.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}
// NOLINTEND(bugprone-reserved-identifier)

namespace kio::binding::bench {
namespace {

// The allocator is global, so the count is too; one per thread keeps other
// threads' allocations out of it. Plain data: it must work before any
// constructor has run and inside malloc itself.
struct LiveBlock {
    const void* address;
    size_t size;
};

struct Tally {
    static constexpr size_t kTrackedBlocks = 64;

    bool counting;
    bool overflowed;
    size_t allocations;
    size_t bytes;
    size_t liveBytes;
    size_t peakBytes;
    size_t liveCount;
    LiveBlock live[kTrackedBlocks];
};

constinit thread_local Tally tally{};

void NoteAllocation(const void* block, size_t size) {
    if (!tally.counting || block == nullptr) {
        return;
    }
    ++tally.allocations;
    tally.bytes += size;
    tally.liveBytes += size;
    if (tally.liveBytes > tally.peakBytes) {
        tally.peakBytes = tally.liveBytes;
    }
    if (tally.liveCount == Tally::kTrackedBlocks) {
        tally.overflowed = true;
        return;
    }
    tally.live[tally.liveCount++] = {block, size};
}

// Blocks allocated before the count began are not its business.
void NoteRelease(const void* block) {
    if (!tally.counting || block == nullptr) {
        return;
    }
    for (size_t i = 0; i < tally.liveCount; ++i) {
        if (tally.live[i].address == block) {
            tally.liveBytes -= tally.live[i].size;
            tally.live[i] = tally.live[--tally.liveCount];
            return;
        }
    }
}

void* Allocate(size_t size) {
    void* block = __libc_malloc(size);
    NoteAllocation(block, size);
    return block;
}

void* AllocateAligned(size_t size, std::align_val_t alignment) {
    void* block = __libc_memalign(static_cast<size_t>(alignment), size);
    NoteAllocation(block, size);
    return block;
}

void Release(void* block) {
    NoteRelease(block);
    __libc_free(block);
}

}  // namespace

CountAllocations::CountAllocations() {
    if (tally.counting) {
        throw std::logic_error("allocation counts do not nest");
    }
    tally = Tally{};
    tally.counting = true;
}

CountAllocations::~CountAllocations() { tally.counting = false; }

AllocationCount CountAllocations::Result() const {
    return {tally.allocations, tally.bytes, tally.peakBytes, tally.overflowed};
}

}  // namespace kio::binding::bench

using kio::binding::bench::Allocate;
using kio::binding::bench::AllocateAligned;
using kio::binding::bench::Release;

extern "C" {

void* malloc(size_t size) noexcept { return Allocate(size); }

void* calloc(size_t count, size_t size) noexcept {
    void* block = __libc_calloc(count, size);
    kio::binding::bench::NoteAllocation(block, count * size);
    return block;
}

void* realloc(void* block, size_t size) noexcept {
    kio::binding::bench::NoteRelease(block);
    void* moved = __libc_realloc(block, size);
    kio::binding::bench::NoteAllocation(moved, size);
    return moved;
}

void free(void* block) noexcept { Release(block); }

}  // extern "C"

namespace {

void* AllocateOrThrow(size_t size) {
    void* block = Allocate(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void* AllocateAlignedOrThrow(size_t size, std::align_val_t alignment) {
    void* block = AllocateAligned(size == 0 ? 1 : size, alignment);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

}  // namespace

void* operator new(size_t size) { return AllocateOrThrow(size); }
void* operator new[](size_t size) { return AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size == 0 ? 1 : size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size == 0 ? 1 : size);
}
void* operator new(size_t size, std::align_val_t alignment) {
    return AllocateAlignedOrThrow(size, alignment);
}
void* operator new[](size_t size, std::align_val_t alignment) {
    return AllocateAlignedOrThrow(size, alignment);
}
void* operator new(size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateAligned(size == 0 ? 1 : size, alignment);
}
void* operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateAligned(size == 0 ? 1 : size, alignment);
}

void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, size_t) noexcept { Release(block); }
void operator delete[](void* block, size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete(void* block, std::align_val_t) noexcept { Release(block); }
void operator delete[](void* block, std::align_val_t) noexcept { Release(block); }
void operator delete(void* block, size_t, std::align_val_t) noexcept { Release(block); }
void operator delete[](void* block, size_t, std::align_val_t) noexcept { Release(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    Release(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    Release(block);
}
