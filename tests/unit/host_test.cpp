// Drives the real libkio.so the way a game does: a host executable in a folder
// of its own, with "input.ini" beside it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct HostRun {
    std::string result;
    std::vector<long> values;
};

class GameFolder {
public:
    GameFolder() {
        char pattern[] = "/tmp/kio-host-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        fs::copy_file(KIO_DEMO_HOST, folder_ / "demo_host");
        fs::copy_file(KIO_SHARED_LIBRARY, folder_ / fs::path(KIO_SHARED_LIBRARY).filename());
    }
    ~GameFolder() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    const fs::path& Path() const { return folder_; }

    void WriteBindingFile(const std::string& bytes) const {
        std::ofstream(folder_ / "input.ini", std::ios::binary) << bytes;
    }

    // Runs the host from another working directory, so only its own folder counts.
    HostRun Run(const std::string& arguments = "") const {
        const std::string command =
            "cd / && '" + (folder_ / "demo_host").string() + "' --raw " + arguments;
        HostRun run;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) return run;
        char line[4096] = {};
        const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
        ::pclose(pipe);
        if (!got) return run;
        std::istringstream words(line);
        words >> run.result;
        for (long value; words >> value;) run.values.push_back(value);
        return run;
    }

private:
    fs::path folder_;
};

TEST(SharedLibrary, LoadsInputIniBesideTheHost) {
    GameFolder game;
    game.WriteBindingFile(
        "KB_MoveForward=w\r\nPAD_Run = 0x1d;\nkb_cameradown=s\nKB_CameraDown=down\n");
    const HostRun run = game.Run();
    ASSERT_EQ(run.result, "0x00000000");
    ASSERT_EQ(run.values.size(), 54u);
    EXPECT_EQ(run.values[0], 0x11);
    EXPECT_EQ(run.values[37], 0x1D);
    EXPECT_EQ(run.values[52], 0xD0);
    EXPECT_EQ(run.values[1], -1) << "slots no line names keep the default";
}

TEST(SharedLibrary, FailuresLeaveTheDefaults) {
    struct Case {
        const char* what;
        void (*arrange)(const GameFolder&);
        const char* result;
    };
    const std::vector<Case> cases = {
        {"no input.ini", [](const GameFolder&) {}, "0x80070002"},
        {"input.ini is a folder",
         [](const GameFolder& g) { fs::create_directory(g.Path() / "input.ini"); }, "0x80070005"},
        // A FIFO would block the open and the read for good.
        {"input.ini is a FIFO",
         [](const GameFolder& g) { ::mkfifo((g.Path() / "input.ini").c_str(), 0600); },
         "0x80070005"},
    };
    for (const Case& c : cases) {
        GameFolder game;
        c.arrange(game);
        const HostRun run = game.Run();
        EXPECT_EQ(run.result, c.result) << c.what;
        EXPECT_EQ(run.values, std::vector<long>(54, -1)) << c.what;
    }
}

TEST(SharedLibrary, HonoursTheCallersActionOrder) {
    GameFolder game;
    game.WriteBindingFile("KB_MoveForward=w\nKB_CameraDown=s\n");
    std::string reversed =
        "--order CameraDown CameraUp CameraRight CameraLeft Iteminfo Item Map ScrapBook "
        "Run RearCamera Evade Pose Pause SkipDemo Cancel Action Enter Right Left "
        "Down Up TurnLeft TurnRight MoveRight MoveLeft MoveBackward MoveForward";
    const HostRun run = game.Run(reversed);
    ASSERT_EQ(run.values.size(), 54u);
    EXPECT_EQ(run.values[52], 0x11);
    EXPECT_EQ(run.values[0], 0x1F);
}

}  // namespace
