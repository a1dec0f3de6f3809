// What kiobind prints, as a program: output it cannot write is an error, no
// control byte of the file reaches the terminal, and "--" ends the options.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace kio::kiobind {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A file that puts control bytes wherever a message might quote it, a NUL too.
constexpr char kHostileBytes[] =
    "KB_Run=space\x1B]0;owned\x07 ;\r\n"
    "KB_Item=\x1B[31mred\r\n"
    "KB_\x1B[2JMap=x\r\n"
    "KB_Cancel \x7F\x1B\r\n"
    "\x1B=\x07\n"
    "KB_Enter=0x1\x1B\n"
    "KB_Pause=Spac\x1B\n"
    "KB_Pose=\x1B\t;\n"
    "PAD_Run=0x\x08\x08\n"
    "KB_Map=a\x1B b\n"
    "KB_Pause=\x9B"
    "31m\n"
    "KB_Evade=x\0\x1B[0m\n";
const std::string kHostile(kHostileBytes, sizeof kHostileBytes - 1);
const std::string kBomHostile = "\xEF\xBB\xBFKB_Run=\x1B\x07\r\nKB_Run=\x1B\r\n";
const std::string kUtf16Hostile = std::string("\xFF\xFEK\0=\0\x1B\0\x9B\0\x07\0\x30\x30", 14);

struct Case {
    const char* what;
    std::string file;       // written just now as "-input.ini" in an empty folder, as by a script
    std::string arguments;  // for the shell
    std::string redirect;   // of standard output; "" to keep it
    int exit;
    std::string inErrors;  // standard error must hold this
};

TEST(Output, WriteErrorsControlBytesAndOptionsEnd) {
    const fs::path folder =
        fs::temp_directory_path() / ("kiobind-output-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string cannotWrite = "kiobind: error: cannot write the output (";
    std::vector<Case> cases = {
        {"show to a full disk", "KB_Run=x\n", "show -- -input.ini", "/dev/full", 2, cannotWrite},
        {"check to a full disk", "KB_Run=x\n", "check -- -input.ini", "/dev/full", 2, cannotWrite},
        {"keys to a full disk", "", "keys", "/dev/full", 2, cannotWrite},
        {"help to a full disk", "", "--help", "/dev/full", 2, cannotWrite},
        {"fix to a full disk", "KB_Run=Space\n", "fix --dry-run -- -input.ini", "/dev/full", 2,
         cannotWrite},
        {"a file named after an option", "KB_Run=x\n", "show -- -input.ini", "", 0, ""},
        {"no option after --", "KB_Run=x\n", "check -- --help", "", 2, "--help"},
        {"check", kHostile, "check -- -input.ini", "", 1, ""},
        {"show", kHostile, "show -- -input.ini", "", 0, ""},
        {"fix --dry-run", kHostile, "fix --dry-run -- -input.ini", "", 0, ""},
        {"fix", kHostile, "fix -- -input.ini", "", 0, ""},
        {"set", kHostile, "set KB_Pose lshift -- -input.ini", "", 0, ""},
        {"unset", kHostile, "unset KB_Run -- -input.ini", "", 0, ""},
        {"check behind a mark", kBomHostile, "check -- -input.ini", "", 1, ""},
        {"fix behind a mark", kBomHostile, "fix -- -input.ini", "", 0, ""},
        {"unset behind a mark", kBomHostile, "unset KB_Run -- -input.ini", "", 0, ""},
        {"fix UTF-16", kUtf16Hostile, "fix --code-page=1252 -- -input.ini", "", 2, "U+009B"},
        {"check UTF-16", kUtf16Hostile, "check -- -input.ini", "", 1, ""},
        // Commands run one after another, as a player or a script runs them.
        {"set, set, unset in a row", "KB_Run=x\n",
         "set KB_Run space -- -input.ini && kiobind set KB_Map tab -- -input.ini && "
         "kiobind unset KB_Run -- -input.ini",
         "", 0, ""},
        // A FIFO is refused at once, never waited on.
        {"set on a FIFO", "", "set KB_Run lshift fifo", "", 2, "fifo: error: "},
        {"show --raw --format json", "KB_Run=x\n", "show --raw --format json -- -input.ini", "", 2,
         "--raw"},
        {"show --order with no such list", "KB_Run=x\n", "show --order nolist.txt -- -input.ini",
         "", 2, "nolist.txt: error: cannot read the list of actions"},
    };
    // A file name is as untrusted as the file's text: every command escapes it.
    const std::string evil = "e\x1B[31mvil\x07.ini";
    for (const std::string command :
         {"check", "check --format json", "show", "show --format json", "fix", "fix --dry-run",
          "set KB_Run space", "unset KB_Run", "set KB_Nope space"}) {
        cases.push_back({"a hostile name", "KB_Run=Space\n", command + " -- '" + evil + "'", "", -1,
                         "[31mvil"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder / "");
        fs::create_directories(folder);
        std::ofstream(folder / "-input.ini", std::ios::binary) << c.file;
        std::ofstream(folder / evil, std::ios::binary) << c.file;
        ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
        const std::string command = "cd '" + folder.string() + "' && export PATH='" +
                                    fs::path(KIOBIND).parent_path().string() +
                                    "':\"$PATH\" NO_COLOR=1 && timeout 10 kiobind " + c.arguments +
                                    " >" + (c.redirect.empty() ? "out.txt" : c.redirect) +
                                    " 2>err.txt";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        if (c.exit >= 0) {
            EXPECT_EQ(WEXITSTATUS(status), c.exit);
        }
        const std::string out = Read(folder / "out.txt");
        const std::string err = Read(folder / "err.txt");
        EXPECT_NE((out + err).find(c.inErrors), std::string::npos) << out << err;
        for (const std::string* text : {&out, &err}) {
            for (const char byte : *text) {
                const auto value = static_cast<unsigned char>(byte);
                EXPECT_TRUE((value >= 0x20 && value != 0x7F) || byte == '\n')
                    << "byte " << static_cast<int>(value) << " in:\n"
                    << *text;
            }
        }
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace kio::kiobind
