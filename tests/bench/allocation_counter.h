// Counts the heap allocations of a piece of code. The benchmark program replaces
// the whole operator new family and interposes malloc, calloc, realloc and free,
// so allocations from C++ and C code, and from shared libraries, are all seen.
#pragma once

#include <cstddef>

namespace kio::binding::bench {

struct AllocationCount {
    size_t allocations = 0;   // blocks handed out
    size_t bytes = 0;         // bytes requested, summed over those blocks
    size_t peakBytes = 0;     // the most bytes held at once by blocks of this count
    bool overflowed = false;  // more blocks lived at once than the counter tracks
};

// Counts what the current thread allocates while this object lives. Counts do
// not nest.
class CountAllocations {
public:
    CountAllocations();
    ~CountAllocations();
    CountAllocations(const CountAllocations&) = delete;
    CountAllocations& operator=(const CountAllocations&) = delete;

    AllocationCount Result() const;
};

}  // namespace kio::binding::bench
