// The rules the page applies to what the player opens and types, asked of the
// same C++ kiobind uses: the code pages, line numbers, whether a file is text
// and how it is stored, and what a typed value sets. Each export returns JSON
// text the page frees with free().
#include "rules_api.h"

#include <optional>
#include <string_view>

#include "api_support.h"
#include "browser_keys.h"
#include "code_page.h"
#include "edit_request.h"
#include "encoding_findings.h"
#include "line_numbers.h"
#include "text_kind.h"

namespace {

using kio::web::Json;

// The name the browser's TextDecoder knows a code page by; empty for none.
std::string_view DecoderLabel(uint32_t codePageId) {
    switch (codePageId) {
        case 1252: return "windows-1252";
        case 932: return "shift_jis";
        case 936: return "gbk";
        case 949: return "euc-kr";
        case 950: return "big5";
        default: return "";
    }
}

std::string_view KindName(kio::analysis::TextKind kind) {
    switch (kind) {
        case kio::analysis::TextKind::kText: return "text";
        case kio::analysis::TextKind::kControls: return "controls";
        case kio::analysis::TextKind::kPng: return "png";
        case kio::analysis::TextKind::kJpeg: return "jpeg";
        case kio::analysis::TextKind::kGif: return "gif";
        case kio::analysis::TextKind::kZip: return "zip";
        case kio::analysis::TextKind::kPdf: return "pdf";
        case kio::analysis::TextKind::kExe: return "exe";
        case kio::analysis::TextKind::kElf: return "elf";
        case kio::analysis::TextKind::kRiff: return "riff";
    }
    return "text";
}

}  // namespace

extern "C" {

// The code pages a file can be read in, 1252 first, each with its lead bytes,
// the bytes that follow them, and its decoder's name.
char* kio_code_pages() {
    Json pages = Json::array();
    for (const kio::binding::CodePage* page : kio::binding::BuiltInCodePages()) {
        Json leadBytes = Json::array();
        Json trailBytes = Json::array();
        for (int byte = 0; byte < 256; ++byte) {
            if (page->IsLeadByte(static_cast<uint8_t>(byte))) {
                leadBytes.push_back(byte);
            }
            if (kio::binding::IsTrailByte(*page, static_cast<uint8_t>(byte))) {
                trailBytes.push_back(byte);
            }
        }
        pages.push_back({{"id", page->id},
                         {"leadBytes", std::move(leadBytes)},
                         {"trailBytes", std::move(trailBytes)},
                         {"decoder", DecoderLabel(page->id)}});
    }
    return kio::web::HandOver(pages);
}

// Where each line starts and where its break starts, as an editor numbers them.
char* kio_lines(const char* bytes, size_t size) {
    const std::string_view file = kio::web::View(bytes, size);
    const kio::analysis::LineNumbers numbers(file);
    Json starts = Json::array();
    Json ends = Json::array();
    for (int line = 1; line <= numbers.LastLine(); ++line) {
        starts.push_back(numbers.LineStart(line));
        ends.push_back(numbers.LineEnd(file, line));
    }
    return kio::web::HandOver({{"starts", std::move(starts)}, {"ends", std::move(ends)}});
}

// How the file is stored: "utf16", whether it looks like UTF-16, and "utf8", whether
// its bytes from 0x80 up read as UTF-8 under the code page, as check judges.
char* kio_encoding(const char* bytes, size_t size, uint32_t codePageId) {
    const std::string_view file = kio::web::View(bytes, size);
    return kio::web::HandOver(
        {{"utf16", kio::analysis::DetectUtf16(file).has_value()},
         {"utf8",
          kio::analysis::FirstUtf8Sequence(file, kio::web::CodePageOf(codePageId)).has_value()}});
}

// A value as the file writes it, for a keyboard binding (`pad` 0) or a pad
// binding (1).
char* kio_written(int32_t value, uint32_t pad) {
    return kio::web::HandOver({{"text", kio::analysis::WrittenValue(pad != 0 ? 1 : 0, value)}});
}

// The value `binding` gets when the player types `value`, as kiobind set takes
// it, or null where set refuses it, with set's refusal in both languages.
char* kio_value(const char* binding, size_t bindingSize, const char* value, size_t valueSize,
                uint32_t codePageId) {
    const kio::edit::SetRequest request = kio::edit::ParseSetRequest(
        kio::web::View(binding, bindingSize), kio::web::View(value, valueSize),
        kio::web::CodePageOf(codePageId));
    const bool refused = request.value.empty();
    return kio::web::HandOver(
        {{"value", refused ? Json(nullptr) : Json(request.decoded)},
         {"refusal",
          kio::web::InBothLanguages(refused ? std::optional(request.refusal) : std::nullopt)}});
}

// Whether the bytes are text: {"kind": "text"}, "controls" when too many bytes
// are controls, or the kind of file they begin as ("png", "zip", ...).
char* kio_text_kind(const char* bytes, size_t size) {
    return kio::web::HandOver(
        {{"kind", KindName(kio::analysis::KindOfFile(kio::web::View(bytes, size)))}});
}

}  // extern "C"
