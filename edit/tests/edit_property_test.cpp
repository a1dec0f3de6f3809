// Random files and random edits: an edit means to the loader exactly what it
// says, and leaves every other line byte for byte as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "binding_edit.h"
#include "encoding_findings.h"
#include "file_analysis.h"
#include "findings.h"
#include "line_changes.h"
#include "load_bindings.h"
#include "random_binding_file.h"
#include "render.h"
#include "system_utf16.h"
#include "test_files.h"

namespace kio::edit {
namespace {

constexpr int kRounds = 1000;

size_t Pick(std::mt19937& random, size_t count) {
    return std::uniform_int_distribution<size_t>(0, count - 1)(random);
}

// Comment lines of whole double-byte characters (Shift-JIS: "あい", "ソ" whose
// second byte is a backslash, "表"), put after line breaks of the file.
std::string WithDoubleByteComments(std::string file, std::mt19937& random) {
    static constexpr std::array<std::string_view, 3> kComments = {
        "; \x82\xA0\x82\xA2\r\n", "# \x83\x5C\x83\x5C\n", "; \x95\x5C KB_Run=space\r\n"};
    for (size_t n = Pick(random, 4); n > 0; --n) {
        const size_t at = file.find_first_of("\r\n", Pick(random, file.size() + 1));
        const size_t position = at == std::string::npos ? file.size() : at + 1;
        // Never between the CR and the LF of one break.
        const bool insideCrLf = position > 0 && position < file.size() &&
                                file[position - 1] == '\r' && file[position] == '\n';
        file.insert(insideCrLf ? position + 1 : position, kComments[Pick(random, 3)]);
    }
    return file;
}

// What the loader stores into a caller's array filled with distinct defaults.
std::array<int32_t, kio::binding::kBindingCount> Load(const std::string& bytes,
                                                      const kio::binding::CodePage& codePage) {
    kio::binding::test::FakeFiles fake;
    fake.files[kio::binding::test::kDefaultBindingFilePath] = bytes;
    const kio::binding::test::FakeFileSystem fileSystem(fake);
    std::array<int32_t, kio::binding::kBindingCount> values{};
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<int32_t>(0x5EED0000 + i);
    }
    EXPECT_EQ(
        kio::binding::LoadBindings(values.data(), kio::binding::kBindingCount,
                                   kio::binding::test::kTableOrder, fileSystem.Get(), codePage),
        kio::binding::kOk);
    return values;
}

struct RandomValue {
    std::string text;  // as given to set
    int32_t code;      // what the game must receive
};

RandomValue PickValue(std::mt19937& random) {
    if (Pick(random, 3) == 0) {
        const uint32_t number = static_cast<uint32_t>(random());
        char text[16];
        std::snprintf(text, sizeof text, Pick(random, 2) ? "0x%X" : "0x%x", number);
        return {text, static_cast<int32_t>(number)};
    }
    // As DirectInput spells it; a name the table holds twice ("-", "/") means
    // the code the loader finds for it.
    const std::string name(
        kio::binding::kKeyNames[Pick(random, kio::binding::kKeyNames.size())].name);
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return {name, *kio::binding::FindKeyCode(lower)};
}

// Where the game cannot be told the edit as written, set and unset refuse.
bool MayRefuse(const std::string& file, const kio::binding::CodePage& codePage) {
    if (file.find('\0') != std::string::npos || kio::analysis::DetectUtf16(file)) {
        return true;
    }
    for (size_t i = 0; i + 1 < file.size(); ++i) {
        if (codePage.IsLeadByte(static_cast<uint8_t>(file[i])) &&
            (file[i + 1] == '\r' || file[i + 1] == '\n')) {
            return true;
        }
        i += codePage.CharacterLength(file, i) - 1;
    }
    return false;
}

// The lines of `after`, without the added ones, are those of `before`; each
// changed line is as the outcome says, and the others are byte-identical.
void ExpectOnlyListedLinesChanged(const std::string& before, const EditOutcome& outcome) {
    std::vector<std::string_view> old = EditorLines(before);
    std::vector<std::string_view> now = EditorLines(outcome.bytes);
    if (std::none_of(outcome.changes.begin(), outcome.changes.end(),
                     [](const LineChange& change) { return change.added; })) {
        // A last line emptied of all its bytes counts as an empty line.
        old.resize(std::max(old.size(), now.size()));
        now.resize(old.size());
    }
    for (auto change = outcome.changes.rbegin(); change != outcome.changes.rend(); ++change) {
        ASSERT_LE(static_cast<size_t>(change->line), now.size());
        EXPECT_EQ(now[change->line - 1], change->after);
        if (change->added) {
            now.erase(now.begin() + (change->line - 1));
            continue;
        }
        // Lines added above this one are not in `before`.
        const auto addedAbove = std::count_if(
            outcome.changes.begin(), outcome.changes.end(),
            [&](const LineChange& other) { return other.added && other.line < change->line; });
        const size_t was = static_cast<size_t>(change->line - 1 - addedAbove);
        ASSERT_LT(was, old.size());
        EXPECT_EQ(old[was], change->before);
        now[change->line - 1] = old[was];
    }
    EXPECT_EQ(now, old);
}

TEST(EditProperty, SetUnsetAndFixMeanWhatTheySay) {
    std::mt19937 random(20261208);
    int sets = 0;
    for (int round = 0; round < kRounds; ++round) {
        const kio::binding::CodePage& codePage =
            *kio::binding::FindBuiltInCodePage(Pick(random, 2) ? 932 : 1252);
        const std::string file =
            WithDoubleByteComments(kio::binding::test::RandomBindingFile(random), random);
        SCOPED_TRACE(testing::PrintToString(file) + " code page " + std::to_string(codePage.id));
        const std::array<int32_t, kio::binding::kBindingCount> before = Load(file, codePage);
        const int entry = static_cast<int>(Pick(random, kio::binding::kBindingCount));
        const RandomValue value = PickValue(random);

        const EditOutcome set =
            SetBinding(file, kio::binding::BindingName(entry), value.text, codePage);
        const bool decimal =
            entry % 2 == 1 && value.text.find_first_not_of("0123456789") == std::string::npos;
        if (decimal) {
            // A pad value "5" is a number in decimal, which the game would take as the key 5.
            EXPECT_EQ(set.status, EditStatus::Refused);
            EXPECT_EQ(set.refusal.key, "E102.hex") << kio::messages::Render(set.refusal);
        } else if (set.status == EditStatus::Ok) {
            ++sets;
            std::array<int32_t, kio::binding::kBindingCount> expected = before;
            expected[entry] = value.code;
            EXPECT_EQ(Load(set.bytes, codePage), expected)
                << kio::binding::BindingName(entry) << "=" << value.text << " gave "
                << testing::PrintToString(set.bytes);
            // One line set; the others only turned off, where a repair would bring them back.
            EXPECT_LE(std::count_if(
                          set.changes.begin(), set.changes.end(),
                          [](const LineChange& c) { return c.description.key != "change.off"; }),
                      1);
            ExpectOnlyListedLinesChanged(file, set);
        } else {
            EXPECT_TRUE(MayRefuse(file, codePage)) << kio::messages::Render(set.refusal);
        }

        const EditOutcome unset = UnsetBinding(file, kio::binding::BindingName(entry), codePage);
        if (unset.status == EditStatus::Ok) {
            std::array<int32_t, kio::binding::kBindingCount> expected = before;
            expected[entry] = static_cast<int32_t>(0x5EED0000 + entry);  // the caller's default
            EXPECT_EQ(Load(unset.bytes, codePage), expected);
            ExpectOnlyListedLinesChanged(file, unset);
        } else {
            EXPECT_TRUE(MayRefuse(file, codePage)) << kio::messages::Render(unset.refusal);
        }

        const FixOutcome fixed = FixFile(file, codePage, nullptr);
        ASSERT_EQ(fixed.edit.status, EditStatus::Ok) << kio::messages::Render(fixed.edit.refusal);
        ExpectOnlyListedLinesChanged(file, fixed.edit);
        const std::vector<kio::analysis::Finding> after = kio::analysis::CollectFindings(
            kio::analysis::AnalyseFile(fixed.edit.bytes, codePage), codePage);
        for (const kio::analysis::Finding& finding : after) {
            EXPECT_FALSE(finding.fix)
                << "line " << finding.line << ": " << kio::messages::Render(finding.message);
        }
        EXPECT_EQ(after.size(), fixed.remaining.size());
    }
    // The refusals stay the exception.
    EXPECT_GT(sets, kRounds * 3 / 4);
}

// A UTF-16 file is fixed as its ANSI text would be; a character the code page
// lacks stops the fix and is named with its line.
TEST(EditProperty, Utf16IsFixedAsItsAnsiText) {
    std::mt19937 random(16);
    const kio::binding::CodePage& codePage = kio::binding::DefaultCodePage();
    for (int round = 0; round < 200; ++round) {
        std::string ansi = kio::binding::test::RandomBindingFile(random);
        ansi.erase(std::remove_if(ansi.begin(), ansi.end(),
                                  [](char c) { return c == '\0' || (c & 0x80) != 0; }),
                   ansi.end());
        const bool little = Pick(random, 2) == 0;
        std::string utf16 = little ? "\xFF\xFE" : "\xFE\xFF";
        for (char c : ansi) {
            utf16 += little ? std::string{c, '\0'} : std::string{'\0', c};
        }
        const FixOutcome fromUtf16 = FixFile(utf16, codePage, SystemUtf16ToCodePage);
        ASSERT_EQ(fromUtf16.edit.status, EditStatus::Ok)
            << kio::messages::Render(fromUtf16.edit.refusal);
        EXPECT_EQ(fromUtf16.edit.bytes, FixFile(ansi, codePage, nullptr).edit.bytes);
        EXPECT_EQ(fromUtf16.converted, ansi);
    }
    const std::string cjk(
        "\xFF\xFE"
        "K\0=\0\r\0\n\0;\0 \0\x00\x4E",
        16);
    const FixOutcome refused = FixFile(cjk, codePage, SystemUtf16ToCodePage);
    EXPECT_EQ(refused.edit.status, EditStatus::Refused);
    EXPECT_NE(kio::messages::Render(refused.edit.refusal).find("'\xE4\xB8\x80' (U+4E00) on line 2"),
              std::string::npos)
        << kio::messages::Render(refused.edit.refusal);
    // In Japanese the character sits in 「」 and its code point in full-width brackets.
    const std::string japanese =
        kio::messages::Render(refused.edit.refusal, kio::messages::Language::Japanese);
    EXPECT_NE(japanese.find("\xE3\x80\x8C\xE4\xB8\x80\xE3\x80\x8D\xEF\xBC\x88U+4E00\xEF\xBC\x89"),
              std::string::npos)
        << japanese;
    EXPECT_EQ(
        FixFile(cjk, *kio::binding::FindBuiltInCodePage(932), SystemUtf16ToCodePage).edit.bytes,
        "K=\r\n; \x88\xEA");
    EXPECT_EQ(FixFile(cjk, codePage, nullptr).edit.status, EditStatus::Refused);
}

// A UTF-16 refusal names the line an editor shows, whatever mix of breaks
// comes first, in either byte order; a unit holding a CR or LF byte (U+4E0A,
// U+4E0D) breaks no line.
TEST(EditProperty, Utf16RefusalNamesTheEditorsLine) {
    struct Case {
        std::u16string text;
        uint32_t codePage;
        int line;
    };
    const Case cases[] = {
        {u"a\rb\nc\r\nd=\u4E00", 1252, 4},
        {u"\n\r\u4E00", 1252, 3},
        {u"\r\n\r\n\u4E00\n", 1252, 3},
        {u"a\r\u4E00\r\n", 1252, 2},
        {u"\u4E0A\u4E0D\n\u00E9", 932, 2},
        // Characters that would turn or break the words around them are named
        // by code point alone.
        {u"a\n\u202E", 1252, 2},
        {u"\u2028", 1252, 1},
        {u"\u200F", 1252, 1},
    };
    for (const Case& c : cases) {
        for (const bool little : {true, false}) {
            std::string utf16 = little ? "\xFF\xFE" : "\xFE\xFF";
            for (const char16_t unit : c.text) {
                const auto low = static_cast<char>(unit & 0xFF);
                const auto high = static_cast<char>(unit >> 8);
                utf16 += little ? std::string{low, high} : std::string{high, low};
            }
            const FixOutcome refused = FixFile(
                utf16, *kio::binding::FindBuiltInCodePage(c.codePage), SystemUtf16ToCodePage);
            const std::string text = kio::messages::Render(refused.edit.refusal);
            EXPECT_NE(text.find(" on line " + std::to_string(c.line) + " has"), std::string::npos)
                << text;
            EXPECT_EQ(text.find("\xE2\x80"), std::string::npos) << text;
        }
    }
}

}  // namespace
}  // namespace kio::edit
