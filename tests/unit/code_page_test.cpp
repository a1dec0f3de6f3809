#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "binding_file.h"
#include "binding_lines.h"
#include "line_parser.h"
#include "vocabulary.h"

namespace kio::binding {
namespace {

const CodePage& Page(uint32_t id) {
    const CodePage* page = FindBuiltInCodePage(id);
    EXPECT_NE(page, nullptr) << id;
    return page ? *page : DefaultCodePage();
}

std::vector<std::string> Lines(std::string_view text, const CodePage& page) {
    std::vector<std::string> lines;
    for (std::string_view line : SplitBindingLines(text, page)) lines.emplace_back(line);
    return lines;
}

TEST(CodePages, BuiltInLeadBytes) {
    struct Case {
        uint32_t id;
        uint8_t byte;
        bool lead;
    };
    const std::vector<Case> cases = {
        {932, 0x80, false}, {932, 0x81, true},   {932, 0x9F, true},   {932, 0xA0, false},
        {932, 0xDF, false}, {932, 0xE0, true},   {932, 0xFC, true},   {932, 0xFD, false},
        {936, 0x81, true},  {936, 0xFE, true},   {936, 0xFF, false},  {949, 0x80, false},
        {950, 0xA4, true},  {1252, 0x81, false}, {1252, 0xE0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Page(c.id).IsLeadByte(c.byte), c.lead) << c.id << " " << int(c.byte);
    }
    EXPECT_EQ(FindBuiltInCodePage(65001), nullptr);
    EXPECT_EQ(DefaultCodePage().id, 1252u);
}

// Under a double-byte code page the trail byte of a character is never a
// separator, a line break, an "=" or white space.
TEST(CodePages, DoubleByteCharactersAreSteppedOverWhole) {
    const CodePage& japanese = Page(932);
    const CodePage& western = Page(1252);

    struct PathCase {
        std::string executable;
        std::string underJapanese;
        std::string underWestern;
    };
    const std::vector<PathCase> paths = {
        // 0x95 0x5C is one character whose second byte is the code of "\".
        {"C:\\Games\\\x95\x5C\\g.exe", "C:\\Games\\\x95\x5C\\input.ini",
         "C:\\Games\\\x95\x5C\\input.ini"},
        {"C:\\Games\\\x95\x5Cg.exe", "C:\\Games\\input.ini", "C:\\Games\\\x95\\input.ini"},
        {"C:\\Games\\g\x95", "C:\\Games\\input.ini", "C:\\Games\\input.ini"},
    };
    for (const PathCase& c : paths) {
        PathBuffer path;
        ASSERT_EQ(BuildBindingFilePath(c.executable, japanese, path), kOk);
        EXPECT_EQ(path.View(), c.underJapanese);
        ASSERT_EQ(BuildBindingFilePath(c.executable, western, path), kOk);
        EXPECT_EQ(path.View(), c.underWestern);
    }

    struct LinesCase {
        std::string text;
        std::vector<std::string> underJapanese;
        std::vector<std::string> underWestern;
    };
    const std::vector<LinesCase> texts = {
        {"KB_Run=\x81\nKB_Item=i", {"KB_Run=\x81\nKB_Item=i"}, {"KB_Run=\x81", "KB_Item=i"}},
        {"a\x81\r\nb", {"a\x81\r", "b"}, {"a\x81", "b"}},
        {"a\n\x81", {"a", "\x81"}, {"a", "\x81"}},  // a lead byte at the end stands alone
    };
    for (const LinesCase& c : texts) {
        EXPECT_EQ(Lines(c.text, japanese), c.underJapanese);
        EXPECT_EQ(Lines(c.text, western), c.underWestern);
    }

    struct SplitCase {
        std::string line;
        const CodePage* page;
        std::string key;
        std::string value;
    };
    const std::vector<SplitCase> splits = {
        {"A\x81=B=C", &japanese, "A\x81=B", "C"},
        {"A\x81=B=C", &western, "A\x81", "B=C"},
        // The ideographic space 0x81 0x40 is no white space.
        {"KB_Run=\x81\x40space\x81\x40", &japanese, "KB_Run", "\x81\x40space\x81\x40"},
        {"\x81 KB_Run=space", &japanese, "\x81 KB_Run", "space"},
        {"KB_Run=space\x81 ", &japanese, "KB_Run", "space\x81 "},
        {"KB_Run=space\x81 ", &western, "KB_Run", "space\x81"},
    };
    for (const SplitCase& c : splits) {
        std::string_view key;
        std::string_view value;
        ASSERT_TRUE(SplitBindingLine(c.line, *c.page, key, value)) << c.line;
        EXPECT_EQ(key, c.key) << c.line;
        EXPECT_EQ(value, c.value) << c.line;
    }
    EXPECT_EQ(DecodeValue("\x81\x40space", japanese), 0);
}

TEST(CodePages, LowercasingAndLetterClasses) {
    struct LowerCase {
        uint32_t id;
        std::string text;
        std::string lower;
    };
    const std::vector<LowerCase> lowers = {
        {1252, "KB_Run", "kb_run"},
        {1252, "\xC0\xDE\xD7\x8A\x9F", "\xE0\xFE\xD7\x9A\xFF"},
        {932,
         "\x83\x41"
         "B",
         "\x83\x41"
         "b"},  // the trail byte 0x41 is not a capital A
        {932, "A\x83", "a\x83"},
        {936,
         "\xC0\xC1"
         "C",
         "\xC0\xC1"
         "c"},
    };
    for (const LowerCase& c : lowers) {
        std::string out(c.text.size(), '?');
        ASSERT_TRUE(LowercaseInto(c.text, Page(c.id), out.data(), out.size()));
        EXPECT_EQ(out, c.lower) << c.id;
    }

    struct ClassCase {
        uint32_t id;
        std::string value;
        ValueClass valueClass;
        int32_t decoded;
    };
    const std::vector<ClassCase> classes = {
        {932, "0x1\xB1", ValueClass::Hex, 1},  // half-width katakana is a letter of 932
        {936, "0x1\xB1", ValueClass::Other, 0},      {1252, "0x1\xE9", ValueClass::Hex, 1},
        {1252, "0x1\xD7", ValueClass::Other, 0},  // the multiplication sign is no letter
        {1252, "\xE9t\xE9", ValueClass::Letters, 0},
    };
    for (const ClassCase& c : classes) {
        EXPECT_EQ(ClassifyValue(c.value, Page(c.id)), c.valueClass) << c.id << " " << c.value;
        EXPECT_EQ(DecodeValue(c.value, Page(c.id)), c.decoded) << c.id << " " << c.value;
    }
}

}  // namespace
}  // namespace kio::binding
