// The whole work of GetPAM, with the system services and the code page passed in
// so that tests and tools can drive it under any platform and code page.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "code_page.h"
#include "platform.h"
#include "result_codes.h"
#include "vocabulary.h"

namespace kio {

using BindingValues = std::array<int32_t, kBindingCount>;

// Stores the decoded value of every line of `text` that names a binding into
// that binding's slot of `values`; of several lines naming one slot, the last wins.
void ApplyBindingLines(std::string_view text, const SlotTable& slots, const CodePage& codePage,
                       BindingValues& values);

ResultCode LoadBindings(int32_t* bindings, int32_t bindingCount, const char* const* actionNames,
                        const FileSystem& fileSystem, const CodePage& codePage);

}  // namespace kio
