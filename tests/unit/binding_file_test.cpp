#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "binding_file.h"
#include "test_files.h"

namespace kio {
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
        {"C:\\" + std::string(246, 'd') + "\\g.exe", "C:\\" + std::string(246, 'd') + "\\input.ini"},
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
    EXPECT_EQ(fake.opens, fake.closes);
}

TEST_F(ReaderTest, FailuresCloseTheFileAndGiveNoText) {
    struct Case {
        const char* what;
        void (*arrange)(test::FakeFiles&);
        ResultCode result;
        bool opened;
    };
    const std::vector<Case> cases = {
        {"missing file", [](test::FakeFiles& f) { f.files.clear(); },
         static_cast<ResultCode>(0x80070002), false},
        {"executable path cut", [](test::FakeFiles& f) { f.executablePathFailure = kPathTooLong; },
         static_cast<ResultCode>(0x8007007A), false},
        {"directory too long",
         [](test::FakeFiles& f) { f.executablePath = "C:\\" + std::string(250, 'x') + "\\g.exe"; },
         static_cast<ResultCode>(0x8007007A), false},
        {"size fails", [](test::FakeFiles& f) { f.sizeFailure = ResultFromWin32(6); },
         static_cast<ResultCode>(0x80070006), true},
        {"read fails", [](test::FakeFiles& f) { f.readFailure = ResultFromWin32(30); },
         static_cast<ResultCode>(0x8007001E), true},
        {"short read", [](test::FakeFiles& f) { f.bytesWithheld = 1; },
         static_cast<ResultCode>(0x80070026), true},
        {"2^31 bytes", [](test::FakeFiles& f) { f.reportedSize = uint64_t{1} << 31; },
         kInvalidArgument, true},
        {"4 GiB + 10 bytes is not read as 10 bytes",
         [](test::FakeFiles& f) { f.reportedSize = (uint64_t{1} << 32) + 10; }, kInvalidArgument, true},
    };
    for (const Case& c : cases) {
        fake = test::FakeFiles{};
        fake.files[test::kDefaultBindingFilePath] = "KB_Run=space\n";
        c.arrange(fake);
        FileText text;
        EXPECT_EQ(Read(text), c.result) << c.what;
        EXPECT_EQ(text.buffer, nullptr) << c.what;
        EXPECT_TRUE(text.text.empty()) << c.what;
        EXPECT_EQ(fake.opens, c.opened ? 1 : 0) << c.what;
        EXPECT_EQ(fake.closes, fake.opens) << c.what;
        if (c.result == kInvalidArgument) {
            EXPECT_EQ(fake.reads, 0) << c.what;
        }
    }
}

}  // namespace
}  // namespace kio
