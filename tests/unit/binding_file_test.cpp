#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "binding_file.h"
#include "binding_lines.h"
#include "load_bindings.h"
#include "test_files.h"

namespace kio::binding {
namespace {

using namespace std::string_literals;

const CodePage& Western() { return DefaultCodePage(); }

std::vector<std::string> Lines(std::string_view text, const CodePage& codePage = Western()) {
    std::vector<std::string> lines;
    for (std::string_view line : SplitBindingLines(text, codePage)) lines.emplace_back(line);
    return lines;
}

TEST(BindingFilePath, DriveDirectoryThenFileName) {
    struct Case {
        std::string executable;
        std::string path;  // empty: refused with kPathTooLong
    };
    const std::vector<Case> cases = {
        {"D:\\Play\\Host\\host.exe", "D:\\Play\\Host\\input.ini"},
        {"\\\\srv\\share\\run.exe", "\\\\srv\\share\\input.ini"},
        {"", "input.ini"},
        {"host.exe", "input.ini"},
        {"C:host.exe", "C:input.ini"},
        {"C:/games/kio/game.exe", "C:/games/kio/input.ini"},
        {"/opt/game/bin/game", "/opt/game/bin/input.ini"},
        {"D:\\mixed/sep\\game.exe", "D:\\mixed/sep\\input.ini"},
        // 259 bytes and the terminator fill the buffer; one more byte would be cut.
        {"C:\\" + std::string(246, 'd') + "\\g.exe",
         "C:\\" + std::string(246, 'd') + "\\input.ini"},
        {"C:\\" + std::string(247, 'd') + "\\g.exe", ""},
        {"C:\\" + std::string(253, 'd') + "\\g.exe", ""},
        {"/" + std::string(256, 'd') + "/g", ""},
    };
    for (const Case& c : cases) {
        PathBuffer path;
        const ResultCode result = BuildBindingFilePath(c.executable, Western(), path);
        if (c.path.empty()) {
            EXPECT_EQ(result, kPathTooLong) << c.executable;
            EXPECT_EQ(path.length, 0u);
        } else {
            EXPECT_EQ(result, kOk) << c.executable;
            EXPECT_EQ(path.View(), c.path);
            EXPECT_EQ(std::string(path.CString()), c.path) << "NUL-terminated";
        }
    }
}

TEST(BindingLines, EveryLineBreakCombination) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"\r\n\n\r\r", {}},
        {"KB_Run=space\r\n\r\n\nKB_Item=i", {"KB_Run=space", "KB_Item=i"}},
        {"a\nb", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\n\rb", {"a", "b"}},
        {"\n\na", {"a"}},
        {" \t \n x ", {" \t ", " x "}},
        {"\xEF\xBB\xBFKB_Run=space\nKB_Item=i", {"\xEF\xBB\xBFKB_Run=space", "KB_Item=i"}},
        {"one", {"one"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Lines(c.text), c.lines) << c.text;
    }
}

struct ReaderTest : ::testing::Test {
    test::FakeFiles fake;
    test::FakeFileSystem fileSystem{fake};

    ResultCode Read(FileText& text) { return ReadBindingFile(fileSystem.Get(), Western(), text); }
};

TEST_F(ReaderTest, ReadsTheFileBesideTheExecutableUpToItsFirstNul) {
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"KB_Run=space\nKB_Item=i", {"KB_Run=space", "KB_Item=i"}},
        {"", {}},
        {"KB_Run=sp\0ace\nKB_Item=i"s, {"KB_Run=sp"}},
        {"\0KB_Run=space"s, {}},
        // UTF-16 text is cut within its first character.
        {"K\0B\0_\0R\0u\0n\0"s, {"K"}},
        {"\xFF\xFEK\0B\0"s, {"\xFF\xFEK"}},
    };
    for (const Case& c : cases) {
        fake.files[test::kDefaultBindingFilePath] = c.bytes;
        FileText text;
        ASSERT_EQ(Read(text), kOk);
        EXPECT_EQ(fake.openedPath, test::kDefaultBindingFilePath);
        EXPECT_EQ(Lines(text.text), c.lines);
    }
    // A NUL anywhere in a longer file, whichever block of the search holds it.
    for (size_t nul = 0; nul < 200; ++nul) {
        std::string bytes(200, 'a');
        bytes[nul] = '\0';
        fake.files[test::kDefaultBindingFilePath] = bytes;
        FileText text;
        ASSERT_EQ(Read(text), kOk);
        ASSERT_EQ(text.text.size(), nul);
        ASSERT_EQ(text.bytes.size(), bytes.size());
    }
    EXPECT_EQ(fake.opens, fake.closes);
}

