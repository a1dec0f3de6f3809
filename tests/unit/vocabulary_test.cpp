#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "test_files.h"
#include "vocabulary.h"

namespace kio::binding {
namespace {

const CodePage& Western() { return DefaultCodePage(); }

TEST(KeyNames, LookupIsExactAndLowerCase) {
    struct Case {
        std::string text;
        std::optional<int32_t> code;
    };
    const std::vector<Case> cases = {
        {"escape", 0x01},
        {"Escape", std::nullopt},
        {"ESCAPE", std::nullopt},
        {"-", 0x4A},
        {"/", 0xB5},
        {"0", 0x0B},
        {"1", 0x02},
        {"10", std::nullopt},
        {"oem_102", 0x56},
        {"OEM_102", std::nullopt},
        {"pgup", 0xC9},
        {"numpadenter", 0x9C},
        {"unlabeled", 0x97},
        {"up", 0xC8},
        {"=", 0x0D},
        {";", 0x27},
        {"'", 0x28},
        {"\\", 0x2B},
        {"mediaselect", 0xED},
        {"", std::nullopt},
        {"space ", std::nullopt},
        {"spac", std::nullopt},
        {"q", 0x10},
        {"f15", 0x66},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindKeyCode(c.text), c.code) << '"' << c.text << '"';
    }
}

TEST(KeyNames, EveryNameResolvesToItsLastEntry) {
    // Each table name, lowercased, finds the code of the last entry with that name.
    std::set<std::string> distinct;
    for (int i = 0; i < kKeyNameCount; ++i) {
        std::string lower(kKeyNames[i].name);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        distinct.insert(lower);
        int32_t expected = kKeyNames[i].code;
        for (int later = i + 1; later < kKeyNameCount; ++later) {
            if (kKeyNames[later].name == kKeyNames[i].name) expected = kKeyNames[later].code;
        }
        EXPECT_EQ(FindKeyCode(lower), expected) << lower;
        if (i > 0) {
            EXPECT_GT(kKeyNames[i].code, kKeyNames[i - 1].code) << "codes rise: " << lower;
        }
    }
    EXPECT_EQ(distinct.size(), 142u);
}

TEST(BindingNames, MatchWholeNameInAnyCase) {
    const SlotTable slots = BuildSlotTable(test::kTableOrder);
    struct Case {
        std::string keyText;
        std::optional<int> slot;
    };
    const std::vector<Case> cases = {
        {"KB_MoveForward", 0},
        {"kb_moveforward", 0},
        {"KB_MOVEFORWARD", 0},
        {"PAD_MoveForward", 1},
        {"KB_Run", 36},
        {"pad_run", 37},
        {"KB_CameraDown", 52},
        {"PAD_CameraDown", 53},
        {"KB_Move Forward", std::nullopt},
        {"MoveForward", std::nullopt},
        {"KB_MoveForwar", std::nullopt},
        {"KB_Runn", std::nullopt},
        {"Run", std::nullopt},
        {"KB_Iteminfo", 44},
        {"KB_Item", 42},
        {"", std::nullopt},
        {"KB_Run ", std::nullopt},
        {"\xEF\xBB\xBFKB_Run", std::nullopt},
        {"PAD_CameraRightXXXXXXXXXXXXXXXXXXXX", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindBindingSlot(slots, c.keyText, Western()), c.slot) << c.keyText;
    }
}

TEST(SlotTable, FollowsTheCallersList) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, const char*>> changes;  // position -> name in the table order
        std::vector<std::pair<std::string, std::optional<int>>> expected;  // binding -> slot
    };
    const std::vector<Case> cases = {
        {"table order", {}, {{"KB_MoveForward", 0}, {"PAD_CameraDown", 53}}},
        {"lower and upper case names",
         {{0, "moveforward"}, {1, "MOVEBACKWARD"}},
         {{"KB_MoveForward", 0}, {"PAD_MoveBackward", 3}}},
        {"a prefixed or padded name names nothing",
         {{0, "KB_MoveForward"}, {1, "MoveBackward "}},
         {{"KB_MoveForward", std::nullopt}, {"PAD_MoveBackward", std::nullopt}}},
        {"no prefix match",
         {{0, "Iteminfo"}, {1, "Item"}, {21, "MoveForward"}, {22, "MoveBackward"}},
         {{"KB_Iteminfo", 0}, {"PAD_Iteminfo", 1}, {"KB_Item", 2}, {"PAD_Item", 3}}},
        {"the first of two positions wins",
         {{4, "Run"}, {9, "Run"}, {18, "TurnRight"}, {3, "Right"}},
         {{"KB_Run", 8}, {"PAD_Run", 9}, {"KB_TurnRight", 36}}},
        // An action the caller does not list owns no slot; its lines must not
        // reach slot 0, which belongs to another action.
        {"a missing action owns no slot",
         {{15, "Nothing"}},
         {{"KB_Pose", std::nullopt}, {"PAD_Pose", std::nullopt}, {"KB_MoveForward", 0}}},
        {"a null entry names nothing",
         {{15, nullptr}},
         {{"KB_Pose", std::nullopt}, {"KB_Evade", 32}}},
    };
    for (const Case& c : cases) {
        std::vector<const char*> names(test::kTableOrder, test::kTableOrder + kActionCount);
        for (auto [position, name] : c.changes) names[position] = name;
        const SlotTable slots = BuildSlotTable(names.data());
        for (const auto& [binding, slot] : c.expected) {
            EXPECT_EQ(FindBindingSlot(slots, binding, Western()), slot)
                << c.what << ": " << binding;
        }
    }
}

TEST(SlotTable, ReversedListMovesEveryAction) {
    std::vector<const char*> reversed(test::kTableOrder, test::kTableOrder + kActionCount);
    std::reverse(reversed.begin(), reversed.end());
    const SlotTable slots = BuildSlotTable(reversed.data());
    for (int p = 0; p < kActionCount; ++p) {
        const size_t keyboardSlot = 2 * static_cast<size_t>(p);
        EXPECT_EQ(slots[keyboardSlot], 2 * (26 - p));
        EXPECT_EQ(slots[keyboardSlot + 1], 2 * (26 - p) + 1);
    }
}

}  // namespace
}  // namespace kio::binding
