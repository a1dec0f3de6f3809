// Findings about one line of the file: its shape and the binding it names.
#pragma once

#include <string_view>
#include <vector>

#include "code_page.h"
#include "file_analysis.h"
#include "findings.h"

namespace kio::analysis {

// Lines a player writes as comments or section headers ("; ...", "# ...",
// "[Keyboard]"). The game has no such syntax, but such a line can never name a
// binding, so it is as harmless as a comment.
bool IsCommentOrSection(std::string_view line);

void CheckLine(const AnalysedLine& line, const kio::binding::CodePage& codePage,
               std::vector<Finding>& findings);

}  // namespace kio::analysis