// Every fault of the file services, through the reader and through the whole
// load: the exact code, no text, the caller's array untouched, the file closed
// as often as it was opened, and no read where the size rules one out.
TEST(ReaderFaults, EachFaultGivesItsCodeAndTouchesNothing) {
    constexpr std::string_view kFile = "KB_Run=space\r\nPAD_Run=0x1d\r\n";
    // The largest size read: 2^31 - 1 bytes. The fake holds far fewer, so the
    // read comes up short, unless a 32-bit process cannot hold the buffer at all.
    const ResultCode largestSizeResult = sizeof(void*) == 8 ? kShortRead : kOutOfMemory;
    struct Fault {
        const char* name;
        void (*inject)(test::FakeFiles&);
        ResultCode result;
        int reads;
    };
    const std::vector<Fault> faults = {
        {"missing file", [](test::FakeFiles& f) { f.files.clear(); },
         static_cast<ResultCode>(0x80070002), 0},
        {"executable path unavailable",
         [](test::FakeFiles& f) { f.executablePathFailure = ResultFromWin32(31); },
         static_cast<ResultCode>(0x8007001F), 0},
        {"executable path cut", [](test::FakeFiles& f) { f.executablePathFailure = kPathTooLong; },
         static_cast<ResultCode>(0x8007007A), 0},
        {"directory too long",
         [](test::FakeFiles& f) { f.executablePath = "C:\\" + std::string(250, 'x') + "\\g.exe"; },
         static_cast<ResultCode>(0x8007007A), 0},
        {"size fails", [](test::FakeFiles& f) { f.sizeFailure = ResultFromWin32(5); },
         static_cast<ResultCode>(0x80070005), 0},
        {"read fails", [](test::FakeFiles& f) { f.readFailure = ResultFromWin32(30); },
         static_cast<ResultCode>(0x8007001E), 1},
        {"read one byte short", [](test::FakeFiles& f) { f.bytesWithheld = 1; },
         static_cast<ResultCode>(0x80070026), 1},
        {"read delivers nothing", [](test::FakeFiles& f) { f.bytesWithheld = 1u << 20; },
         kShortRead, 1},
        {"file shrank after it was sized",
         [](test::FakeFiles& f) { f.reportedSize = f.files.begin()->second.size() + 100; },
         kShortRead, 1},
        {"2^31 - 1 bytes", [](test::FakeFiles& f) { f.reportedSize = 0x7FFFFFFF; },
         largestSizeResult, largestSizeResult == kShortRead ? 1 : 0},
        {"2^31 bytes", [](test::FakeFiles& f) { f.reportedSize = uint64_t{1} << 31; },
         kInvalidArgument, 0},
        {"4 GiB + 10 bytes is not read as 10 bytes",
         [](test::FakeFiles& f) { f.reportedSize = (uint64_t{1} << 32) + 10; }, kInvalidArgument,
         0},
        {"largest 64-bit size", [](test::FakeFiles& f) { f.reportedSize = UINT64_MAX; },
         kInvalidArgument, 0},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        test::FakeFiles fake;
        fake.files[test::kDefaultBindingFilePath] = std::string(kFile);
        fault.inject(fake);
        const test::FakeFileSystem fileSystem(fake);

        FileText text;
        EXPECT_EQ(ReadBindingFile(fileSystem.Get(), Western(), text), fault.result);
        EXPECT_EQ(text.buffer, nullptr);
        EXPECT_TRUE(text.bytes.empty());
        EXPECT_EQ(fake.reads, fault.reads);

        std::array<int32_t, kBindingCount> bindings;
        bindings.fill(-7);
        const auto defaults = bindings;
        EXPECT_EQ(LoadBindings(bindings.data(), kBindingCount, test::kTableOrder, fileSystem.Get(),
                               Western()),
                  fault.result);
        EXPECT_EQ(bindings, defaults);
        EXPECT_EQ(fake.reads, 2 * fault.reads);
        EXPECT_EQ(fake.closes, fake.opens);
    }
}

}  // namespace
}  // namespace kio::binding
