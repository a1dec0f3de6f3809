// Every message of the catalogue speaks every language, with the same
// placeholders in each.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "message_catalogue.h"

namespace kio::messages {
namespace {

std::set<std::string> Placeholders(std::string_view text) {
    std::set<std::string> names;
    for (size_t open = text.find('{'); open != std::string_view::npos;
         open = text.find('{', open + 1)) {
        const size_t close = text.find('}', open);
        if (close == std::string_view::npos) {
            names.insert("<unclosed>");
            break;
        }
        names.insert(std::string(text.substr(open + 1, close - open - 1)));
    }
    return names;
}

TEST(Catalogue, EveryMessageInEveryLanguageWithTheSamePlaceholders) {
    ASSERT_FALSE(MessageCatalogue().empty());
    for (const CatalogueEntry& entry : MessageCatalogue()) {
        EXPECT_FALSE(entry.english.empty()) << entry.key << " lacks English";
        EXPECT_FALSE(entry.japanese.empty()) << entry.key << " lacks Japanese";
        EXPECT_EQ(Placeholders(entry.english), Placeholders(entry.japanese)) << entry.key;
    }
}

TEST(Catalogue, RendersArgumentsByName) {
    const Message message{"K401", {Plain("line", "7"), Plain("binding", "KB_Run")}};
    EXPECT_EQ(Render(message),
              "KB_Run is set again by line 7, which wins; this line has no effect");
    EXPECT_EQ(Render(message, Language::Japanese).rfind("KB_Run は 7 行目", 0), 0u);
    EXPECT_EQ(message.Id(), "K401");
    EXPECT_EQ((Message{"K204.near", {}}.Id()), "K204");
    // File text is escaped and quoted; a brace in it is not a placeholder.
    EXPECT_EQ(Render(Message{"K204", {Quoted("key", "{key}\xE9")}}).substr(0, 11), "'{key}\\xE9'");
    // A long one is cut, and its length said in the message's language.
    const Message longKey{"K204", {Quoted("key", std::string(100, 'k'))}};
    EXPECT_EQ(Render(longKey).rfind("'" + std::string(64, 'k') + "...' (100 bytes) names", 0), 0u);
    // Japanese quotes in its own marks: 「kkk…」（全 100 バイト）.
    EXPECT_EQ(Render(longKey, Language::Japanese)
                  .rfind("「" + std::string(64, 'k') + "…」（全 100 バイト）という", 0),
              0u);
}

// Numbers travel as numbers and take their form when rendered, the same in
// every language and in a script's arguments.
TEST(Catalogue, FormatsTypedArguments) {
    const struct {
        MessageArgument argument;
        std::string_view text;
    } cases[] = {
        {Number("line", 18446744073709551615ull), "18446744073709551615"},
        {HexNumber("line", 0x39), "0x39"},
        {HexNumber("line", 0xFFFFFFFF), "0xFFFFFFFF"},
        {ByteNumber("line", 0x0A), "0x0A"},
        {CodePoint("line", 0xE9), "U+00E9"},
        {CodePoint("line", 0x1F600), "U+1F600"},
        {Plain("line", "a\x82\n"), "a\\x82\\x0A"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ArgumentText(c.argument), c.text);
        for (const Language language : {Language::English, Language::Japanese}) {
            const std::string words =
                Render(Message{"K401", {c.argument, Plain("binding", "KB_Run")}}, language);
            EXPECT_NE(words.find(c.text), std::string::npos) << words;
        }
    }
}

}  // namespace
}  // namespace kio::messages
