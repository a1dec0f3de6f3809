// Every way the reader can fail, with the exact result code, the caller's array
// left as it was, and the file closed exactly as often as it was opened.
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

namespace kio::test {
namespace {

constexpr std::string_view kValidFile = "KB_Run=space\r\nPAD_Run=0x1d\r\nKB_Map=m\r\n";

std::array<int32_t, kBindingCount> Defaults() {
    std::array<int32_t, kBindingCount> defaults;
    for (int slot = 0; slot < kBindingCount; ++slot) {
        defaults[slot] = 1000 + slot;
    }
    return defaults;
}

struct FakeFault {
    const char* name;
    std::function<void(FakeFiles&)> inject;
    ResultCode expected;
    int expectedReads;
};

TEST(ReaderFaults, EachFaultOfTheFileServicesGivesItsCodeAndTouchesNothing) {
    const ResultCode accessDenied = ResultFromWin32(win32_error::kAccessDenied);
    const ResultCode ioDevice = ResultFromWin32(win32_error::kIoDevice);
    const ResultCode readFault = ResultFromWin32(30);  // ERROR_READ_FAULT
    const FakeFault faults[] = {
        {"host executable path unavailable",
         [&](FakeFiles& f) { f.executablePathFailure = ResultFromWin32(win32_error::kGeneralFailure); },
         ResultFromWin32(win32_error::kGeneralFailure), 0},
        {"size fails", [&](FakeFiles& f) { f.sizeFailure = accessDenied; }, accessDenied, 0},
        {"size fails with an I/O error", [&](FakeFiles& f) { f.sizeFailure = ioDevice; }, ioDevice, 0},
        {"read fails", [&](FakeFiles& f) { f.readFailure = readFault; }, readFault, 1},
        {"read one byte short", [](FakeFiles& f) { f.bytesWithheld = 1; }, kShortRead, 1},
        {"read delivers nothing", [](FakeFiles& f) { f.bytesWithheld = 1u << 20; }, kShortRead, 1},
        {"file shrank after it was sized",
         [](FakeFiles& f) { f.reportedSize = kValidFile.size() + 100; }, kShortRead, 1},
        {"size of exactly 2^31 bytes", [](FakeFiles& f) { f.reportedSize = uint64_t{1} << 31; },
         kInvalidArgument, 0},
        {"size of 4 GiB + 10 bytes", [](FakeFiles& f) { f.reportedSize = (uint64_t{1} << 32) + 10; },
         kInvalidArgument, 0},
        {"largest 64-bit size", [](FakeFiles& f) { f.reportedSize = UINT64_MAX; }, kInvalidArgument, 0},
    };
    for (const CodePage* codePage : {FindBuiltInCodePage(1252), FindBuiltInCodePage(932)}) {
        for (const FakeFault& fault : faults) {
            SCOPED_TRACE(fault.name);
            FakeFiles files;
            files.files[kDefaultBindingFilePath] = std::string(kValidFile);
            fault.inject(files);
            const FakeFileSystem fileSystem(files);
            auto bindings = Defaults();

            EXPECT_EQ(LoadBindings(bindings.data(), kBindingCount, kTableOrder, fileSystem.Get(),
                                   *codePage),
                      fault.expected);
            EXPECT_EQ(bindings, Defaults());
            EXPECT_EQ(files.closes, files.opens);
            EXPECT_EQ(files.reads, fault.expectedReads);
        }
    }
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
        {"directory missing",
         [](const fs::path& root) { return root / "missing" / "game"; },
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
}  // namespace kio::test
