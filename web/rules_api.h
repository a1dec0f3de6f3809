// The page's questions about rules, answered by the C++ kiobind uses; each
// returns malloc'd JSON text, or null when memory ran out.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

char* kio_code_pages();
char* kio_lines(const char* bytes, size_t size);
char* kio_encoding(const char* bytes, size_t size, uint32_t codePageId);
char* kio_written(int32_t value, uint32_t pad);
char* kio_value(const char* binding, size_t bindingSize, const char* value, size_t valueSize,
                uint32_t codePageId);
char* kio_text_kind(const char* bytes, size_t size);

}  // extern "C"
