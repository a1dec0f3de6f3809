// check and show --format json say what their text output says: on the trap
// file and on random files, finding by finding and value by value.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include <nlohmann/json.hpp>

#include "commands.h"
#include "random_binding_file.h"
#include "safe_save.h"
#include "test_files.h"

namespace kio::kiobind {
namespace {

constexpr int kRandomFiles = 300;

struct Run {
    int status = 0;
    std::string out;
};

Run RunOn(const std::string& bytes, const std::vector<std::string>& words,
          const kio::binding::CodePage& codePage,
          messages::Language language = messages::Language::English) {
    kio::binding::test::FakeFiles files;
    files.files[kio::binding::test::kDefaultBindingFilePath] = bytes;
    const kio::binding::test::FakeFileSystem fileSystem(files);
    std::vector<std::string> all = words;
    all.push_back(kio::binding::test::kDefaultBindingFilePath);
    const Arguments arguments = ParseArguments(all);
    const Context context{fileSystem.Get(), codePage, Style{}, kio::edit::SystemSaveSystem(),
                          language};
    Output output;
    const int status = arguments.command == Command::Check ? RunCheck(arguments, context, output)
                                                           : RunShow(arguments, context, output);
    return {status, output.out};
}

void ExpectAgreement(const std::string& bytes, const kio::binding::CodePage& codePage,
                     messages::Language language = messages::Language::English) {
    const Run text = RunOn(bytes, {"check"}, codePage, language);
    const Run json = RunOn(bytes, {"check", "--format", "json"}, codePage, language);
    EXPECT_EQ(json.status, text.status);
    const nlohmann::json check = nlohmann::json::parse(json.out);  // throws when invalid
    EXPECT_EQ(check["version"], 1);
    EXPECT_EQ(check["codePage"], codePage.id);
    // Line by line, the text output says what each finding's JSON says; the
    // severity is in the reader's language there.
    std::istringstream printed(text.out);
    std::string line;
    for (const nlohmann::json& finding : check["findings"]) {
        ASSERT_TRUE(std::getline(printed, line));
        const std::string place = kio::binding::test::kDefaultBindingFilePath + ":" +
                                  std::to_string(int(finding["line"])) + ": ";
        const std::string said = ": " + std::string(finding["text"]);
        EXPECT_EQ(line.substr(0, place.size()), place);
        EXPECT_TRUE(line.size() > said.size() && line.ends_with(said)) << line << "\n" << said;
        if (language == messages::Language::English) {
            EXPECT_EQ(line, place + std::string(finding["severity"]) + said);
        }
        EXPECT_EQ(std::string(finding["key"]).rfind(std::string(finding["id"]), 0), 0u);
    }
    // The summary line follows the findings, and nothing else.
    EXPECT_TRUE(std::getline(printed, line));
    EXPECT_FALSE(std::getline(printed, line)) << line;

    // show --raw gives the 54 values in slot order, "default" where no line sets one.
    const nlohmann::json show =
        nlohmann::json::parse(RunOn(bytes, {"show", "--format", "json"}, codePage).out);
    std::istringstream raw(RunOn(bytes, {"show", "--raw"}, codePage).out);
    std::string word;
    raw >> word;
    EXPECT_EQ(show["result"], word);
    for (const nlohmann::json& action : show["actions"]) {
        for (const char* half : {"keyboard", "pad"}) {
            raw >> word;
            const nlohmann::json& value = action[half]["value"];
            EXPECT_EQ(value.is_null() ? "default" : std::to_string(int(value)), word)
                << action[half]["binding"];
        }
    }
}

TEST(JsonAgreement, TrapFile) {
    std::ifstream trap(KIOBIND_TRAPS, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(trap)), {});
    ASSERT_FALSE(bytes.empty());
    ExpectAgreement(bytes, kio::binding::DefaultCodePage());
}

TEST(JsonAgreement, RandomFiles) {
    for (const uint32_t codePageId : {1252u, 932u}) {
        std::mt19937 random(codePageId + 19);
        for (int round = 0; round < kRandomFiles; ++round) {
            SCOPED_TRACE(round);
            // In Japanese the text shows the file's characters decoded; JSON's text too.
            ExpectAgreement(
                binding::test::RandomBindingFile(random),
                *kio::binding::FindBuiltInCodePage(codePageId),
                round % 2 == 0 ? messages::Language::English : messages::Language::Japanese);
            if (HasFailure()) {
                return;
            }
        }
    }
}

// The shared-key rule, one table for both surfaces: the page runs the same
// cases (web/tests/editor_test.py).
TEST(SharedKeys, CheckTextAndJson) {
    std::ifstream table(KIOBIND_SHARED_KEYS);
    const nlohmann::json cases = nlohmann::json::parse(table);
    ASSERT_GE(cases.size(), 8u);
    for (const nlohmann::json& row : cases) {
        SCOPED_TRACE(std::string(row["what"]));
        const std::string bytes = row["file"];
        const auto text = RunOn(bytes, {"check"}, kio::binding::DefaultCodePage());
        const nlohmann::json json = nlohmann::json::parse(
            RunOn(bytes, {"check", "--format", "json"}, kio::binding::DefaultCodePage()).out);
        nlohmann::json shared = nlohmann::json::array();
        for (const nlohmann::json& finding : json["findings"]) {
            if (std::string(finding["id"]).starts_with("K50")) {
                const nlohmann::json& arguments = finding["arguments"];
                shared.push_back({finding["key"], finding["severity"], finding["line"],
                                  arguments["binding"], arguments["value"], arguments["others"]});
                EXPECT_NE(text.out.find(":" + std::to_string(int(finding["line"])) + ": " +
                                        std::string(finding["severity"]) + ": " +
                                        std::string(finding["text"]) + "\n"),
                          std::string::npos)
                    << text.out;
            }
        }
        EXPECT_EQ(shared, row["shared"]);
    }
}

}  // namespace
}  // namespace kio::kiobind
