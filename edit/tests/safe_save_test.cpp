// Saving fails at every step in turn: each time the original stays byte for
// byte and no temporary file is left; past the last step the save succeeds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "safe_save.h"

namespace kioedit {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

class Folder {
public:
    Folder() {
        std::random_device seed;
        path_ = fs::temp_directory_path() / ("kio_save_" + std::to_string(seed()));
        fs::create_directory(path_);
    }
    ~Folder() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    const fs::path& Path() const { return path_; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    fs::path path_;
};

// The system's steps, the `failing`-th of them (counting from 1) failing.
SaveSystem FailingAt(int failing, int& calls, std::vector<std::string>& steps) {
    const SaveSystem& real = SystemSaveSystem();
    const auto fails = [failing, &calls, &steps](const char* step) {
        steps.push_back(step);
        return ++calls == failing;
    };
    SaveSystem system = real;
    system.inspect = [=](const std::string& path, FileFacts& facts) {
        return fails("inspect") ? "injected" : real.inspect(path, facts);
    };
    system.createExclusive = [=](const std::string& path, const FileFacts& like,
                                 SaveHandle& handle, bool& existed) {
        existed = false;
        return fails("create") ? "injected" : real.createExclusive(path, like, handle, existed);
    };
    system.write = [=](SaveHandle handle, std::string_view bytes) {
        return fails("write") ? "injected" : real.write(handle, bytes);
    };
    system.flush = [=](SaveHandle handle) {
        return fails("flush") ? "injected" : real.flush(handle);
    };
    system.close = [=](SaveHandle handle) {
        // A failed close still releases the handle.
        std::string error = real.close(handle);
        return fails("close") ? "injected" : error;
    };
    system.readAll = [=](const std::string& path, std::string& bytes) {
        return fails("read again") ? "injected" : real.readAll(path, bytes);
    };
    system.replace = [=](const std::string& from, const std::string& to) {
        return fails("replace") ? "injected" : real.replace(from, to);
    };
    return system;
}

TEST(SafeSave, EveryStepFailsInTurnWithoutHarm) {
    const Folder folder;
    const fs::path file = folder.Path() / "input.ini";
    const std::string original = "KB_Run=lshift\r\n", edited = "KB_Run=lcontrol\r\n";
    const std::vector<std::string> expectedSteps = {
        "inspect", "create", "write", "flush", "close",                // the new version
        "create",  "write",  "flush", "close", "replace",              // the backup
        "read again", "replace"};                                      // the file itself
    for (int failing = 1;; ++failing) {
        Write(file, original);
        fs::remove(folder.Path() / "input.ini.bak");
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write |
                                  fs::perms::group_read);
        int calls = 0;
        std::vector<std::string> steps;
        const SaveResult result =
            SaveSafely(file.string(), original, edited, FailingAt(failing, calls, steps));
        if (failing > calls) {
            ASSERT_TRUE(result.saved) << result.error;
            EXPECT_EQ(steps, expectedSteps);
            EXPECT_EQ(Read(file), edited);
            EXPECT_EQ(Read(folder.Path() / "input.ini.bak"), original);
#ifndef _WIN32
            EXPECT_EQ(fs::status(file).permissions(),
                      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
            EXPECT_EQ(folder.Names(), (std::vector<std::string>{"input.ini", "input.ini.bak"}));
            return;
        }
        SCOPED_TRACE("failing step " + std::to_string(failing) + ": " + steps.back());
        EXPECT_FALSE(result.saved);
        EXPECT_TRUE(result.error.ends_with("; nothing written")) << result.error;
        EXPECT_EQ(Read(file), original);
        for (const std::string& name : folder.Names()) {
            EXPECT_TRUE(name == "input.ini" || name == "input.ini.bak") << name;
        }
    }
}

TEST(SafeSave, RefusesAFileChangedMeanwhileOrReadOnly) {
    const Folder folder;
    const fs::path file = folder.Path() / "input.ini";
    Write(file, "KB_Run=lshift\n");
    SaveSystem meddling = SystemSaveSystem();
    meddling.readAll = [&](const std::string& path, std::string& bytes) {
        Write(file, "KB_Run=space\n");  // another program saves first
        return SystemSaveSystem().readAll(path, bytes);
    };
    SaveResult result = SaveSafely(file.string(), "KB_Run=lshift\n", "KB_Run=x\n", meddling);
    EXPECT_EQ(result.error,
              file.string() + " changed while kiobind was editing it; nothing written");
    EXPECT_EQ(Read(file), "KB_Run=space\n");

    fs::permissions(file, fs::perms::owner_read);
    result = SaveSafely(file.string(), "KB_Run=space\n", "KB_Run=x\n", SystemSaveSystem());
    EXPECT_EQ(result.error, file.string() + " is read-only; nothing written");
    EXPECT_EQ(Read(file), "KB_Run=space\n");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"input.ini", "input.ini.bak"}));
}

}  // namespace
}  // namespace kioedit
