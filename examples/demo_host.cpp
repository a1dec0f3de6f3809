// A stand-in for the game: fills the 54 values with defaults, calls GetPAM, and
// prints what the library made of "input.ini" beside this executable.
//   demo_host          a readable table of action, keyboard value and pad value
//   demo_host --raw    the result code and the 54 values on one line, for tests
//   demo_host --order NAME... the caller's action list (27 names) instead of
//                       the game's own order
//   demo_host --defaults N    slot i starts at N + i instead of -1, so that tests
//                       can tell a slot left alone from any value a line gives
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "get_pam_entry.h"

namespace {

constexpr int kActions = 27;
constexpr int32_t kUnset = -1;  // the default this host puts in every slot

const char* const kGameActionOrder[kActions] = {
    "MoveForward", "MoveBackward", "MoveLeft",  "MoveRight", "TurnRight", "TurnLeft",
    "Up",          "Down",         "Left",      "Right",     "Enter",     "Action",
    "Cancel",      "SkipDemo",     "Pause",     "Pose",      "Evade",     "RearCamera",
    "Run",         "ScrapBook",    "Map",       "Item",      "Iteminfo",  "CameraLeft",
    "CameraRight", "CameraUp",     "CameraDown"};

void PrintValue(int32_t value) {
    if (value == kUnset) {
        std::printf(" %-12s", "(default)");
    } else {
        std::printf(" 0x%08X  ", static_cast<uint32_t>(value));
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool raw = false;
    int32_t firstDefault = kUnset;
    int32_t defaultStep = 0;
    std::vector<const char*> order(kGameActionOrder, kGameActionOrder + kActions);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--raw") == 0) {
            raw = true;
        } else if (std::strcmp(argv[i], "--order") == 0 && argc - i - 1 >= kActions) {
            order.assign(argv + i + 1, argv + i + 1 + kActions);
            i += kActions;
        } else if (std::strcmp(argv[i], "--defaults") == 0 && i + 1 < argc) {
            firstDefault = static_cast<int32_t>(std::strtol(argv[++i], nullptr, 0));
            defaultStep = 1;
        } else {
            std::fprintf(stderr, "usage: %s [--raw] [--defaults N] [--order NAME x27]\n", argv[0]);
            return 2;
        }
    }

    const GetPamFunction getPam = FindGetPam();
    if (getPam == nullptr) {
        return 2;
    }
    std::array<int32_t, 2 * static_cast<size_t>(kActions)> bindings;
    for (int slot = 0; slot < 2 * kActions; ++slot) {
        bindings[slot] = firstDefault + defaultStep * slot;
    }
    const int32_t result =
        getPam(bindings.data(), static_cast<int32_t>(bindings.size()), order.data());

    if (raw) {
        std::printf("0x%08X", static_cast<uint32_t>(result));
        for (int32_t value : bindings) {
            std::printf(" %d", value);
        }
        std::printf("\n");
        return 0;
    }
    std::printf("GetPAM returned 0x%08X\n\n", static_cast<uint32_t>(result));
    std::printf("%-14s %-12s %-12s\n", "action", "keyboard", "pad");
    for (int j = 0; j < kActions; ++j) {
        std::printf("%-14s", order[j]);
        const size_t keyboardSlot = 2 * static_cast<size_t>(j);
        PrintValue(bindings[keyboardSlot]);
        PrintValue(bindings[keyboardSlot + 1]);
        std::printf("\n");
    }
    return result < 0 ? 1 : 0;
}
