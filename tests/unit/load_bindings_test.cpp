#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "load_bindings.h"
#include "test_files.h"
#include "vocabulary.h"

namespace kio::binding {
namespace {

using namespace std::string_literals;

constexpr int32_t kDefault = 0x5A5A5A5A;
using Bindings = std::array<int32_t, kBindingCount>;

Bindings Defaults() {
    Bindings bindings;
    bindings.fill(kDefault);
    return bindings;
}

struct LoadTest : ::testing::Test {
    test::FakeFiles fake;
    test::FakeFileSystem fileSystem{fake};
    std::vector<const char*> names{test::kTableOrder, test::kTableOrder + kActionCount};

    ResultCode Load(const std::string& file, Bindings& bindings, int32_t count = kBindingCount) {
        fake.files[test::kDefaultBindingFilePath] = file;
        return LoadBindings(bindings.data(), count, names.data(), fileSystem.Get(),
                            DefaultCodePage());
    }
};

TEST_F(LoadTest, AppliesEachLineToTheSlotItNames) {
    struct Case {
        std::string file;
        std::map<int, int32_t> changed;  // slot -> value; every other slot keeps its default
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"\r\n\n\r", {}},
        {"KB_Run=space", {{36, 0x39}}},
        {"PAD_Run=space", {{37, 0x39}}},
        {"kb_run=space", {{36, 0x39}}},
        {"KB_RUN=space", {{36, 0x39}}},
        {"KB_Run=space\nKB_Run=0x1d", {{36, 0x1D}}},
        {"KB_Run=nosuchkey", {{36, 0}}},
        {"KB_Run=Space", {{36, 0}}},
        {"KB_Run=space ;", {{36, 0}}},
        {"Run=space\nKB_Runn=space\nKB_Run space", {}},
        {"[Pad]\n; KB_Run=space\nPAD_Run=0x10", {{37, 0x10}}},
        {"\xEF\xBB\xBFKB_Run=space\nKB_Item=i", {{42, 0x17}}},
        {"K\0B\0_\0R\0u\0n\0=\0s\0"s, {}},
        {"KB_Up=up\r\nPAD_Up = 0xFFFFFFFF ;\nPAD_Down=0xFFFFFFFF;",
         {{12, 0xC8}, {13, 0}, {15, -1}}},
        {"KB_Run=0x1G\nPAD_Run=5\nKB_Map==\nPAD_Map=;;",
         {{36, 1}, {37, 0x06}, {40, 0x0D}, {41, 0x27}}},
    };
    for (const Case& c : cases) {
        Bindings bindings = Defaults();
        ASSERT_EQ(Load(c.file, bindings), kOk) << c.file;
        for (int slot = 0; slot < kBindingCount; ++slot) {
            const auto it = c.changed.find(slot);
            EXPECT_EQ(bindings[slot], it == c.changed.end() ? kDefault : it->second)
                << c.file << " slot " << slot;
        }
    }
}

TEST_F(LoadTest, TheCallersListDecidesTheSlots) {
    std::reverse(names.begin(), names.end());
    Bindings bindings = Defaults();
    ASSERT_EQ(Load("KB_MoveForward=w\nKB_CameraDown=s", bindings), kOk);
    EXPECT_EQ(bindings[52], 0x11);
    EXPECT_EQ(bindings[0], 0x1F);
}

// The lines of an action the caller does not list are skipped; they never
// overwrite slot 0, which belongs to the action at position 0.
TEST_F(LoadTest, AnUnlistedActionWritesNothing) {
    names[15] = "NotAnAction";
    Bindings bindings = Defaults();
    ASSERT_EQ(Load("KB_Pose=p\nPAD_Pose=p\nKB_MoveForward=w\nKB_Pose=q", bindings), kOk);
    EXPECT_EQ(bindings[0], 0x11);
    EXPECT_EQ(bindings[30], kDefault);
    EXPECT_EQ(bindings[31], kDefault);
}

TEST_F(LoadTest, ARepeatedNameKeepsItsFirstPosition) {
    names[4] = "Run";
    names[9] = "Run";
    Bindings bindings = Defaults();
    ASSERT_EQ(Load("KB_Run=space\nPAD_Run=0x2", bindings), kOk);
    EXPECT_EQ(bindings[8], 0x39);
    EXPECT_EQ(bindings[9], 2);
    EXPECT_EQ(bindings[18], kDefault);
    EXPECT_EQ(bindings[19], kDefault);
    EXPECT_EQ(bindings[36], kDefault);
}

// Checked before the file is opened. (The file's own faults are in the reader's test.)
TEST_F(LoadTest, WrongArgumentsLeaveTheArrayUntouched) {
    struct Case {
        const char* what;
        int32_t count;
        bool nullBindings;
        bool nullNames;
        ResultCode result;
    };
    const std::vector<Case> cases = {
        {"count 53", 53, false, false, kInvalidArgument},
        {"count 55", 55, false, false, kInvalidArgument},
        {"wrong count wins over null pointers", 0, true, true, kInvalidArgument},
        {"null bindings", kBindingCount, true, false, kNullPointer},
        {"null action names", kBindingCount, false, true, kNullPointer},
    };
    fake.files[test::kDefaultBindingFilePath] = "KB_Run=space\nPAD_Run=0x10\n";
    for (const Case& c : cases) {
        Bindings bindings = Defaults();
        const ResultCode result =
            LoadBindings(c.nullBindings ? nullptr : bindings.data(), c.count,
                         c.nullNames ? nullptr : names.data(), fileSystem.Get(), DefaultCodePage());
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(bindings, Defaults()) << c.what;
    }
    EXPECT_EQ(fake.opens, 0);
    EXPECT_TRUE(fake.openedPath.empty());
}

TEST_F(LoadTest, EachCallReadsTheFileAfresh) {
    Bindings bindings = Defaults();
    ASSERT_EQ(Load("KB_Run=space", bindings), kOk);
    ASSERT_EQ(Load("KB_Run=w", bindings), kOk);
    EXPECT_EQ(bindings[36], 0x11);
    EXPECT_EQ(fake.opens, 2);
}

}  // namespace
}  // namespace kio::binding
