// Findings about how the file is stored: UTF-16 text, a UTF-8 byte-order mark,
// NUL bytes. The game reads the file as plain bytes and handles none of these.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "code_page.h"
#include "file_analysis.h"
#include "findings.h"

namespace kiobind {

// "little-endian" or "big-endian" when the bytes look like UTF-16 text: a
// byte-order mark, or a NUL in one byte of nearly every pair.
std::optional<std::string_view> DetectUtf16(std::string_view bytes);

bool StartsWithUtf8Bom(std::string_view bytes);

bool HasUtf16ByteOrderMark(std::string_view bytes);

Finding Utf16Finding(std::string_view byteOrder, std::string_view bytes);

std::optional<Finding> NulFinding(const FileAnalysis& analysis);

// The first line when the file starts with a UTF-8 byte-order mark: the mark
// sticks to the line's key text, so the line never names a binding.
void CheckLineAfterBom(const AnalysedLine& line, const kio::CodePage& codePage,
                       std::vector<Finding>& findings);

}  // namespace kiobind
