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

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include "render.h"
#include "safe_save.h"

namespace kio::edit {
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
// there that matters. Waiting takes no time: the clock moves instead.
SaveSystem Hooked(const std::function<bool(const std::string&)>& before) {
    const SaveSystem& real = SystemSaveSystem();
    auto held = std::make_shared<SaveHandle>(-1);
    auto clock = std::make_shared<int64_t>(real.now());
    SaveSystem system = real;
    system.now = [=] { return *clock; };
    system.wait = [=](int64_t nanoseconds) { *clock += nanoseconds; };
    system.inspect = [=](const std::string& path, FileFacts& facts) {
        return before("inspect") ? "injected" : real.inspect(path, facts);
    };
    system.hold = [=](const std::string& path, SaveHandle& handle, HoldState& state) {
        if (before("hold")) {
            return std::string("injected");
        }
        std::string error = real.hold(path, handle, state);
        *held = handle;
        return error;
    };
    system.stamp = [=](const std::string& path, FileStamp& stamp) {
        return before("stamp") ? "injected" : real.stamp(path, stamp);
    };
    system.stampHeld = [=](SaveHandle handle, FileStamp& stamp) {
        return before("stamp held") ? "injected" : real.stampHeld(handle, stamp);
    };
    system.readHeld = [=](SaveHandle handle, std::string& bytes) {
        return before("read held") ? "injected" : real.readHeld(handle, bytes);
    };
    system.createExclusive = [=](const std::string& path, const FileFacts& like, SaveHandle& handle,
                                 bool& existed) {
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

// The same system where no lease is to be had, as on a network file system.
SaveSystem Unguarded(SaveSystem system) {
    system.hold = [hold = system.hold](const std::string& path, SaveHandle& handle,
                                       HoldState& state) {
        std::string error = hold(path, handle, state);
        if (error.empty() && state == HoldState::Guarded) {
            state = HoldState::Unguarded;
#ifndef _WIN32
            ::fcntl(static_cast<int>(handle), F_SETLEASE, F_UNLCK);  // writers pass freely
#endif
        }
        return error;
    };
    return system;
}

// ThreadSanitizer holds a signal back until the thread next calls into the C
// library, so a lease broken by this very thread, blocked in its open(), is
// given back only when the system gives up on it (45 s by default). These
// builds test the writers that come during a save without a lease.
#if defined(__SANITIZE_THREAD__)
constexpr bool kSignalsHeldBack = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr bool kSignalsHeldBack = true;
#else
constexpr bool kSignalsHeldBack = false;
#endif
#else
constexpr bool kSignalsHeldBack = false;
#endif

const std::string kOriginal = "KB_Run=lshift\r\n";
const std::string kEdited = "KB_Run=lcontrol\r\n";
const std::string kOlderBackup = "KB_Run=x\r\n";
const std::string kTheirs = "KB_Run=space\n";  // what another program saves

TEST(SafeSave, EveryStepFailsInTurnWithoutHarm) {
    const Folder folder;
    const fs::path file = folder.Path() / "input.ini";
    const fs::path backup = folder.Path() / "input.ini.bak";
    const bool exchanges = static_cast<bool>(SystemSaveSystem().exchange);
    const std::vector<std::string> checked = {"stamp", "stamp held", "read held"};
    std::vector<std::string> expectedSteps = {"inspect", "hold", "stamp held", "read held",
                                              "stamp"};                         // held and read
    expectedSteps.insert(expectedSteps.end(), checked.begin(), checked.end());  // checked
    expectedSteps.insert(expectedSteps.end(), {"create", "write", "flush", "close"});  // new
    if (!exchanges) {  // a copy to keep; where files swap, the file swapped out is kept
        expectedSteps.insert(expectedSteps.end(), {"create", "write", "flush", "close"});
    }
    expectedSteps.insert(expectedSteps.end(), checked.begin(), checked.end());  // last look
    if (exchanges) {
        expectedSteps.insert(expectedSteps.end(),
                             {"stamp", "exchange", "stamp", "stamp held", "read held"});
    } else {
        expectedSteps.push_back("replace");
    }
    expectedSteps.push_back("replace");  // the backup, once the file is saved
    for (int failing = 1;; ++failing) {
        WriteSettled(file, kOriginal);
        WriteSettled(backup, kOlderBackup);
        fs::permissions(file,
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        std::vector<std::string> steps;
        const SaveSystem system = Hooked([&](const std::string& step) {
            steps.push_back(step);
            return static_cast<int>(steps.size()) == failing;
        });
        const SaveResult result = SaveSafely(file.string(), kOriginal, kEdited, system);
        if (failing > static_cast<int>(steps.size())) {
            ASSERT_TRUE(result.saved) << kio::messages::Render(result.error);
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
        if (failing == static_cast<int>(steps.size()) && steps.back() == "replace" &&
            result.saved) {
            // Only the backup's own move failed: the file is saved, and the
            // previous text waits in the temporary file the note names.
            EXPECT_EQ(Read(file), kEdited);
            EXPECT_EQ(Read(backup), kOlderBackup);
            ASSERT_EQ(result.notes.size(), 1u);
            EXPECT_EQ(result.notes[0].key, "save.backup-kept");
            EXPECT_EQ(Read(result.notes[0].arguments[1].text), kOriginal);
            fs::remove(result.notes[0].arguments[1].text);
            continue;
        }
        EXPECT_FALSE(result.saved);
        EXPECT_TRUE(kio::messages::Render(result.error).ends_with("; nothing written"))
            << kio::messages::Render(result.error);
        EXPECT_EQ(Read(file), kOriginal);
        // "Nothing written" holds for the backup too.
        EXPECT_EQ(Read(backup), kOlderBackup);
        EXPECT_EQ(folder.Names(), (std::vector<std::string>{"input.ini", "input.ini.bak"}));
    }
}

// How another program saves: over the same file, a new file renamed in its
// place, the same number of bytes with the old times put back (cp -p, rsync
// -t --inplace), or a truncate caught before the text follows.
enum class Writer { InPlace, ByRename, KeepingTimes, Truncating };

std::string Theirs(Writer writer) {
    return writer == Writer::KeepingTimes ? std::string("KB_Run=rshift\r\n")  // kOriginal's size
           : writer == Writer::Truncating ? std::string()
                                          : kTheirs;
}

// False when the system kept the other program out.
bool SaveAsAnotherProgram(Writer writer, const fs::path& file) {
    if (writer == Writer::ByRename) {
        const fs::path next = file.string() + ".theirs";
        Write(next, kTheirs);
        std::error_code error;
        fs::rename(next, file, error);
        std::error_code ignored;
        fs::remove(next, ignored);
        return !error;
    }
    std::error_code noTime;
    const auto times = fs::last_write_time(file, noTime);
    if (!Write(file, Theirs(writer))) {
        return false;
    }
    if (writer == Writer::KeepingTimes && !noTime) {
        fs::last_write_time(file, times, noTime);
    }
    return true;
}

TEST(SafeSave, AnotherProgramSavingBeforeAnyStepLosesNothing) {
    for (const bool guarded : {true, false}) {
        for (const Writer writer :
             {Writer::InPlace, Writer::ByRename, Writer::KeepingTimes, Writer::Truncating}) {
            for (int step = 1;; ++step) {
                const Folder folder;
                const fs::path file = folder.Path() / "input.ini";
                const fs::path backup = folder.Path() / "input.ini.bak";
                WriteSettled(file, kOriginal);
                WriteSettled(backup, kOlderBackup);
                int calls = 0;
                int mainReplace = 0;  // the first "replace": the file's own, the backup's follows
                bool keptOut = false;
                std::string at;
                const SaveSystem hooked = Hooked([&](const std::string& name) {
                    ++calls;
                    if (name == "replace" && mainReplace == 0) {
                        mainReplace = calls;
                    }
                    if (calls == step) {
                        at = name;
                        keptOut = !SaveAsAnotherProgram(writer, file);
                    }
                    return false;
                });
                const SaveSystem system = guarded && !kSignalsHeldBack ? hooked : Unguarded(hooked);
                const SaveResult result = SaveSafely(file.string(), kOriginal, kEdited, system);
                if (step > calls) {
                    break;
                }
                SCOPED_TRACE(std::string(guarded ? "guarded" : "unguarded") + ", writer " +
                             std::to_string(static_cast<int>(writer)) + ", before step " +
                             std::to_string(step) + ": " + at);
                // Windows replaces no open file, so kiobind closes it just before
                // the replace: a save that lands in that instant is overwritten.
                const bool closedToReplace =
                    SystemSaveSystem().releaseBeforeReplace && step == mainReplace;
                if (closedToReplace || keptOut) {
                    EXPECT_TRUE(result.saved) << kio::messages::Render(result.error);
                    EXPECT_EQ(Read(file), kEdited);
                } else {
                    // Whoever came last, the other program's text is what the file holds.
                    EXPECT_EQ(Read(file), Theirs(writer))
                        << (result.saved ? "saved" : kio::messages::Render(result.error));
                    EXPECT_TRUE(result.saved ||
                                kio::messages::Render(result.error).ends_with("; nothing written"))
                        << kio::messages::Render(result.error);
                }
                // The backup changes only with a save, and never to an empty one.
                EXPECT_EQ(Read(backup), result.saved ? kOriginal : kOlderBackup);
                EXPECT_EQ(folder.Names(), (std::vector<std::string>{"input.ini", "input.ini.bak"}));
            }
        }
    }
}

TEST(SafeSave, RefusesOnlyWhatItMustAndSaysWhy) {
    const Folder folder;
    const fs::path file = folder.Path() / "input.ini";
    const std::string path = file.string();
    const std::string busy =
        "another program has " + path +
        " open for writing (an editor, or the game's options screen); close it and try "
        "again; nothing written";
    struct Case {
        std::string name;
        std::function<void()> before;  // after the file is written, before the save
        std::string error;             // empty when saved
    };
    std::unique_ptr<std::ofstream> writer;
    const std::vector<Case> cases = {
        {"just written, as by a script or a previous save", [] {}, ""},
        {"another program holds it open for writing after emptying it",
         [&] { writer = std::make_unique<std::ofstream>(file, std::ios::binary); }, busy},
        {"read-only", [&] { fs::permissions(file, fs::perms::owner_read); },
         path + " is read-only; nothing written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(folder.Path() / "input.ini.bak");
        std::error_code noFileYet;
        fs::permissions(file, fs::perms::owner_all, fs::perm_options::add, noFileYet);
        Write(file, kOriginal);
        c.before();
        const std::string before = Read(file);
        const SaveResult result =
            SaveSafely(path, before, kEdited, Hooked([](auto&) { return false; }));
        EXPECT_EQ(result.saved, c.error.empty());
        EXPECT_EQ(result.saved ? "" : kio::messages::Render(result.error), c.error);
        EXPECT_EQ(Read(file), c.error.empty() ? kEdited : before);
        EXPECT_EQ(fs::exists(folder.Path() / "input.ini.bak"), c.error.empty());
        writer.reset();
        fs::permissions(file, fs::perms::owner_all);  // Windows removes no read-only file
    }
}

TEST(SafeSave, AnOlderFileRenamedInWhileItIsOpenedIsNotTakenForIt) {
    const Folder folder;
    const fs::path file = folder.Path() / "input.ini";
    const fs::path older = folder.Path() / "older.ini";
    WriteSettled(file, kOriginal);
    WriteSettled(older, kTheirs);
    bool tried = false;
    std::error_code renamed;
    const SaveSystem system = Hooked([&](const std::string& step) {
        if (step == "stamp held" && !tried) {
            tried = true;
            fs::rename(older, file, renamed);
        }
        return false;
    });
    const SaveResult result = SaveSafely(file.string(), kOriginal, kEdited, system);
    ASSERT_TRUE(tried);
    if (renamed) {
        // Windows lets nobody rename a file in place of a held one.
        EXPECT_TRUE(result.saved) << kio::messages::Render(result.error);
        EXPECT_EQ(Read(file), kEdited);
        return;
    }
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.error.key, "save.changed");
    EXPECT_EQ(Read(file), kTheirs);
    EXPECT_FALSE(fs::exists(folder.Path() / "input.ini.bak"));
}

// Two programs write in the instant of the swap: one into the file held, one
// through the name into kiobind's new version. The first goes back in place,
// and the second's text is kept, never removed with the temporary file.
TEST(SafeSave, TwoWritersDuringTheSwapBothKeepTheirText) {
    if (!SystemSaveSystem().exchange) {
        GTEST_SKIP() << "no swap here";
    }
    const Folder folder;
    const fs::path file = folder.Path() / "input.ini";
    const fs::path swappedOut = folder.Path() / "input.ini.kiobind-1.tmp";
    WriteSettled(file, kOriginal);
    bool exchanged = false;
    bool wrote = false;
    const SaveSystem system = Hooked([&](const std::string& step) {
        exchanged = exchanged || step == "exchange";
        if (exchanged && step == "stamp held" && !wrote) {
            wrote = true;
            std::ofstream(swappedOut, std::ios::binary | std::ios::app) << "; first\n";
            std::ofstream(file, std::ios::binary | std::ios::app) << "; second\n";
        }
        return false;
    });
    const SaveResult result = SaveSafely(file.string(), kOriginal, kEdited,
                                         kSignalsHeldBack ? Unguarded(system) : system);
    ASSERT_TRUE(wrote);
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.error.key, "save.wrote.both") << kio::messages::Render(result.error);
    EXPECT_EQ(Read(file), kOriginal + "; first\n");
    EXPECT_EQ(Read(swappedOut), kEdited + "; second\n");
    EXPECT_FALSE(fs::exists(folder.Path() / "input.ini.bak"));
}

TEST(SafeSave, ThroughALinkReplacesTheFileItLeadsToAndSaysWhereTheBackupWent) {
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
    ASSERT_TRUE(result.saved) << kio::messages::Render(result.error);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(file), kEdited);
    EXPECT_EQ(Read(folder.Path() / "real.ini.bak"), kOriginal);
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_EQ(kio::messages::Render(result.notes[0]),
              link.string() + " is a link: " + fs::canonical(file).string() +
                  " was replaced, and its previous version is " + fs::canonical(file).string() +
                  ".bak");
}

#ifndef _WIN32
TEST(SafeSave, AHardLinkKeepsTheOldTextAndIsNamed) {
    const Folder folder;
    fs::create_directory(folder.Path() / "game");
    fs::create_directory(folder.Path() / "mods");
    const fs::path file = folder.Path() / "game" / "input.ini";
    struct Case {
        fs::path link;
        std::string note;  // after "input.ini "
    };
    const std::vector<Case> cases = {
        {folder.Path() / "game" / "deployed.ini",
         "has another name, ./deployed.ini, which still holds the previous text"},
        {folder.Path() / "mods" / "input.ini",
         "has other names outside its folder (1), which still hold the previous text"},
    };
    const fs::path before = fs::current_path();
    fs::current_path(folder.Path() / "game");  // the file named as a player names it
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link.string());
        fs::remove(folder.Path() / "game" / "input.ini.bak");
        WriteSettled(file, kOriginal);
        fs::create_hard_link(file, c.link);
        const SaveResult result = SaveSafely("input.ini", kOriginal, kEdited, SystemSaveSystem());
        ASSERT_TRUE(result.saved) << kio::messages::Render(result.error);
        EXPECT_EQ(Read(c.link), kOriginal);
        ASSERT_EQ(result.notes.size(), 1u);
        EXPECT_EQ(kio::messages::Render(result.notes[0]), "input.ini " + c.note);
        fs::remove(c.link);
    }
    fs::current_path(before);
}

TEST(SafeSave, AFifoIsRefusedWithoutWaiting) {
    const Folder folder;
    const fs::path fifo = folder.Path() / "input.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const HeldFile held(fifo.string(), SystemSaveSystem());
    EXPECT_EQ(kio::messages::Render(held.Error()),
              fifo.string() + " is not a regular file; nothing written");
}
#endif

}  // namespace
}  // namespace kio::edit
