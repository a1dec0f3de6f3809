#include <gtest/gtest.h>

#include <set>

#include "browser_keys.h"
#include "vocabulary.h"

namespace kio::analysis {
namespace {

TEST(BrowserKeys, EveryNamedKeyIsAKeyNameOfTheLoaderAndEachCodeIsListedOnce) {
    std::set<std::string_view> codes;
    size_t named = 0;
    for (const BrowserKey& key : BrowserKeys()) {
        EXPECT_TRUE(codes.insert(key.code).second) << key.code;
        if (const std::optional<std::string> name = KeyNameOf(DirectInputValue(key.scanCode))) {
            ++named;
            EXPECT_EQ(kio::binding::FindKeyCode(*name), DirectInputValue(key.scanCode)) << key.code;
        }
    }
    EXPECT_GT(codes.size(), 150u);  // the whole table came through the build
    EXPECT_GT(named, 110u);
}

TEST(BrowserKeys, ExtendedKeysPauseAndNumLockGetTheirOwnNames) {
    const std::pair<std::string_view, std::optional<std::string>> cases[] = {
        {"KeyA", "a"},
        {"Escape", "escape"},
        {"ControlLeft", "lcontrol"},
        {"ControlRight", "rcontrol"},
        {"AltRight", "rmenu"},
        {"NumpadEnter", "numpadenter"},
        {"Enter", "return"},
        {"ArrowUp", "up"},
        {"Delete", "delete"},
        {"NumpadDivide", "/"},
        {"NumpadSubtract", "-"},
        {"Pause", "pause"},
        {"NumLock", "numlock"},
        {"IntlBackslash", "oem_102"},
        {"IntlYen", "yen"},
        {"KanaMode", "kana"},
        // The file's "-" and "/" reach the numeric pad's keys, never these.
        {"Minus", std::nullopt},
        {"Slash", std::nullopt},
    };
    for (const auto& [code, name] : cases) {
        const std::optional<int32_t> value = BrowserKeyValue(code);
        ASSERT_TRUE(value) << code;
        EXPECT_EQ(KeyNameOf(*value), name) << code;
        EXPECT_EQ(BrowserCodeOf(*value), code);
    }
    EXPECT_EQ(BrowserKeyValue("Minus"), 0x0C);
    EXPECT_EQ(BrowserKeyValue("NoSuchKey"), std::nullopt);
}

}  // namespace
}  // namespace kio::analysis
