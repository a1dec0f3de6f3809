// What the game makes of a binding file, line by line, computed with the
// loader's own functions, plus where each line sits in the file.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "code_page.h"
#include "line_numbers.h"
#include "load_bindings.h"

namespace kio::analysis {

struct AnalysedLine {
    int number = 0;         // in the file, as an editor counts lines
    size_t offset = 0;      // of the line's first byte in the file
    std::string_view text;  // the line as the game sees it
    bool hasEquals = false;
    std::string_view keyText;
    std::string_view valueText;
    std::optional<int> entry;  // action-table entry the key text names
    int32_t value = 0;         // decoded value; meaningful only with `entry`
};

struct FileAnalysis {
    std::string_view bytes;           // the whole file
    std::string_view text;            // the bytes before the first NUL: all the game reads
    std::optional<size_t> nulOffset;  // of the first NUL byte
    LineNumbers lineNumbers;
    std::vector<AnalysedLine> lines;  // the game's lines, in file order
};

// One line as the loader handles it once cut: key looked up, value decoded.
AnalysedLine AnalyseLine(const kio::binding::BindingLine& line,
                         const kio::binding::CodePage& codePage);

// `bytes` must outlive the result, which holds views into it.
FileAnalysis AnalyseFile(std::string_view bytes, const kio::binding::CodePage& codePage);

// For each action-table entry, the last line naming it: the one whose value the
// game reads. Null where no line names it.
using LastLines = std::array<const AnalysedLine*, kio::binding::kBindingCount>;
LastLines LastLineOfEachBinding(const FileAnalysis& analysis);

}  // namespace kio::analysis
