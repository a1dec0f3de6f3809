// The language kiobind speaks, from --lang and from the user's system.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include <nlohmann/json.hpp>

#include "arguments.h"
#include "commands.h"
#include "language_choice.h"
#include "random_binding_file.h"
#include "test_files.h"

namespace kio::kiobind {
namespace {

TEST(LanguageChoice, OptionThenWindowsThenFirstLocaleVariable) {
    constexpr auto en = messages::Language::English;
    constexpr auto ja = messages::Language::Japanese;
    const std::optional<uint16_t> posix;
    struct Case {
        std::string_view option;
        std::optional<uint16_t> windowsId;
        std::string_view lcAll, lcMessages, lang;
        std::optional<messages::Language> expected;
    };
    const Case cases[] = {
        {"", posix, "", "", "", en},
        {"", posix, "", "", "ja_JP.UTF-8", ja},
        {"", posix, "", "", "ja", ja},
        {"", posix, "", "", "ja.eucJP", ja},
        {"", posix, "", "", "ja@cjknarrow", ja},
        {"", posix, "", "", "jam_JM", en},  // Jamaican, not Japanese
        {"", posix, "", "", "en_US.UTF-8", en},
        {"", posix, "", "", "C", en},
        {"", posix, "", "ja_JP.UTF-8", "en_US.UTF-8", ja},
        {"", posix, "C", "ja_JP.UTF-8", "", en},  // LC_ALL decides
        {"", posix, "ja_JP.UTF-8", "", "C", ja},
        {"", 0x0411, "", "", "", ja},
        {"", 0x0409, "", "", "ja_JP.UTF-8", en},  // Windows ignores LANG
        {"", 0x0011, "", "", "", ja},             // Japanese, no region
        {"en", posix, "", "", "ja_JP.UTF-8", en},
        {"ja", 0x0409, "", "", "", ja},
        {"de", posix, "", "", "", std::nullopt},
    };
    for (const Case& c : cases) {
        LanguageInputs inputs;
        inputs.option = c.option;
        inputs.windowsLanguageId = c.windowsId;
        inputs.lcAll = c.lcAll;
        inputs.lcMessages = c.lcMessages;
        inputs.lang = c.lang;
        EXPECT_EQ(ChooseLanguage(inputs), c.expected)
            << "option '" << c.option << "' LC_ALL '" << c.lcAll << "' LC_MESSAGES '"
            << c.lcMessages << "' LANG '" << c.lang << "'";
    }
}

TEST(LanguageChoice, JapaneseLocaleReadsCodePage932AndWrongLangFallsToTheSystem) {
    const std::optional<uint16_t> posix;
    const std::optional<uint32_t> process;  // the process's own code page
    struct Case {
        std::optional<uint16_t> windowsId;
        std::string_view lcAll, lcCtype, lang;
        std::optional<uint32_t> codePage;
    };
    const Case cases[] = {
        {posix, "", "", "", process},
        {posix, "", "", "ja_JP.UTF-8", 932},
        {posix, "", "", "ja_JP.eucJP", 932},
        {posix, "", "", "jam_JM", process},
        {posix, "", "ja_JP.UTF-8", "en_US.UTF-8", 932},       // LC_CTYPE before LANG
        {posix, "C", "ja_JP.UTF-8", "ja_JP.UTF-8", process},  // LC_ALL decides
        {posix, "ja", "C", "", 932},
        {0x0411, "", "", "ja_JP.UTF-8", process},  // Windows: GetACP decides
    };
    for (const Case& c : cases) {
        LanguageInputs inputs;
        inputs.windowsLanguageId = c.windowsId;
        inputs.lcAll = c.lcAll;
        inputs.lcCtype = c.lcCtype;
        inputs.lang = c.lang;
        EXPECT_EQ(LocaleCodePage(inputs), c.codePage)
            << "LC_ALL '" << c.lcAll << "' LC_CTYPE '" << c.lcCtype << "' LANG '" << c.lang << "'";
    }
    LanguageInputs japanese;
    japanese.lang = "ja_JP.UTF-8";
    japanese.option = "fr";
    EXPECT_EQ(LanguageOrSystems(japanese), messages::Language::Japanese);
    japanese.option = "en";
    EXPECT_EQ(LanguageOrSystems(japanese), messages::Language::English);
}

TEST(LanguageChoice, LangOptionStandsAnywhere) {
    struct Case {
        std::vector<std::string> words;
        std::string language;
        std::string error;
    };
    const Case cases[] = {
        {{"--lang", "ja", "check"}, "ja", ""},
        {{"check", "--lang=en", "x.ini"}, "en", ""},
        {{"--lang=ja"}, "ja", ""},
        {{"check", "--lang", "fr"}, "fr", "--lang takes en or ja, not 'fr'"},
        {{"check", "--lang"}, "", "--lang needs a value"},
    };
    for (const Case& c : cases) {
        const Arguments arguments = ParseArguments(c.words);
        EXPECT_EQ(arguments.language, c.language) << c.words[0];
        EXPECT_EQ(messages::Render(arguments.error), c.error) << c.words[0];
    }
    EXPECT_EQ(ParseArguments({"check", "--lang=en", "x.ini"}).file, "x.ini");
    EXPECT_TRUE(ParseArguments({"--lang=ja"}).help);
}

// kiobind check --format json on `bytes` in `language`: what a script reads.
nlohmann::json CheckJson(const std::string& bytes, messages::Language language) {
    kio::binding::test::FakeFiles files;
    files.files[kio::binding::test::kDefaultBindingFilePath] = bytes;
    const kio::binding::test::FakeFileSystem fileSystem(files);
    const Arguments arguments =
        ParseArguments({"check", "--format", "json", kio::binding::test::kDefaultBindingFilePath});
    const Context context{fileSystem.Get(), kio::binding::DefaultCodePage(), Style{},
                          kio::edit::SystemSaveSystem(), language};
    Output output;
    RunCheck(arguments, context, output);
    return nlohmann::json::parse(output.out);
}

// What a script relies on, whatever the language: every field but the words.
nlohmann::json WithoutWords(nlohmann::json check) {
    for (nlohmann::json& finding : check["findings"]) {
        finding.erase("text");
    }
    return check;
}

TEST(LanguageChoice, JsonKeepsLinesAndIdentifiersInEveryLanguage) {
    std::ifstream trap(KIOBIND_TRAPS, std::ios::binary);
    std::vector<std::string> files{std::string((std::istreambuf_iterator<char>(trap)), {})};
    ASSERT_FALSE(files[0].empty());
    std::mt19937 random(20);
    for (int i = 0; i < 100; ++i) {
        files.push_back(binding::test::RandomBindingFile(random));
    }
    size_t findings = 0;
    for (const std::string& bytes : files) {
        const nlohmann::json english = CheckJson(bytes, messages::Language::English);
        const nlohmann::json japanese = CheckJson(bytes, messages::Language::Japanese);
        EXPECT_EQ(WithoutWords(japanese), WithoutWords(english));
        for (size_t f = 0; f < english["findings"].size(); ++f, ++findings) {
            EXPECT_NE(japanese["findings"][f]["text"], english["findings"][f]["text"]);
        }
    }
    EXPECT_GT(findings, 100u);
}

}  // namespace
}  // namespace kio::kiobind
