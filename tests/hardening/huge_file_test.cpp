// Files far larger than any real binding file, read through the system's own
// file services: oversized files are refused before a byte is read, and large
// ones load correctly in one pass.
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "load_bindings.h"
#include "real_files.h"
#include "test_files.h"
#include "vocabulary.h"

namespace kio::binding::test {
namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;

std::array<int32_t, kBindingCount> Defaults() {
    std::array<int32_t, kBindingCount> defaults;
    defaults.fill(-1);
    return defaults;
}

// A game directory holding one "input.ini", read through the real file services.
class GameDirectory {
public:
    GameDirectory() { files_.executablePath = (root_.Path() / "game").string(); }

    std::filesystem::path BindingFile() const { return root_.Path() / "input.ini"; }

    ResultCode Load(std::array<int32_t, kBindingCount>& bindings, const CodePage& codePage) {
        const RedirectedFileSystem fileSystem(files_);
        return LoadBindings(bindings.data(), kBindingCount, kTableOrder, fileSystem.Get(),
                            codePage);
    }

    const RedirectedFiles& Files() const { return files_; }

private:
    TemporaryDirectory root_;
    RedirectedFiles files_;
};

// A sparse file: its size costs no disk.
void MakeSparseFile(const std::filesystem::path& path, uint64_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const int truncated = ::ftruncate(fd, static_cast<off_t>(size));
    ::close(fd);
    ASSERT_EQ(truncated, 0);
}

TEST(HugeFiles, SizesOf2GiBAndMoreAreRefusedWithoutReading) {
    for (const uint64_t size : {uint64_t{1} << 31, (uint64_t{1} << 32) + 10}) {
        SCOPED_TRACE(size);
        GameDirectory game;
        MakeSparseFile(game.BindingFile(), size);
        auto bindings = Defaults();

        EXPECT_EQ(game.Load(bindings, DefaultCodePage()), kInvalidArgument);
        EXPECT_EQ(bindings, Defaults());
        EXPECT_EQ(game.Files().reads, 0);
        EXPECT_EQ(game.Files().opens, 1);
        EXPECT_EQ(game.Files().closes, 1);
    }
}

TEST(HugeFiles, A64MiBFileOfBindingLinesLoads) {
    // Every binding many times over with a changing value, and lines that bind
    // nothing in between; the last line naming a slot decides it.
    std::string contents;
    contents.reserve(64 * kMiB);
    std::array<int32_t, kBindingCount> expected{};
    std::string round;
    char line[64];
    for (uint32_t roundIndex = 0;; ++roundIndex) {
        round.clear();
        for (int entry = 0; entry < kBindingCount; ++entry) {
            const int length = std::snprintf(line, sizeof line, "%s=0x%x\r\n",
                                             std::string(BindingName(entry)).c_str(),
                                             roundIndex * kBindingCount + entry);
            round.append(line, static_cast<size_t>(length));
        }
        round += "; not a binding\n\n[Pad]\r";
        if (contents.size() + round.size() > 64 * kMiB) {
            break;
        }
        contents += round;
        for (int entry = 0; entry < kBindingCount; ++entry) {
            // Table order: entry e owns slot e.
            expected[entry] = static_cast<int32_t>(roundIndex * kBindingCount + entry);
        }
    }
    contents.resize(64 * kMiB, '\n');
    GameDirectory game;
    WriteFile(game.BindingFile(), contents);

    auto bindings = Defaults();
    EXPECT_EQ(game.Load(bindings, DefaultCodePage()), kOk);
    EXPECT_EQ(bindings, expected);
    EXPECT_EQ(game.Files().reads, 1);
    EXPECT_EQ(game.Files().closes, game.Files().opens);
}

struct LongLine {
    const char* name;
    std::string line;
    int slot;
    int32_t value;
};

TEST(HugeFiles, OneLineOf16MiBLoads) {
    const size_t length = 16 * kMiB;
    const LongLine cases[] = {
        // "%x" keeps only the last eight digits of a long run.
        {"long hexadecimal value", "KB_Run=0x" + std::string(length, '0') + "1d", 36, 0x1D},
        {"long run of white space before the key", std::string(length, ' ') + "KB_Run=space", 36,
         0x39},
        {"long run of white space after the value", "KB_Run=space" + std::string(length, '\t'), 36,
         0x39},
        {"long value that names no key", "KB_Run=" + std::string(length, 'x'), 36, 0},
        {"long key that names no binding", std::string(length, 'K') + "=space", -1, 0},
        {"double-byte characters all along", "KB_Run=" + std::string(length, '\x82'), 36, 0},
    };
    for (const LongLine& c : cases) {
        SCOPED_TRACE(c.name);
        GameDirectory game;
        WriteFile(game.BindingFile(), "KB_Map=m\n" + c.line + "\nPAD_Run=lcontrol");
        for (const CodePage* codePage : {FindBuiltInCodePage(1252), FindBuiltInCodePage(932)}) {
            auto expected = Defaults();
            expected[40] = 0x32;  // KB_Map=m
            expected[37] = 0x1D;  // PAD_Run=lcontrol
            if (c.slot >= 0) {
                expected[c.slot] = c.value;
            }
            auto bindings = Defaults();
            EXPECT_EQ(game.Load(bindings, *codePage), kOk);
            EXPECT_EQ(bindings, expected);
        }
    }
}

}  // namespace
}  // namespace kio::binding::test
