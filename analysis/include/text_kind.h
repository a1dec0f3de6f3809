// Whether what the player opened is a text file at all, or what else it is:
// an image, an archive or a program opened by mistake is questioned before
// anything reads it as bindings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kio::analysis {

enum class TextKind : uint8_t {
    kText,
    kControls,  // too many control bytes for text
    kPng,
    kJpeg,
    kGif,
    kZip,
    kPdf,
    kExe,
    kElf,
    kRiff,
};

// How much of the start of a file is judged.
inline constexpr size_t kTextKindSample = 65536;

// Text, a kind of file known by how it begins, or kControls when more than one
// in twenty of the sampled bytes are control bytes no text file holds. UTF-16,
// as DetectUtf16 tells it, is text: it is converted, not refused.
TextKind KindOfFile(std::string_view bytes);

}  // namespace kio::analysis
