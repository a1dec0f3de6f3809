// Checks properties of the loader that must hold for every input:
//   - two runs on the same input agree;
//   - a value changes only when the file spells the binding name of an action
//     whose slot it is (judged by a model independent of the loader's parser);
//   - appending a line that names no binding changes nothing.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "fuzz_call.h"

namespace {

using namespace kio::binding::fuzz;
using kio::binding::kActionCount;
using kio::binding::kBindingCount;

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_properties: %s\n", what);
        std::abort();
    }
}

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) {
            return false;
        }
    }
    return true;
}

bool ContainsIgnoringCase(std::string_view text, std::string_view word) {
    for (size_t at = 0; at + word.size() <= text.size(); ++at) {
        if (EqualIgnoringCase(text.substr(at, word.size()), word)) {
            return true;
        }
    }
    return false;
}

// The slot an action's keyboard binding fills: 2j for the first list position j
// naming it, none when the list does not name it.
std::optional<int> KeyboardSlotOf(const FuzzCall& call, int action) {
    for (int j = 0; j < kActionCount; ++j) {
        const char* name = call.actionNames[j];
        if (name != nullptr && EqualIgnoringCase(name, kio::binding::kActions[action].name)) {
            return 2 * j;
        }
    }
    return std::nullopt;
}

// Slots that some binding name spelled in the text may reach. A superset of the
// slots a line truly names, which is all this model needs.
std::array<bool, kBindingCount> ReachableSlots(const FuzzCall& call, std::string_view text) {
    std::array<bool, kBindingCount> reachable{};
    for (int action = 0; action < kActionCount; ++action) {
        const std::optional<int> slot = KeyboardSlotOf(call, action);
        if (!slot) {
            continue;
        }
        const std::string name(kio::binding::kActions[action].name);
        reachable[*slot] = reachable[*slot] || ContainsIgnoringCase(text, "KB_" + name);
        reachable[*slot + 1] = reachable[*slot + 1] || ContainsIgnoringCase(text, "PAD_" + name);
    }
    return reachable;
}

// True when the text ends in a lead byte standing alone: a byte appended after
// it would pair with it rather than start a new line.
bool EndsInLoneLeadByte(std::string_view text, const kio::binding::CodePage& codePage) {
    size_t at = 0;
    size_t last = 0;
    while (at < text.size()) {
        last = at;
        at += codePage.CharacterLength(text, at);
    }
    return !text.empty() && at - last == 1 && codePage.IsLeadByte(static_cast<uint8_t>(text[last]));
}

// A line that names no binding: fixed look-alikes, or input bytes behind "#".
std::string LineNamingNothing(const std::string& bytes) {
    static constexpr const char* kLines[] = {
        "[Pad]",   "; KB_Run=space", "Run=space", "KB_Runn=space", "KB_Run space",
        "KB_=0x1", "PAD_ Run=w",     "=space",    " \t ",          "#KB_Run=0x1d"};
    static constexpr const char* kBreaks[] = {"\n", "\r\n", "\r", "\n\r"};
    const size_t pick = bytes.size() % (std::size(kLines) + 1);
    std::string line = kBreaks[bytes.size() % std::size(kBreaks)];
    if (pick < std::size(kLines)) {
        return line + kLines[pick];
    }
    line += '#';
    for (char c : std::string_view(bytes).substr(0, 24)) {
        if (c != '\r' && c != '\n' && c != '\0') {
            line += c;
        }
    }
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FuzzCall call = DecodeFuzzCall(data, size);
    const auto defaults = DistinctDefaults();
    const CallOutcome first = RunCall(call, call.fileBytes, defaults);
    const CallOutcome second = RunCall(call, call.fileBytes, defaults);
    Require(first.result == second.result && first.bindings == second.bindings,
            "two runs on the same input disagree");

    // The loader sees the text up to the first NUL byte only.
    const std::string_view text(call.fileBytes.c_str());
    const auto reachable = ReachableSlots(call, text);
    for (int slot = 0; slot < kBindingCount; ++slot) {
        Require(first.bindings[slot] == defaults[slot] || reachable[slot],
                "a slot changed that no line names");
    }

    if (!EndsInLoneLeadByte(text, *call.codePage)) {
        const CallOutcome appended =
            RunCall(call, call.fileBytes + LineNamingNothing(call.fileBytes), defaults);
        Require(appended.result == first.result && appended.bindings == first.bindings,
                "a line naming no binding changed the outcome");
    }
    return 0;
}
