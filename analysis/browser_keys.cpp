#include "browser_keys.h"

#include <array>
#include <utility>

#include "characters.h"
#include "nearest_name.h"
#include "vocabulary.h"

namespace kio::analysis {
namespace {

// Generated at configure time from keyboard-codes.tsv (the key table of the
// Chromium project, Windows column).
constexpr BrowserKey kBrowserKeys[] = {
#include "browser_key_table.inc"
};

}  // namespace

std::span<const BrowserKey> BrowserKeys() { return kBrowserKeys; }

std::optional<int32_t> BrowserKeyValue(std::string_view code) {
    for (const BrowserKey& key : kBrowserKeys) {
        if (key.code == code) {
            return DirectInputValue(key.scanCode);
        }
    }
    return std::nullopt;
}

std::string FileSpelling(std::string_view keyName) { return AsciiLower(keyName); }

std::optional<std::string> KeyNameOf(int32_t value) {
    for (const kio::binding::KeyName& key : kio::binding::kKeyNames) {
        std::string spelling = FileSpelling(key.name);
        if (key.code == value && kio::binding::FindKeyCode(spelling) == value) {
            return spelling;
        }
    }
    return std::nullopt;
}

std::string WrittenValue(int entry, int32_t value) {
    if (entry % 2 == 0) {
        if (std::optional<std::string> name = KeyNameOf(value)) {
            return std::move(*name);
        }
    }
    return Hex(static_cast<uint32_t>(value));
}

std::string_view BrowserCodeOf(int32_t value) {
    for (const BrowserKey& key : kBrowserKeys) {
        if (DirectInputValue(key.scanCode) == value) {
            return key.code;
        }
    }
    return {};
}

}  // namespace kio::analysis
