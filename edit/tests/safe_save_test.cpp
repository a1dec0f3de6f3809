// Saving fails at every step in turn, and another program writes the file
// before every step in turn: the original, or the other program's text, stays
// byte for byte, FILE.bak is only replaced once every check has passed, and no
// temporary file is left.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>

#include "safe_save.h"

namespace kioedit {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// False when the file could not be opened for writing.
bool Write(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

// Written an hour ago: no other program is in the middle of saving it.
void WriteSettled(const fs::path& path, std::string_view bytes) {
    Write(path, bytes);
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
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

// The system's steps, each preceded by `before(step)`; a step fails when that
// returns true. The held file's own closing is no step: nothing can go wrong
// there that matters.
SaveSystem Hooked(const std::function<bool(const std::string&)>& before) {
    const SaveSystem& real = SystemSaveSystem();
    auto held = std::make_shared<SaveHandle>(-1);
    SaveSystem system = real;
    system.inspect = [=](const std::string& path, FileFacts& facts) {
        return before("inspect") ? "injected" : real.inspect(path, facts);
    };
    system.hold = [=](const std::string& path, SaveHandle& handle) {
        if (before("hold")) {
            return std::string("injected");
        }
        std::string error = real.hold(path, handle);
        *held = handle;
        return error;
    };
    system.stamp = [=](const std::string& path, FileStamp& stamp) {
        return before("stamp") ? "injected" : real.stamp(path, stamp);
    };
    system.readHeld = [=](SaveHandle handle, std::string& bytes) {
        return before("read held") ? "injected" : real.readHeld(handle, bytes);
    };
    system.createExclusive = [=](const std::string& path, const FileFacts& like,
                                 SaveHandle& handle, bool& existed) {
        existed = false;
        return before("create") ? "injected" : real.createExclusive(path, like, handle, existed);
    };
    system.write = [=](SaveHandle handle, std::string_view bytes) {
        return before("write") ? "injected" : real.write(handle, bytes);
    };
    system.flush = [=](SaveHandle handle) {
        return before("flush") ? "injected" : real.flush(handle);
    };
    system.close = [=](SaveHandle handle) {
        if (handle == *held) {
            return real.close(handle);
        }
        // A failed close still releases the handle.
        const bool fails = before("close");
        std::string error = real.close(handle);
        return fails ? "injected" : error;
    };
    system.replace = [=](const std::string& from, const std::string& to) {
        return before("replace") ? "injected" : real.replace(from, to);
    };
    if (real.exchange) {
        system.exchange = [=](const std::string& from, const std::string& to, bool& supported) {
            supported = true;
            return before("exchange") ? "injected" : real.exchange(from, to, supported);
        };
    }
    return system;
}

const std::string kOriginal = "KB_Run=lshift\r\n";
const std::string kEdited = "KB_Run=lcontrol\r\n";
const std::string kOlderBackup = "KB_Run=x\r\n";
const std::string kTheirs = "KB_Run=space\n";  // what another program saves

TEST(SafeSave, EveryStepFailsInTurnWithoutHarm) {
    const Folder folder;
    const fs::path file = folder.Path() / "input.ini";
    const fs::path backup = folder.Path() / "input.ini.bak";
    const bool exchanges = static_cast<bool>(SystemSaveSystem().exchange);
    std::vector<std::string> expectedSteps = {
        "inspect", "hold",  "stamp", "stamp", "read held",  // held, then checked
        "create",  "write", "flush", "close",               // the new version
        "create",  "write", "flush", "close",               // the backup
        "stamp",   "read held",                             // the last check
        "replace"};                                         // the backup
    if (exchanges) {
        expectedSteps.insert(expectedSteps.end(), {"exchange", "stamp"});
    } else {
        expectedSteps.push_back("replace");
    }
    for (int failing = 1;; ++failing) {
        WriteSettled(file, kOriginal);
        WriteSettled(backup, kOlderBackup);
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write |
                                  fs::perms::group_read);
        std::vector<std::string> steps;
        bool backupReplaced = false;
        const SaveSystem system = Hooked([&](const std::string& step) {
            steps.push_back(step);
            const bool fails = static_cast<int>(steps.size()) == failing;
            backupReplaced = backupReplaced || (step == "replace" && !fails);
            return fails;
        });
        const SaveResult result = SaveSafely(file.string(), kOriginal, kEdited, system);
        if (failing > static_cast<int>(steps.size())) {
            ASSERT_TRUE(result.saved) << kiobind::Render(result.error);
            EXPECT_EQ(steps, expectedSteps);
            EXPECT_EQ(Read(file), kEdited);
            EXPECT_EQ(Read(backup), kOriginal);
#ifndef _WIN32
            EXPECT_EQ(fs::status(file).permissions(),
                      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
            EXPECT_EQ(folder.Names(), (std::vector<std::string>{"input.ini", "input.ini.bak"}));
            return;
        }
        SCOPED_TRACE("failing step " + std::to_string(failing) + ": " + steps[failing - 1]);
        EXPECT_FALSE(result.saved);
        EXPECT_TRUE(kiobind::Render(result.error).ends_with("; nothing written"))
            << kiobind::Render(result.error);
        EXPECT_EQ(Read(file), kOriginal);
        // The previous backup goes only once every check has passed.
        EXPECT_EQ(Read(backup), backupReplaced ? kOriginal : kOlderBackup);
        EXPECT_EQ(folder.Names(), (std::vector<std::string>{"input.ini", "input.ini.bak"}));
    }
}

// How another program saves: over the same file, or a new file renamed in its place.
enum class Writer { InPlace, ByRename };

// False when the system kept the other program out.
bool SaveAsAnotherProgram(Writer writer, const fs::path& file) {
    if (writer == Writer::InPlace) {
        return Write(file, kTheirs);
    }
    const fs::path next = file.string() + ".theirs";
    Write(next, kTheirs);
    std::error_code error;
    fs::rename(next, file, error);
    std::error_code ignored;
    fs::remove(next, ignored);
    return !error;
}

TEST(SafeSave, AnotherProgramSavingBeforeAnyStepLosesNothing) {
    for (const Writer writer : {Writer::InPlace, Writer::ByRename}) {
        for (int step = 1;; ++step) {
            const Folder folder;
            const fs::path file = folder.Path() / "input.ini";
            const fs::path backup = folder.Path() / "input.ini.bak";
            WriteSettled(file, kOriginal);
            WriteSettled(backup, kOlderBackup);
            int calls = 0;
            bool wrote = false;
            bool keptOut = false;
            std::string at;
            const SaveSystem system = Hooked([&](const std::string& name) {
                if (++calls == step) {
                    at = name;
                    wrote = SaveAsAnotherProgram(writer, file);
                    keptOut = !wrote;
                }
                return false;
            });
            const SaveResult result = SaveSafely(file.string(), kOriginal, kEdited, system);
            if (step > calls) {
                break;
            }
            SCOPED_TRACE(std::string(writer == Writer::InPlace ? "in place" : "by rename") +
                         ", before step " + std::to_string(step) + ": " + at);
            // Windows replaces no open file, so kiobind closes it just before
            // the replace: a save that lands in that instant is overwritten.
            const bool closedToReplace =
                SystemSaveSystem().releaseBeforeReplace && step == calls;
            if (closedToReplace) {
                EXPECT_TRUE(result.saved) << kiobind::Render(result.error);
                EXPECT_EQ(Read(file), kEdited);
            } else if (keptOut) {
                // Windows lets nobody write a held file: kiobind's save went through.
                EXPECT_TRUE(result.saved) << kiobind::Render(result.error);
                EXPECT_EQ(Read(file), kEdited);
            } else {
                // Whoever came last, the other program's text is what the file holds.
                EXPECT_EQ(Read(file), kTheirs)
                    << (result.saved ? "saved" : kiobind::Render(result.error));
                EXPECT_TRUE(result.saved ||
                            kiobind::Render(result.error).ends_with("; nothing written"))
                    << kiobind::Render(result.error);
            }
            const std::string bak = Read(backup);
            EXPECT_TRUE(bak == kOlderBackup || bak == kOriginal) << bak;
            EXPECT_EQ(folder.Names(), (std::vector<std::string>{"input.ini", "input.ini.bak"}));
        }
    }
}

TEST(SafeSave, RefusesAFileThatJustChangedOrIsReadOnly) {
    const Folder folder;
    const fs::path file = folder.Path() / "input.ini";
    struct Case {
        std::string bytes;
        bool settled;
        bool readOnly;
        std::string error;  // empty when saved
    };
    const std::string path = file.string();
    const std::string justChanged =
        path + " changed less than 2 seconds ago, so another program may still be writing it; "
               "try again in a moment; nothing written";
    const std::vector<Case> cases = {
        {"", false, false, justChanged},  // truncated by a save in progress
        {kOriginal, false, false, justChanged},
        {"", true, false, ""},
        {kOriginal, true, false, ""},
        {kOriginal, true, true, path + " is read-only; nothing written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.bytes + "'" + (c.settled ? " settled" : " just written"));
        fs::remove(folder.Path() / "input.ini.bak");
        std::error_code noFileYet;
        fs::permissions(file, fs::perms::owner_all, fs::perm_options::add, noFileYet);
        c.settled ? WriteSettled(file, c.bytes) : (void)Write(file, c.bytes);
        if (c.readOnly) {
            fs::permissions(file, fs::perms::owner_read);
        }
        const SaveResult result = SaveSafely(path, c.bytes, kEdited, SystemSaveSystem());
        EXPECT_EQ(result.saved, c.error.empty());
        EXPECT_EQ(result.saved ? "" : kiobind::Render(result.error), c.error);
        EXPECT_EQ(Read(file), c.error.empty() ? kEdited : c.bytes);
        fs::permissions(file, fs::perms::owner_all);  // Windows removes no read-only file
    }
}

TEST(SafeSave, ThroughALinkReplacesTheFileItLeadsTo) {
    const Folder folder;
    const fs::path file = folder.Path() / "real.ini";
    const fs::path link = folder.Path() / "input.ini";
    WriteSettled(file, kOriginal);
    std::error_code error;
    fs::create_symlink(file.filename(), link, error);
    if (error) {
        GTEST_SKIP() << "no symbolic links here: " << error.message();
    }
    const SaveResult result = SaveSafely(link.string(), kOriginal, kEdited, SystemSaveSystem());
    ASSERT_TRUE(result.saved) << kiobind::Render(result.error);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(file), kEdited);
    EXPECT_EQ(Read(folder.Path() / "real.ini.bak"), kOriginal);
}

}  // namespace
}  // namespace kioedit
