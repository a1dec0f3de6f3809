// The rules the page applies to what the player opens and types, asked of the
// same C++ kiobind uses: the code pages, line numbers, whether a file is text
// and how it is stored, and what a typed value sets. Each export returns JSON
// text the page frees with free().
#include "rules_api.h"

#include <optional>
#include <string_view>

#include "api_support.h"
#include "code_page.h"
#include "edit_request.h"
#include "encoding_findings.h"
#include "line_numbers.h"
#include "text_kind.h"

namespace {

using kioweb::Json;

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

std::string_view KindName(kiobind::TextKind kind) {
    switch (kind) {
        case kiobind::TextKind::kText: return "text";
        case kiobind::TextKind::kControls: return "controls";
        case kiobind::TextKind::kPng: return "png";
        case kiobind::TextKind::kJpeg: return "jpeg";
        case kiobind::TextKind::kGif: return "gif";
        case kiobind::TextKind::kZip: return "zip";
        case kiobind::TextKind::kPdf: return "pdf";
        case kiobind::TextKind::kExe: return "exe";
        case kiobind::TextKind::kElf: return "elf";
        case kiobind::TextKind::kRiff: return "riff";
    }
    return "text";
}

}  // namespace

extern "C" {

// The code pages a file can be read in, 1252 first, each with its lead bytes,
// the bytes that follow them, and its decoder's name.
char* kio_code_pages() {
    Json pages = Json::array();
    for (const kio::CodePage* page : kio::BuiltInCodePages()) {
        Json leadBytes = Json::array();
        Json trailBytes = Json::array();
        for (int byte = 0; byte < 256; ++byte) {
            if (page->IsLeadByte(static_cast<uint8_t>(byte))) {
                leadBytes.push_back(byte);
            }
            if (kio::IsTrailByte(*page, static_cast<uint8_t>(byte))) {
                trailBytes.push_back(byte);
            }
        }
        pages.push_back({{"id", page->id},
                         {"leadBytes", std::move(leadBytes)},
                         {"trailBytes", std::move(trailBytes)},
                         {"decoder", DecoderLabel(page->id)}});
    }
    return kioweb::HandOver(pages);
}

// Where each line starts and where its break starts, as an editor numbers them.
char* kio_lines(const char* bytes, size_t size) {
    const std::string_view file = kioweb::View(bytes, size);
    const kiobind::LineNumbers numbers(file);
    Json starts = Json::array();
    Json ends = Json::array();
    for (int line = 1; line <= numbers.LastLine(); ++line) {
        starts.push_back(numbers.LineStart(line));
        ends.push_back(numbers.LineEnd(file, line));
    }
    return kioweb::HandOver({{"starts", std::move(starts)}, {"ends", std::move(ends)}});
}

// How the file is stored: "utf16", whether it looks like UTF-16, and "utf8", whether
// its bytes from 0x80 up read as UTF-8 under the code page, as check judges.
char* kio_encoding(const char* bytes, size_t size, uint32_t codePageId) {
    const std::string_view file = kioweb::View(bytes, size);
    return kioweb::HandOver(
        {{"utf16", kiobind::DetectUtf16(file).has_value()},
         {"utf8", kiobind::FirstUtf8Sequence(file, kioweb::CodePageOf(codePageId)).has_value()}});
}

// The value `binding` gets when the player types `value`, as kiobind set takes
// it, or null where set refuses it.
char* kio_value(const char* binding, size_t bindingSize, const char* value, size_t valueSize,
                uint32_t codePageId) {
    const std::optional<int32_t> set =
        kioedit::ValueToSet(kioweb::View(binding, bindingSize), kioweb::View(value, valueSize),
                            kioweb::CodePageOf(codePageId));
    return kioweb::HandOver({{"value", set ? Json(*set) : Json(nullptr)}});
}

// Whether the bytes are text: {"kind": "text"}, "controls" when too many bytes
// are controls, or the kind of file they begin as ("png", "zip", ...).
char* kio_text_kind(const char* bytes, size_t size) {
    return kioweb::HandOver({{"kind", KindName(kiobind::KindOfFile(kioweb::View(bytes, size)))}});
}

}  // extern "C"
