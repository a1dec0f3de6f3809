// Failures only the real system produces, with the exact result code and the
// caller's array left as it was. (The faults of the file services themselves
// are in the reader's unit test.)
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "load_bindings.h"
#include "real_files.h"
#include "test_files.h"
#include "vocabulary.h"

namespace kio::binding::test {
namespace {

constexpr std::string_view kValidFile = "KB_Run=space\r\nPAD_Run=0x1d\r\nKB_Map=m\r\n";

std::array<int32_t, kBindingCount> Defaults() {
    std::array<int32_t, kBindingCount> defaults;
    for (int slot = 0; slot < kBindingCount; ++slot) {
        defaults[slot] = 1000 + slot;
    }
    return defaults;
}

// The real POSIX file services, for failures that only the system can produce.
struct SystemFault {
    const char* name;
    // Prepares the game directory and gives the host executable's path.
    std::function<std::filesystem::path(const std::filesystem::path& root)> prepare;
    ResultCode expected;
};

TEST(ReaderFaults, SystemFailuresToOpenGiveTheirWin32Codes) {
    namespace fs = std::filesystem;
    const SystemFault faults[] = {
        {"directory missing", [](const fs::path& root) { return root / "missing" / "game"; },
         ResultFromWin32(win32_error::kPathNotFound)},
        {"a directory on the path is a file",
         [](const fs::path& root) {
             WriteFile(root / "plain", "");
             return root / "plain" / "game";
         },
         ResultFromWin32(win32_error::kPathNotFound)},
        {"input.ini is a directory",
         [](const fs::path& root) {
             fs::create_directory(root / "input.ini");
             return root / "game";
         },
         ResultFromWin32(win32_error::kAccessDenied)},
        {"input.ini is a dangling link",
         [](const fs::path& root) {
             fs::create_symlink(root / "nowhere", root / "input.ini");
             return root / "game";
         },
         ResultFromWin32(win32_error::kFileNotFound)},
        {"input.ini is a link loop",
         [](const fs::path& root) {
             fs::create_symlink(root / "input.ini", root / "input.ini");
             return root / "game";
         },
         ResultFromWin32(win32_error::kCantResolveFilename)},
    };
    for (const SystemFault& fault : faults) {
        SCOPED_TRACE(fault.name);
        const TemporaryDirectory root;
        RedirectedFiles files;
        files.executablePath = fault.prepare(root.Path()).string();
        const RedirectedFileSystem fileSystem(files);
        auto bindings = Defaults();

        EXPECT_EQ(LoadBindings(bindings.data(), kBindingCount, kTableOrder, fileSystem.Get(),
                               DefaultCodePage()),
                  fault.expected);
        EXPECT_EQ(bindings, Defaults());
        EXPECT_EQ(files.opens, 0);
        EXPECT_EQ(files.closes, 0);
    }
}

// Restores the process's limit on open files on every way out of the test.
class OpenFileLimit {
public:
    OpenFileLimit() { ::getrlimit(RLIMIT_NOFILE, &saved_); }
    ~OpenFileLimit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
    OpenFileLimit(const OpenFileLimit&) = delete;
    OpenFileLimit& operator=(const OpenFileLimit&) = delete;

    // Lets no further file be opened: the limit becomes the lowest free descriptor.
    bool Exhaust() {
        const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (lowestFree < 0) {
            return false;
        }
        ::close(lowestFree);
        rlimit limit = saved_;
        limit.rlim_cur = static_cast<rlim_t>(lowestFree);
        return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
    }

private:
    rlimit saved_{};
};

TEST(ReaderFaults, NoFreeFileDescriptorGivesTooManyOpenFiles) {
    const TemporaryDirectory root;
    WriteFile(root.Path() / "input.ini", kValidFile);
    RedirectedFiles files;
    files.executablePath = (root.Path() / "game").string();
    const RedirectedFileSystem fileSystem(files);
    auto bindings = Defaults();

    ResultCode result = kOk;
    {
        OpenFileLimit limit;
        ASSERT_TRUE(limit.Exhaust());
        result = LoadBindings(bindings.data(), kBindingCount, kTableOrder, fileSystem.Get(),
                              DefaultCodePage());
    }
    EXPECT_EQ(result, ResultFromWin32(win32_error::kTooManyOpenFiles));
    EXPECT_EQ(bindings, Defaults());
    EXPECT_EQ(files.opens, 0);

    // With descriptors free again the same file loads: the failure was the limit's.
    EXPECT_EQ(LoadBindings(bindings.data(), kBindingCount, kTableOrder, fileSystem.Get(),
                           DefaultCodePage()),
              kOk);
    EXPECT_EQ(bindings[36], 0x39);
}

}  // namespace
}  // namespace kio::binding::test
