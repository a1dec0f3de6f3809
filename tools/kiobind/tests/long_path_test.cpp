// kiobind takes whatever path the player gives it: paths far longer than the
// game's own 260 bytes are read, or reported with the code GetPAM would give.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "commands.h"
#include "real_files.h"

namespace kio::kiobind {
namespace {

namespace fs = std::filesystem;

TEST(LongPaths, AreReadOrReportedWithTheirCode) {
    const kio::binding::test::TemporaryDirectory root;
    const fs::path deep =
        root.Path() / std::string(200, 'a') / std::string(200, 'b') / std::string(200, 'c');
    fs::create_directories(deep);
    const std::string existing = (deep / "input.ini").string();
    kio::binding::test::WriteFile(existing, "KB_Run=space\n");
    const std::string missingFile = (deep / "missing.ini").string();
    const std::string missingDirectory =
        (root.Path() / std::string(200, 'x') / std::string(200, 'y') / "input.ini").string();
    ASSERT_GE(existing.size(), 600u);

    struct Case {
        std::vector<std::string> words;
        int status;
        std::string expected;  // in what kiobind prints
    };
    const Case cases[] = {
        {{"show", "--raw", existing}, kExitClean, "0x00000000 "},
        {{"check", existing}, kExitClean, "no problems found"},
        {{"check", missingFile}, kExitUnreadable, "0x80070002 (file not found)"},
        {{"check", missingDirectory}, kExitUnreadable, "0x80070003 (path not found"},
        {{"show", "--order", missingDirectory, existing}, kExitUnreadable, "0x80070003"},
    };
    for (const Case& c : cases) {
        Output output;
        EXPECT_EQ(RunKiobind(c.words, output), c.status) << c.words[1];
        EXPECT_NE((output.out + output.err).find(c.expected), std::string::npos)
            << output.out << output.err;
    }
}

}  // namespace
}  // namespace kio::kiobind
