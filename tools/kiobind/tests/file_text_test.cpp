// Text from the player's file as a message shows it.
#include <gtest/gtest.h>

#include "file_text.h"

namespace kio::kiobind {
namespace {

TEST(FileText, DecodedWhereTheCodePageMakesSenseEscapedOtherwise) {
    struct Case {
        std::string_view bytes;
        uint32_t codePage;
        bool decode;
        std::string_view shown;
    };
    const Case cases[] = {
        // "キー設定" in Shift-JIS.
        {"\x83\x4C\x81\x5B\x90\xDD\x92\xE8", 932, true,
         "\xE3\x82\xAD\xE3\x83\xBC\xE8\xA8\xAD\xE5\xAE\x9A"},
        {"\x83\x4C\x81\x5B\x90\xDD\x92\xE8", 932, false, "\\x83L\\x81[\\x90\\xDD\\x92\\xE8"},
        {"caf\xE9", 1252, true, "caf\xC3\xA9"},
        {"KB_Run=space", 932, true, "KB_Run=space"},
        // Control bytes stay escaped, decoded or not.
        {"a\x1B[2Jb\x7F", 932, true, "a\\x1B[2Jb\\x7F"},
        {"\x83\x4C\r", 932, true, "\xE3\x82\xAD\\x0D"},
        // A lead byte without its trail, or a byte the code page leaves undefined:
        // only those bytes are escaped, the rest still reads.
        {"\x83\x4C\x83", 932, true, "\xE3\x82\xAD\\x83"},
        {"\x83\x4C\x81 \x83\x4C", 932, true, "\xE3\x82\xAD\\x81 \xE3\x82\xAD"},
        {"\x81", 1252, true, "\\x81"},
        {"caf\xE9\x81!", 1252, true, "caf\xC3\xA9\\x81!"},
        {"\x83\x4C", 437, true, "\\x83L"},  // no code page kiobind knows
        {"", 932, true, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShowFileText(c.bytes, c.codePage, c.decode), c.shown)
            << testing::PrintToString(std::string(c.bytes)) << " in " << c.codePage;
    }
}

}  // namespace
}  // namespace kio::kiobind
