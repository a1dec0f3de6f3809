// The text storage manager: the allocator the library's texts take their memory
// from. It draws on the process heap, which belongs to the process: the library
// neither creates nor destroys it.
#pragma once

#include <windows.h>

#include <cstddef>

namespace kio::module {

class TextStorageManager {
public:
    TextStorageManager() noexcept;
    ~TextStorageManager();

    TextStorageManager(const TextStorageManager&) = delete;
    TextStorageManager& operator=(const TextStorageManager&) = delete;

    // nullptr when the heap has no room.
    void* Allocate(size_t bytes) const noexcept;
    void Free(void* block) const noexcept;

private:
    HANDLE heap_;
};

}  // namespace kio::module
