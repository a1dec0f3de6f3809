#include "load_bindings.h"

#include <algorithm>
#include <array>

#include "binding_file.h"
#include "line_parser.h"
#include "line_scanner.h"
#include "vocabulary.h"

namespace kio {

void ApplyBindingLines(std::string_view text, const SlotTable& slots, const CodePage& codePage,
                       BindingValues& values) {
    ScanBindingLines(text, codePage, [&](const ScannedLine& line) {
        if (line.equals == std::string_view::npos) {
            return;
        }
        std::string_view keyText;
        std::string_view valueText;
        SplitBindingLineAt(line.text, line.equals, codePage, keyText, valueText);
        if (const std::optional<int> slot = FindBindingSlot(slots, keyText, codePage)) {
            values[static_cast<size_t>(*slot)] = DecodeValue(valueText, codePage);
        }
    });
}

ResultCode LoadBindings(int32_t* bindings, int32_t bindingCount, const char* const* actionNames,
                        const FileSystem& fileSystem, const CodePage& codePage) {
    if (bindingCount != kBindingCount) {
        return kInvalidArgument;
    }
    // Checked after the count, so a wrong count still reports E_INVALIDARG.
    if (bindings == nullptr || actionNames == nullptr) {
        return kNullPointer;
    }
    const SlotTable slots = BuildSlotTable(actionNames);

    FileText file;
    if (ResultCode result = ReadBindingFile(fileSystem, codePage, file); Failed(result)) {
        return result;
    }

    // Lines go to a copy, and the caller's array changes only once all have applied.
    BindingValues values;
    std::copy_n(bindings, kBindingCount, values.begin());
    ApplyBindingLines(file.text, slots, codePage, values);
    std::copy(values.begin(), values.end(), bindings);
    return kOk;
}

}  // namespace kio
