#include "text_storage.h"

#include "test_hooks.h"

namespace kio::module {

TextStorageManager::TextStorageManager() noexcept : heap_(GetProcessHeap()) {
    NoteLifecycleStep("TextStorage up");
}

TextStorageManager::~TextStorageManager() { NoteLifecycleStep("TextStorage down"); }

void* TextStorageManager::Allocate(size_t bytes) const noexcept {
    return HeapAlloc(heap_, 0, bytes);
}

void TextStorageManager::Free(void* block) const noexcept {
    if (block != nullptr) {
        HeapFree(heap_, 0, block);
    }
}

}  // namespace kio::module
