// Findings about how the file is stored: UTF-16 text, a UTF-8 byte-order mark,
// NUL bytes. The game reads the file as plain bytes and handles none of these.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "code_page.h"
#include "file_analysis.h"
#include "findings.h"

namespace kio::analysis {

enum class ByteOrder { LittleEndian, BigEndian };

// The byte order when the bytes look like UTF-16 text: a byte-order mark, or a
// NUL in one byte of nearly every pair.
std::optional<ByteOrder> DetectUtf16(std::string_view bytes);

bool StartsWithUtf8Bom(std::string_view bytes);

bool HasUtf16ByteOrderMark(std::string_view bytes);

Finding Utf16Finding(ByteOrder byteOrder, std::string_view bytes);

std::optional<Finding> NulFinding(const FileAnalysis& analysis);

// Where the first multi-byte UTF-8 sequence of `text` starts, when every byte
// from 0x80 up belongs to a valid one. Under a code page with lead bytes only a
// sequence of 3 or 4 bytes counts: a lone 2-byte one is as likely two of its
// single-byte characters (half-width katakana under 932).
std::optional<size_t> FirstUtf8Sequence(std::string_view text,
                                        const kio::binding::CodePage& codePage);

// The text the game reads is UTF-8 (past any byte-order mark): its comments
// look garbled in the game's code page, while the ASCII names bind as ever.
std::optional<Finding> Utf8Finding(const FileAnalysis& analysis,
                                   const kio::binding::CodePage& codePage);

// The first line when the file starts with a UTF-8 byte-order mark: the mark
// sticks to the line's key text, so the line never names a binding.
void CheckLineAfterBom(const AnalysedLine& line, const kio::binding::CodePage& codePage,
                       std::vector<Finding>& findings);

}  // namespace kio::analysis
