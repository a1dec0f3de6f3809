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
#include "message.h"

namespace kio::analysis {

enum class Severity {
    Warning,  // the game does something the player most likely did not mean
    Note,     // worth knowing, harmless as the file stands
};

// The fixes `kiobind fix` applies: each has exactly one sure outcome.
enum class FixKind {
    RemoveUtf8Bom,
    ConvertUtf16,  // the whole file; no byte range
    LowerCaseKeyName,
    DropSpaceBeforeSemicolon,  // and lowercases the key name where that is also needed
    AddEquals,
    TurnOffOverriddenLine,
};

// Replace `length` bytes of the file at `offset` with `replacement`. The fixed
// line then names binding `entry` and gives it `value`; no entry when the fix
// changes no binding's value (a line turned off, a mark before a line that
// binds nothing). `kiobind fix` holds the loader's reading of the result to
// exactly that. The game then reads `gameReads` for the binding: `value`, unless
// a later line names the binding too and wins.
struct Fix {
    FixKind kind = FixKind::RemoveUtf8Bom;
    size_t offset = 0;
    size_t length = 0;
    std::string replacement;
    std::optional<int> entry;
    int32_t value = 0;
    int32_t gameReads = 0;
};

// The bytes of the file a finding is about.
struct ByteSpan {
    size_t offset = 0;
    size_t length = 0;
};

struct Finding {
    Finding() = default;
    // Its severity is its rule's, from the rule registry: the one place it is set.
    Finding(int lineNumber, messages::Message what, ByteSpan bytes,
            std::optional<Fix> sureFix = {});

    int line = 0;
    Severity severity = Severity::Warning;
    messages::Message message;  // its identifier and arguments
    ByteSpan span;              // within the file
    size_t column = 0;          // where `span` starts within the line, counted in bytes from 0
    std::optional<Fix> fix;     // when the finding has one sure fix
};

// "warning" or "note", as the text output spells it.
std::string_view SeverityName(Severity severity);

// "remove-utf8-bom", ...: how scripts name a fix.
std::string_view FixName(FixKind kind);

// Where `part`, a view into the line's text, lies in the file.
ByteSpan SpanOf(const AnalysedLine& line, std::string_view part);

// All findings, ordered by line, each with its column.
std::vector<Finding> CollectFindings(const FileAnalysis& analysis,
                                     const kio::binding::CodePage& codePage);

}  // namespace kio::analysis
