#include "load_bindings.h"

#include <algorithm>
#include <array>

#include "kio_assert.h"
#include "line_scanner.h"
#include "name_lookup.h"
#include "value_decoding.h"
#include "vocabulary.h"

namespace kio::binding {

namespace {

// The entry a line's key names. Parts as cut are looked up as they stand first:
// under plain ASCII case only letters and "_" match a binding name, so a key
// that matches untrimmed is already its own trimmed text.
template <bool kPlainAsciiCase>
KIO_ALWAYS_INLINE int FindEntryOfLine(const ScannedLine& line, const CodePage& codePage) {
    if (!line.partsAsCut) {
        return FindBindingEntryUnder<kPlainAsciiCase>(line.key, codePage);
    }
    if constexpr (kPlainAsciiCase) {
        if (const int entry = FindBindingEntryUnder<true>(line.key, codePage); entry >= 0) {
            return entry;
        }
    }
    return FindBindingEntryUnder<kPlainAsciiCase>(line_scanner::TrimmedKey(line), codePage);
}

// The value of a line's value text, trimmed only when it does not tell as cut.
KIO_ALWAYS_INLINE int32_t DecodeValueOfLine(const ScannedLine& line, const CodePage& codePage) {
    if (!line.partsAsCut) {
        return DecodeValueText(line.value, codePage);
    }
    // One final ";" goes. The byte before the value's end is the "=" when the
    // value is empty, so it can be read without a test for that.
    KIO_ASSERT(line.value.data()[-1] == '=');
    const bool semicolon = line.value.data()[static_cast<ptrdiff_t>(line.value.size()) - 1] == ';';
    const std::string_view untrimmed(line.value.data(), line.value.size() - (semicolon ? 1 : 0));
    int32_t value = 0;
    if (DecodeUntrimmedValue(untrimmed, value)) {
        return value;
    }
    return DecodeValueText(line_scanner::TrimmedValue(line), codePage);
}

template <bool kPlainAsciiCase>
void ApplyBindingLinesUnder(std::string_view text, const SlotTable& slots, const CodePage& codePage,
                            BindingValues& values) {
    // A copy on this frame is read without first loading where the table is.
    const SlotTable slotsHere = slots;
    // Inlined into the scan: a call per line would cost as much as the lookups.
    ScanBindingLines(text, codePage, [&](const ScannedLine& line) KIO_ALWAYS_INLINE_LAMBDA {
        if (line.equals == std::string_view::npos) {
            return;
        }
        const int entry = FindEntryOfLine<kPlainAsciiCase>(line, codePage);
        if (entry < 0) {
            return;
        }
        if (const int8_t slot = slotsHere[static_cast<size_t>(entry)]; slot != kNoSlot) {
            values[static_cast<size_t>(slot)] = DecodeValueOfLine(line, codePage);
        }
    });
}

}  // namespace

void ForEachBindingLine(std::string_view text, const CodePage& codePage,
                        const std::function<void(const BindingLine&)>& visit) {
    ScanBindingLines(text, codePage, [&](const ScannedLine& cut) {
        const ScannedLine scanned = Trimmed(cut);
        visit(BindingLine{scanned.text, scanned.equals != std::string_view::npos, scanned.key,
                          scanned.value});
    });
}

void ApplyBindingLines(std::string_view text, const SlotTable& slots, const CodePage& codePage,
                       BindingValues& values) {
    if (codePage.hasPlainAsciiCase) {
        ApplyBindingLinesUnder<true>(text, slots, codePage, values);
    } else {
        ApplyBindingLinesUnder<false>(text, slots, codePage, values);
    }
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

}  // namespace kio::binding
