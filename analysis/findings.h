// Everything worth telling a player about a binding file: each finding names
// the file line it concerns, says what the game does with it and how to fix it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "code_page.h"
#include "file_analysis.h"

namespace kiobind {

enum class Severity {
    Warning,  // the game does something the player most likely did not mean
    Note,     // worth knowing, harmless as the file stands
};

// The fixes `kiobind fix` applies: each has exactly one sure outcome.
enum class FixKind {
    RemoveUtf8Bom,
    ConvertUtf16,              // the whole file; no byte range
    LowerCaseKeyName,
    DropSpaceBeforeSemicolon,  // and lowercases the key name where that is also needed
    AddEquals,
    TurnOffOverriddenLine,
};

// Replace `length` bytes of the file at `offset` with `replacement`. The fixed
// line then names binding `entry` and gives it `value`; no entry when the fix
// changes no binding's value (a line turned off, a mark before a line that
// binds nothing). `kiobind fix` holds the loader's reading of the result to
// exactly that.
struct Fix {
    FixKind kind = FixKind::RemoveUtf8Bom;
    size_t offset = 0;
    size_t length = 0;
    std::string replacement;
    std::optional<int> entry;
    int32_t value = 0;
};

struct Finding {
    Finding() = default;
    Finding(int lineNumber, Severity level, std::string text, std::optional<Fix> sureFix = {})
        : line(lineNumber), severity(level), message(std::move(text)), fix(std::move(sureFix)) {}

    int line = 0;
    Severity severity = Severity::Warning;
    std::string message;
    std::optional<Fix> fix;  // when the finding has one sure fix
};

// All findings, ordered by line.
std::vector<Finding> CollectFindings(const FileAnalysis& analysis, const kio::CodePage& codePage);

}  // namespace kiobind
