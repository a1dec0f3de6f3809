#include "utf16_encoding.h"

#include <emscripten.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "api_support.h"
#include "shown_text.h"

namespace {

// bridge.js answers with a malloc'd block: an int32 status (1 converted, 0 not),
// an int32 count (of the bytes, or the index of the code unit with no form in
// the code page), then the bytes. Null when memory ran out.
// clang-format off
EM_JS(char*, EncodeInPage, (const char16_t* units, size_t count, uint32_t codePage), {
    return Module.encodeUtf16(units, count, codePage);
});
// The same block for bytes decoded: status 1 and the UTF-8 text, or status 0
// when some byte has no form in the code page.
EM_JS(char*, DecodeInPage, (const char* bytes, size_t count, uint32_t codePage), {
    return Module.decodeToUtf8(bytes, count, codePage);
});
// clang-format on

std::optional<std::string> DecodedInPage(std::string_view bytes, uint32_t codePageId) {
    const std::unique_ptr<char, decltype(&std::free)> block(
        DecodeInPage(bytes.data(), bytes.size(), codePageId), &std::free);
    if (!block) {
        return std::nullopt;
    }
    int32_t header[2];
    std::memcpy(header, block.get(), sizeof header);
    if (header[0] != 1 || header[1] < 0) {
        return std::nullopt;
    }
    return std::string(block.get() + sizeof header, static_cast<size_t>(header[1]));
}

}  // namespace

namespace kio::web {

kio::edit::Utf16Conversion EncodeUtf16InPage(std::u16string_view text, uint32_t codePageId) {
    kio::edit::Utf16Conversion conversion;
    const std::unique_ptr<char, decltype(&std::free)> block(
        EncodeInPage(text.data(), text.size(), codePageId), &std::free);
    if (!block) {
        return conversion;
    }
    int32_t header[2];
    std::memcpy(header, block.get(), sizeof header);
    if (header[0] == 1) {
        conversion.status = kio::edit::ConversionStatus::Converted;
        conversion.bytes.assign(block.get() + sizeof header, static_cast<size_t>(header[1]));
    } else if (header[1] >= 0 && static_cast<size_t>(header[1]) < text.size()) {
        conversion.status = kio::edit::ConversionStatus::NoFormInCodePage;
        conversion.failedUnit = static_cast<size_t>(header[1]);
    }
    return conversion;
}

kio::messages::FileTextShower FileTextShowerInPage(kio::messages::Language language,
                                                   uint32_t codePageId) {
    const kio::binding::CodePage* codePage = kio::binding::FindBuiltInCodePage(codePageId);
    if (language == kio::messages::Language::English || codePage == nullptr) {
        return {};
    }
    return [codePage, codePageId](std::string_view bytes) {
        return kio::analysis::ShowDecoded(bytes, *codePage, [codePageId](std::string_view part) {
            return DecodedInPage(part, codePageId);
        });
    };
}

std::string ShownInPage(std::string_view bytes, uint32_t codePageId) {
    const auto decode = [codePageId](std::string_view part) {
        return DecodedInPage(part, codePageId);
    };
    // Tabs stay tabs: they line a file up, and no code page makes one part of
    // a character.
    std::string shown;
    size_t start = 0;
    for (size_t tab = bytes.find('\t');; tab = bytes.find('\t', start)) {
        shown += kio::analysis::ShowDecoded(bytes.substr(start, tab - start),
                                            CodePageOf(codePageId), decode);
        if (tab == std::string_view::npos) {
            return shown;
        }
        shown += '\t';
        start = tab + 1;
    }
}

}  // namespace kio::web
