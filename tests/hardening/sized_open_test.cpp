// The POSIX open that also gives the size, the one GetPAM uses, and the open
// and the size asked in turn, the ones the other tests drive, on real files.
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "platform.h"
#include "real_files.h"

namespace kio::binding::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    ResultCode result = kOk;
    uint64_t size = 0;
    bool operator==(const Outcome&) const = default;
};

Outcome OpenThenSize(const FileSystem& files, const char* path) {
    Outcome outcome;
    FileHandle handle = 0;
    outcome.result = files.openForReading(path, handle);
    if (!Failed(outcome.result)) {
        outcome.result = files.getSize(handle, outcome.size);
        files.close(handle);
    }
    return outcome;
}

Outcome SizedOpen(const FileSystem& files, const char* path) {
    Outcome outcome;
    FileHandle handle = 0;
    outcome.result = files.openForReadingWithSize(path, handle, outcome.size);
    if (!Failed(outcome.result)) {
        files.close(handle);
    }
    return outcome;
}

TEST(SizedOpen, GivesWhatOpenThenSizeGives) {
    const FileSystem& files = SystemFileSystem();
    ASSERT_NE(files.openForReadingWithSize, nullptr);
    struct Case {
        std::function<fs::path(const fs::path&)> prepare;
        Outcome expected;
    };
    const auto win32 = [](uint32_t error) { return Outcome{ResultFromWin32(error), 0}; };
    const Case cases[] = {
        {[](const fs::path& r) {
             WriteFile(r / "input.ini", "KB_Run=space\r\n");
             return r / "input.ini";
         },
         {kOk, 14}},
        {[](const fs::path& r) {
             WriteFile(r / "input.ini", "");
             return r / "input.ini";
         },
         {kOk, 0}},
        {[](const fs::path& r) {
             fs::create_directory(r / "input.ini");
             return r / "input.ini";
         },
         win32(win32_error::kAccessDenied)},
        {[](const fs::path& r) {
             ::mkfifo((r / "input.ini").c_str(), 0600);
             return r / "input.ini";
         },
         win32(win32_error::kAccessDenied)},
        {[](const fs::path& r) { return r / "input.ini"; }, win32(win32_error::kFileNotFound)},
        {[](const fs::path& r) { return r / "missing" / "input.ini"; },
         win32(win32_error::kPathNotFound)},
        {[](const fs::path& r) {
             fs::create_symlink(r / "input.ini", r / "input.ini");
             return r / "input.ini";
         },
         win32(win32_error::kCantResolveFilename)},
    };
    for (const Case& c : cases) {
        const TemporaryDirectory directory;
        const fs::path path = c.prepare(directory.Path());
        EXPECT_EQ(SizedOpen(files, path.c_str()), c.expected) << path;
        EXPECT_EQ(OpenThenSize(files, path.c_str()), c.expected) << path;
    }
}

}  // namespace
}  // namespace kio::binding::test
