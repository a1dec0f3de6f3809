// The whole work of GetPAM, with the system services and the code page passed in
// so that tests and tools can drive it under any platform and code page.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "binding_file.h"
#include "code_page.h"
#include "line_parser.h"
#include "platform.h"
#include "result_codes.h"
#include "vocabulary.h"

namespace kio::binding {

using BindingValues = std::array<int32_t, kBindingCount>;

// One line of the file as the loader cuts it.
struct BindingLine {
    std::string_view text;
    bool hasEquals = false;  // without "=" both texts stay empty and the line binds nothing
    std::string_view keyText;
    std::string_view valueText;
};

inline BindingLine CutBindingLine(std::string_view line, const CodePage& codePage) {
    BindingLine cut;
    cut.text = line;
    cut.hasEquals = SplitBindingLine(line, codePage, cut.keyText, cut.valueText);
    return cut;
}

// Cuts `text` into lines and each line at its "=", in file order: the one loop
// behind both GetPAM and the tools that explain what it reads. The lines are
// found and cut in one pass, each as CutBindingLine cuts it.
void ForEachBindingLine(std::string_view text, const CodePage& codePage,
                        const std::function<void(const BindingLine&)>& visit);

// Stores the decoded value of every line of `text` that names a binding into
// that binding's slot of `values`; of several lines naming one slot, the last wins.
void ApplyBindingLines(std::string_view text, const SlotTable& slots, const CodePage& codePage,
                       BindingValues& values);

ResultCode LoadBindings(int32_t* bindings, int32_t bindingCount, const char* const* actionNames,
                        const FileSystem& fileSystem, const CodePage& codePage);

}  // namespace kio::binding
