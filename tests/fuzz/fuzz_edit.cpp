// Checks the editing library on any bytes, code page, binding and value:
// SetBinding, UnsetBinding and FixFile either refuse, or give bytes where
//   - the loader reads exactly the announced values, and every other slot as before;
//   - every line the edit does not name is byte for byte as it was;
//   - a second FixFile changes nothing.
//
// Input layout:
//   byte 0   bits 0-2 code page (1252, 932, 936, 949, 950; 5-7: 1252),
//            bits 3-4 what to do (0: set, 1: unset, 2 and 3: fix)
//   byte 1   the binding, as its action-table entry (modulo 54)
//   byte 2   the value for set: below 0xC0 a key name (odd: with a capital),
//            0xC0 to 0xEF "0x" and a number, 0xF0 and up the bytes up to the
//            first LF of the rest, which that line then leaves
//   rest     the file's bytes
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "binding_edit.h"
#include "code_page.h"
#include "game_values.h"
#include "line_changes.h"
#include "line_parser.h"
#include "nearest_name.h"
#include "system_utf16.h"
#include "vocabulary.h"

namespace {

using kio::edit::GameValues;

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_edit: %s\n", what);
        std::abort();
    }
}

const kio::binding::CodePage& CodePageFor(uint8_t bits) {
    constexpr uint32_t kIds[] = {1252, 932, 936, 949, 950};
    return *kio::binding::FindBuiltInCodePage(bits < 5 ? kIds[bits] : 1252);
}

std::string ValueFor(uint8_t selector, std::string_view& rest) {
    if (selector < 0xC0) {
        std::string name(kio::binding::kKeyNames[selector % kio::binding::kKeyNames.size()].name);
        if (selector % 2 == 1 && !name.empty() && name[0] >= 'a' && name[0] <= 'z') {
            name[0] = static_cast<char>(name[0] - 'a' + 'A');
        }
        return name;
    }
    if (selector < 0xF0) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", (selector - 0xC0u) * 0x01010101u);
        return hex;
    }
    const size_t end = rest.find('\n');
    const std::string value(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return value;
}

// The lines of `after` with the line at `skip` (counted from 1) left out.
std::vector<std::string_view> LinesWithout(std::string_view after, int skip) {
    std::vector<std::string_view> lines = kio::edit::EditorLines(after);
    if (skip >= 1 && static_cast<size_t>(skip) <= lines.size()) {
        lines.erase(lines.begin() + (skip - 1));
    }
    return lines;
}

// Lines the changes do not name are the same bytes; an added line is the
// only new one.
void RequireOnlyNamedLinesChanged(std::string_view before, const kio::edit::EditOutcome& outcome) {
    const std::vector<std::string_view> old = kio::edit::EditorLines(before);
    if (outcome.changes.size() == 1 && outcome.changes[0].added) {
        // A last line without its line break gets one, and stays the same line.
        Require(LinesWithout(outcome.bytes, outcome.changes[0].line) == old,
                "a line the edit does not name changed");
        return;
    }
    // Added lines left out, the others kept with whether a change names them.
    const std::vector<std::string_view> after = kio::edit::EditorLines(outcome.bytes);
    std::vector<std::string_view> now;
    std::vector<bool> named;
    size_t next = 0;
    for (size_t i = 0; i < after.size(); ++i) {
        const bool changed =
            next < outcome.changes.size() && outcome.changes[next].line == static_cast<int>(i + 1);
        const bool added = changed && outcome.changes[next].added;
        next += changed ? 1 : 0;
        if (!added) {
            now.push_back(after[i]);
            named.push_back(changed);
        }
    }
    Require(next == outcome.changes.size(), "a change names a line out of order");
    Require(old.size() == now.size(), "the edit changed the number of lines");
    for (size_t i = 0; i < old.size(); ++i) {
        Require(named[i] || old[i] == now[i], "a line the edit does not name changed");
    }
}

void CheckSet(std::string_view file, int entry, const std::string& value,
              const kio::binding::CodePage& codePage) {
    const kio::edit::EditOutcome outcome =
        kio::edit::SetBinding(file, kio::binding::BindingName(entry), value, codePage);
    if (outcome.status != kio::edit::EditStatus::Ok) {
        return;
    }
    const std::string written =
        kio::binding::HasHexPrefix(value) ? value : kio::analysis::AsciiLower(value);
    GameValues expected = kio::edit::ReadGameValues(file, codePage);
    expected[static_cast<size_t>(entry)] = kio::binding::DecodeValue(written, codePage);
    Require(kio::edit::ReadGameValues(outcome.bytes, codePage) == expected,
            "set: the loader reads other values than announced");
    // One line set; any other only turned off, where a repair would bring it back.
    Require(std::count_if(outcome.changes.begin(), outcome.changes.end(),
                          [](const kio::edit::LineChange& change) {
                              return change.description.key != "change.off";
                          }) <= 1,
            "set changed more than one line");
    RequireOnlyNamedLinesChanged(file, outcome);
}

void CheckUnset(std::string_view file, int entry, const kio::binding::CodePage& codePage) {
    const kio::edit::EditOutcome outcome =
        kio::edit::UnsetBinding(file, kio::binding::BindingName(entry), codePage);
    if (outcome.status != kio::edit::EditStatus::Ok) {
        return;
    }
    GameValues expected = kio::edit::ReadGameValues(file, codePage);
    expected[static_cast<size_t>(entry)] = std::nullopt;
    Require(kio::edit::ReadGameValues(outcome.bytes, codePage) == expected,
            "unset: the loader reads other values than announced");
    RequireOnlyNamedLinesChanged(file, outcome);
}

void CheckFix(std::string_view file, const kio::binding::CodePage& codePage) {
    const kio::edit::FixOutcome fixed =
        kio::edit::FixFile(file, codePage, kio::edit::SystemUtf16ToCodePage);
    if (fixed.edit.status != kio::edit::EditStatus::Ok) {
        return;
    }
    const std::string_view base = fixed.convertedFrom.empty() ? file : fixed.converted;
    GameValues expected = kio::edit::ReadGameValues(base, codePage);
    for (const kio::edit::Announced& announced : fixed.announced) {
        expected[static_cast<size_t>(announced.entry)] = announced.value;
    }
    Require(kio::edit::ReadGameValues(fixed.edit.bytes, codePage) == expected,
            "fix: the loader reads other values than announced");
    // Line breaks stay as they are (a last line may lose all its bytes).
    std::string_view breaksBefore = base;
    std::string breaksAfter;
    for (const char c : fixed.edit.bytes) {
        if (c == '\r' || c == '\n') breaksAfter += c;
    }
    std::string breaks;
    for (const char c : breaksBefore) {
        if (c == '\r' || c == '\n') breaks += c;
    }
    Require(breaks == breaksAfter, "fix changed a line break");
    const kio::edit::FixOutcome again =
        kio::edit::FixFile(fixed.edit.bytes, codePage, kio::edit::SystemUtf16ToCodePage);
    Require(again.edit.status == kio::edit::EditStatus::Ok && again.edit.bytes == fixed.edit.bytes,
            "a second fix changed the file again");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) {
        return 0;
    }
    const kio::binding::CodePage& codePage = CodePageFor(data[0] & 7);
    const int operation = (data[0] >> 3) & 3;
    const int entry = data[1] % kio::binding::kBindingCount;
    std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
    if (operation == 0) {
        const std::string value = ValueFor(data[2], rest);
        CheckSet(rest, entry, value, codePage);
    } else if (operation == 1) {
        CheckUnset(rest, entry, codePage);
    } else {
        CheckFix(rest, codePage);
    }
    return 0;
}
