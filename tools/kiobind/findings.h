// Everything worth telling a player about a binding file: each finding names
// the file line it concerns, says what the game does with it and how to fix it.
#pragma once

#include <string>
#include <vector>

#include "code_page.h"
#include "file_analysis.h"

namespace kiobind {

enum class Severity {
    Warning,  // the game does something the player most likely did not mean
    Note,     // worth knowing, harmless as the file stands
};

struct Finding {
    int line = 0;
    Severity severity = Severity::Warning;
    std::string message;
};

// All findings, ordered by line.
std::vector<Finding> CollectFindings(const FileAnalysis& analysis, const kio::CodePage& codePage);

}  // namespace kiobind
