#include "file_text.h"

#include <cstdio>

#include "code_page.h"
#include "quoting.h"
#include "shown_text.h"
#include "system_utf16.h"

namespace kio::kiobind {
namespace {

// The length of the well-formed UTF-8 sequence at `text[i]`, or 0.
size_t Utf8SequenceAt(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[i + k]); };
    const uint8_t lead = byte(0);
    const size_t length = lead < 0x80   ? 1
                          : lead < 0xC2 ? 0
                          : lead < 0xE0 ? 2
                          : lead < 0xF0 ? 3
                          : lead < 0xF5 ? 4
                                        : 0;
    if (length == 0 || i + length > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    // No overlong forms, surrogates or code points past U+10FFFF.
    const uint8_t second = length > 1 ? byte(1) : 0;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
        return 0;
    }
    return length;
}

}  // namespace

std::string ShowFileName(std::string_view name) {
    const std::string utf8 = FileNameAsUtf8(name);
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const size_t length = Utf8SequenceAt(utf8, i);
        if (length == 0) {
            analysis::AppendEscaped(out, static_cast<uint8_t>(utf8[i]));
            ++i;
            continue;
        }
        analysis::AppendWithoutControls(out, std::string_view(utf8).substr(i, length));
        i += length;
    }
    return out;
}

std::string ShowFileText(std::string_view bytes, uint32_t codePageId, bool decode) {
    // Only the built-in code pages are decoded; any other is escaped, on every
    // system alike.
    if (!decode || kio::binding::FindBuiltInCodePage(codePageId) == nullptr) {
        return analysis::Printable(bytes);
    }
    return analysis::ShowDecoded(bytes, *kio::binding::FindBuiltInCodePage(codePageId),
                                 [codePageId](std::string_view part) {
                                     return kio::edit::SystemCodePageToUtf8(part, codePageId);
                                 });
}

}  // namespace kio::kiobind
