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

namespace kiobind {
namespace {

constexpr int kRandomFiles = 300;

struct Run {
    int status = 0;
    std::string out;
};

Run RunOn(const std::string& bytes, const std::vector<std::string>& words,
          const kio::CodePage& codePage) {
    kio::test::FakeFiles files;
    files.files[kio::test::kDefaultBindingFilePath] = bytes;
    const kio::test::FakeFileSystem fileSystem(files);
    std::vector<std::string> all = words;
    all.push_back(kio::test::kDefaultBindingFilePath);
    const Arguments arguments = ParseArguments(all);
    const Context context{fileSystem.Get(), codePage, Style{}, kioedit::SystemSaveSystem()};
    Output output;
    const int status = arguments.command == Command::Check ? RunCheck(arguments, context, output)
                                                           : RunShow(arguments, context, output);
    return {status, output.out};
}

void ExpectAgreement(const std::string& bytes, const kio::CodePage& codePage) {
    const Run text = RunOn(bytes, {"check"}, codePage);
    const Run json = RunOn(bytes, {"check", "--format", "json"}, codePage);
    EXPECT_EQ(json.status, text.status);
    const nlohmann::json check = nlohmann::json::parse(json.out);  // throws when invalid
    EXPECT_EQ(check["version"], 1);
    EXPECT_EQ(check["codePage"], codePage.id);
    std::string lines;
    for (const nlohmann::json& finding : check["findings"]) {
        lines += kio::test::kDefaultBindingFilePath + ":" + std::to_string(int(finding["line"])) +
                 ": " + std::string(finding["severity"]) + ": " + std::string(finding["text"]) +
                 "\n";
        EXPECT_EQ(std::string(finding["key"]).rfind(std::string(finding["id"]), 0), 0u);
    }
    EXPECT_EQ(text.out.substr(0, lines.size()), lines);
    // The summary line follows the findings, and nothing else.
    EXPECT_EQ(std::count(text.out.begin() + static_cast<long>(lines.size()), text.out.end(), '\n'),
              1);

    // show --raw gives the 54 values in slot order, "default" where no line sets one.
    const nlohmann::json show = nlohmann::json::parse(RunOn(bytes, {"show", "--format", "json"},
                                                            codePage).out);
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
    ExpectAgreement(bytes, kio::DefaultCodePage());
}

TEST(JsonAgreement, RandomFiles) {
    for (const uint32_t codePageId : {1252u, 932u}) {
        std::mt19937 random(codePageId + 19);
        for (int round = 0; round < kRandomFiles; ++round) {
            SCOPED_TRACE(round);
            ExpectAgreement(test::RandomBindingFile(random), *kio::FindBuiltInCodePage(codePageId));
            if (HasFailure()) {
                return;
            }
        }
    }
}

}  // namespace
}  // namespace kiobind
