// Table tests of the pieces the commands are made of.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "action_order.h"
#include "arguments.h"
#include "line_numbers.h"
#include "nearest_name.h"
#include "terminal.h"
#include "vocabulary.h"

namespace kio::kiobind {
namespace {

TEST(LineNumbers, CountBreaksAsAnEditorDoes) {
    struct Case {
        std::string_view bytes;
        size_t offset;
        int line;
    };
    const Case cases[] = {
        {"a", 0, 1},          {"a\nb", 2, 2},     {"a\r\nb", 3, 2},  // CR LF is one break
        {"a\rb", 2, 2},                                              // a lone CR is one
        {"a\n\rb", 3, 3},                                            // LF CR is two
        {"a\r\n\r\nb", 5, 3}, {"a\r\r\nb", 4, 3}, {"a\n", 2, 2},     // past the last break
        {"\x82\nb", 2, 2},  // an editor breaks here even where the game does not
        {"a\r", 2, 2},        {"\r\n\n", 3, 3},   {"\n\r\r\n", 4, 4},  // CR and LF found apart
    };
    for (const Case& c : cases) {
        const analysis::LineNumbers numbers(c.bytes);
        EXPECT_EQ(numbers.LineOf(c.offset), c.line) << testing::PrintToString(std::string(c.bytes));
    }
}

TEST(NearestName, SuggestsOnlyPlausibleTypos) {
    const std::array<std::string_view, 4> names = {"KB_Run", "PAD_Run", "KB_Item", "space"};
    const auto self = [](std::string_view name) { return name; };
    struct Case {
        std::string_view text;
        std::optional<std::string_view> expected;
    };
    const Case cases[] = {
        {"kb_runn", "KB_Run"},
        {"KB_Rn", "KB_Run"},
        {"PAD-Run", "PAD_Run"},
        {"spce", "space"},
        {"KB_Itme", "KB_Item"},  // a swap costs two edits, within a third
                                 // of 7
        {"Jump", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(analysis::NearestName(c.text, names, self), c.expected) << c.text;
    }
    EXPECT_EQ(analysis::EditDistance("KB_RUN", "kb_run"), 0u);
    EXPECT_EQ(analysis::EditDistance("kitten", "sitting"), 3u);
    EXPECT_TRUE(analysis::EqualsIgnoringCase("KB_RUN", "kb_run"));
    EXPECT_FALSE(analysis::EqualsIgnoringCase("KB_RUN", "kb_ru"));
    EXPECT_FALSE(analysis::EqualsIgnoringCase("KB_RUN", "kb_rum"));
}

// Skipping names by length alone must not change a single suggestion.
TEST(NearestName, SkipsOnlyNamesThatCannotWin) {
    const auto self = [](std::string_view name) { return name; };
    std::vector<std::string_view> names;
    names.reserve(kio::binding::kKeyNames.size());
    for (const kio::binding::KeyName& key : kio::binding::kKeyNames) names.push_back(key.name);
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string text(names[random() % names.size()]);
        for (int edit = static_cast<int>(random() % 6); edit > 0; --edit) {
            const size_t at = random() % (text.size() + 1);
            const char letter = static_cast<char>('a' + random() % 26);
            random() % 2 ? text.insert(at, 1, letter) : text.erase(at < text.size() ? at : 0, 1);
        }
        const size_t limit = std::clamp<size_t>(text.size() / 3, 1, 4);
        std::optional<std::string_view> expected;
        size_t best = limit + 1;
        for (std::string_view name : names) {
            if (const size_t distance = analysis::EditDistance(text, name); distance < best) {
                expected = name;
                best = distance;
            }
        }
        ASSERT_EQ(analysis::NearestName(text, names, self), expected) << text;
    }
}

TEST(Arguments, ParseCommandsFilesAndOptions) {
    struct Case {
        std::vector<std::string> words;
        Command command;
        std::string file;
        bool help;
        bool error;
    };
    const Case cases[] = {
        {{}, Command::Overview, "input.ini", true, false},
        {{"check"}, Command::Check, "input.ini", false, false},
        {{"check", "my.ini"}, Command::Check, "my.ini", false, false},
        {{"check", "--help"}, Command::Check, "input.ini", true, false},
        {{"help", "show"}, Command::Show, "input.ini", true, false},
        {{"show", "--order", "list.txt", "a.ini"}, Command::Show, "a.ini", false, false},
        {{"show", "--order=list.txt"}, Command::Show, "input.ini", false, false},
        {{"show", "--order"}, Command::Show, "input.ini", false, true},
        {{"check", "--order", "x"}, Command::Check, "input.ini", false, true},
        {{"check", "a.ini", "b.ini"}, Command::Check, "b.ini", false, true},
        {{"check", "--code-page", "x932"}, Command::Check, "input.ini", false, true},
        {{"keys", "file"}, Command::Keys, "input.ini", false, true},
        {{"frobnicate"}, Command::Overview, "input.ini", false, true},
        {{"--version", "show"}, Command::Overview, "input.ini", false, true},
        {{"check", "--version"}, Command::Check, "input.ini", false, true},
        {{"set", "KB_Run", "space", "a.ini"}, Command::Set, "a.ini", false, false},
        {{"set", "KB_Run"}, Command::Set, "input.ini", false, true},
        {{"set", "KB_Run", "space", "a.ini", "b.ini"}, Command::Set, "b.ini", false, true},
        {{"unset", "KB_Run"}, Command::Unset, "input.ini", false, false},
        {{"unset"}, Command::Unset, "input.ini", false, true},
        {{"fix", "--dry-run", "a.ini"}, Command::Fix, "a.ini", false, false},
        {{"check", "--dry-run"}, Command::Check, "input.ini", false, true},
        {{"check", "--format", "xml"}, Command::Check, "input.ini", false, true},
        {{"show", "--format=text", "a.ini"}, Command::Show, "a.ini", false, false},
        {{"keys", "--format", "json"}, Command::Keys, "input.ini", false, true},
    };
    for (const Case& c : cases) {
        const Arguments arguments = ParseArguments(c.words);
        EXPECT_EQ(arguments.command, c.command) << testing::PrintToString(c.words);
        EXPECT_EQ(arguments.file, c.file) << testing::PrintToString(c.words);
        EXPECT_EQ(arguments.help, c.help) << testing::PrintToString(c.words);
        EXPECT_EQ(arguments.Wrong(), c.error) << testing::PrintToString(c.words);
    }
    EXPECT_EQ(ParseArguments({"show", "--order=l.txt"}).orderFile, "l.txt");
    EXPECT_EQ(ParseArguments({"check", "--code-page=932"}).codePage, 932u);
    const Arguments set = ParseArguments({"set", "--code-page", "932", "pad_run", "0x2"});
    EXPECT_EQ(set.binding + "=" + set.value, "pad_run=0x2");
    EXPECT_EQ(set.codePage, 932u);
    EXPECT_TRUE(ParseArguments({"fix", "--dry-run"}).dryRun);
    EXPECT_TRUE(ParseArguments({"show", "--format", "json"}).json);
    EXPECT_FALSE(ParseArguments({"check", "--format=text"}).json);
}

TEST(ActionList, TakesExactlyTwentySevenNames) {
    std::string text;
    for (int j = 0; j < 27; ++j) text += "Name" + std::to_string(j) + (j % 2 ? ",\r\n" : " ");
    size_t names = 0;
    const std::optional<ActionList> list = ParseActionList(text, names);
    ASSERT_TRUE(list) << names;
    EXPECT_EQ((*list)[0], "Name0");
    EXPECT_EQ((*list)[26], "Name26");
    EXPECT_FALSE(ParseActionList(text + " Extra", names));
    EXPECT_EQ(names, 28u);
}

TEST(Colour, OnlyOnATerminalWithoutNoColor) {
    EXPECT_TRUE(WantColour(true, nullptr));
    EXPECT_FALSE(WantColour(true, ""));
    EXPECT_FALSE(WantColour(true, "1"));
    EXPECT_FALSE(WantColour(false, nullptr));
    EXPECT_EQ(Style{false}(Paint::Warning, "warning:"), "warning:");
    EXPECT_NE(Style{true}(Paint::Warning, "warning:"), "warning:");
}

}  // namespace
}  // namespace kio::kiobind
