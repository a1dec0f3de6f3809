#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "line_parser.h"

namespace kio::binding {
namespace {

const CodePage& Western() { return DefaultCodePage(); }

TEST(LineGrammar, SplitsAtTheFirstEqualsSign) {
    struct Case {
        std::string line;
        bool hasEquals;
        std::string key;
        std::string value;
    };
    const std::vector<Case> cases = {
        {"KB_Run=space", true, "KB_Run", "space"},
        {"  KB_Run  =  space  ", true, "KB_Run", "space"},
        {"\tKB_Run\t=\tspace\t", true, "KB_Run", "space"},
        {"\v\fKB_Run=space\v\f", true, "KB_Run", "space"},
        {"KB_Run = 0x1D;", true, "KB_Run", "0x1D"},
        {"KB_Run==", true, "KB_Run", "="},
        {"KB_Run=a=b", true, "KB_Run", "a=b"},
        {"KB_Run=;;", true, "KB_Run", ";"},
        {"KB_Run=;", true, "KB_Run", ""},
        {"KB_Run=", true, "KB_Run", ""},
        {"KB_Run=space ;", true, "KB_Run", "space "},
        {"KB_Run=space; ", true, "KB_Run", "space"},
        {"KB_Run=space ; run key", true, "KB_Run", "space ; run key"},
        {"=space", true, "", "space"},
        {"=", true, "", ""},
        {"   =   ", true, "", ""},
        {"KB_Run space", false, "", ""},
        {"[Pad]", false, "", ""},
        {"", false, "", ""},
        {" \t ", false, "", ""},
        {"; KB_Run=space", true, "; KB_Run", "space"},
        {"KB_Run=\xA0space\xA0", true, "KB_Run", "\xA0space\xA0"},  // no-break space stays
    };
    for (const Case& c : cases) {
        std::string_view key;
        std::string_view value;
        EXPECT_EQ(SplitBindingLine(c.line, Western(), key, value), c.hasEquals) << c.line;
        EXPECT_EQ(key, c.key) << c.line;
        EXPECT_EQ(value, c.value) << c.line;
    }
}

TEST(ValueDecoding, HexOrKeyName) {
    struct Case {
        std::string value;
        ValueClass valueClass;
        int32_t decoded;
    };
    const std::vector<Case> cases = {
        {"0x1d", ValueClass::Hex, 0x1D},
        {"0X1D", ValueClass::Hex, 0x1D},
        {"0x1G", ValueClass::Hex, 1},
        {"0xZZ", ValueClass::Hex, 0},
        {"0x", ValueClass::Other, 0},
        {"0x1-2", ValueClass::Other, 0},
        {"0x123456789", ValueClass::Hex, 0x23456789},
        {"0x00000000000000001d", ValueClass::Hex, 0x1D},
        {"0xFFFFFFFF", ValueClass::Hex, -1},
        {"0x80000000", ValueClass::Hex, INT32_MIN},
        {"0x10 ", ValueClass::Other, 0},
        {"x0x10", ValueClass::Other, 0},
        {"1x10", ValueClass::Other, 0},
        {"0x\xE9"
         "1",
         ValueClass::Hex, 0},  // 0xE9 is a letter of 1252, but no hex digit
        {"5", ValueClass::Digits, 0x06},
        {"0", ValueClass::Digits, 0x0B},
        {"10", ValueClass::Digits, 0},
        {"", ValueClass::Digits, 0},
        {"space", ValueClass::Letters, 0x39},
        {"Space", ValueClass::Letters, 0},
        {"SPACE", ValueClass::Letters, 0},
        {"nosuchkey", ValueClass::Letters, 0},
        {"numpad7", ValueClass::Other, 0x47},
        {"oem_102", ValueClass::Other, 0x56},
        {"=", ValueClass::Other, 0x0D},
        {";", ValueClass::Other, 0x27},
        {"-", ValueClass::Other, 0x4A},
        {"/", ValueClass::Other, 0xB5},
        {"space ", ValueClass::Other, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyValue(c.value, Western()), c.valueClass) << c.value;
        EXPECT_EQ(DecodeValue(c.value, Western()), c.decoded) << c.value;
    }
}

TEST(ValueDecoding, HexReadingCountsDigitsAndWraps) {
    EXPECT_EQ(ReadHexValue("0x123456789").digitCount, 9u);
    EXPECT_EQ(ReadHexValue("0x123456789").value, 0x23456789u);
    EXPECT_EQ(ReadHexValue("0xZZ").digitCount, 0u);
    EXPECT_EQ(ReadHexValue("0x1G2").digitCount, 1u);
}

}  // namespace
}  // namespace kio::binding
