// Findings about the value of a line that names a binding: values that decode
// to nothing, and values that decode to something other than what they seem.
#pragma once

#include <optional>

#include "code_page.h"
#include "file_analysis.h"
#include "findings.h"

namespace kio::analysis {

// `line` must name a binding.
std::optional<Finding> DiagnoseValue(const AnalysedLine& line,
                                     const kio::binding::CodePage& codePage);

}  // namespace kio::analysis
