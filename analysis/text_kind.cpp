#include "text_kind.h"

#include <array>
#include <utility>

#include "encoding_findings.h"

namespace kio::analysis {
namespace {

constexpr std::array<std::pair<std::string_view, TextKind>, 8> kStarts{{
    {"\x89PNG", TextKind::kPng},
    {"\xFF\xD8\xFF", TextKind::kJpeg},
    {"GIF8", TextKind::kGif},
    {"PK\x03\x04", TextKind::kZip},
    {"%PDF", TextKind::kPdf},
    {"MZ", TextKind::kExe},
    {"\x7F\x45LF", TextKind::kElf},
    {"RIFF", TextKind::kRiff},
}};

// Tab, line breaks, form feed, and the end-of-file and escape bytes old
// editors leave are at home in text; other controls and DEL are not.
constexpr bool IsStrayControl(uint8_t byte) {
    const bool control = byte < 0x20 || byte == 0x7F;
    const bool usual = byte == 0x09 || byte == 0x0A || byte == 0x0C || byte == 0x0D ||
                       byte == 0x1A || byte == 0x1B;
    return control && !usual;
}

}  // namespace

TextKind KindOfFile(std::string_view bytes) {
    const std::string_view sample = bytes.substr(0, kTextKindSample);
    if (DetectUtf16(sample)) {
        return TextKind::kText;
    }
    for (const auto& [start, kind] : kStarts) {
        if (sample.starts_with(start)) {
            return kind;
        }
    }
    size_t stray = 0;
    for (const char c : sample) {
        stray += IsStrayControl(static_cast<uint8_t>(c)) ? 1 : 0;
    }
    return stray * 20 > sample.size() ? TextKind::kControls : TextKind::kText;
}

}  // namespace kio::analysis
