#include "vocabulary.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "name_compare.h"

namespace kio {

#define KIO_ACTION(name) Action{#name, "KB_" #name, "PAD_" #name}
constexpr std::array<Action, kActionCount> kActions = {
    KIO_ACTION(MoveForward), KIO_ACTION(MoveBackward), KIO_ACTION(MoveLeft),
    KIO_ACTION(MoveRight),   KIO_ACTION(TurnRight),    KIO_ACTION(TurnLeft),
    KIO_ACTION(Up),          KIO_ACTION(Down),         KIO_ACTION(Left),
    KIO_ACTION(Right),       KIO_ACTION(Enter),        KIO_ACTION(Action),
    KIO_ACTION(Cancel),      KIO_ACTION(SkipDemo),     KIO_ACTION(Pause),
    KIO_ACTION(Pose),        KIO_ACTION(Evade),        KIO_ACTION(RearCamera),
    KIO_ACTION(Run),         KIO_ACTION(ScrapBook),    KIO_ACTION(Map),
    KIO_ACTION(Item),        KIO_ACTION(Iteminfo),     KIO_ACTION(CameraLeft),
    KIO_ACTION(CameraRight), KIO_ACTION(CameraUp),     KIO_ACTION(CameraDown),
};
#undef KIO_ACTION

namespace {

constexpr std::array<KeyName, kKeyNameCount> kKeyNameTable = {{
    {"Escape", 0x01},      {"1", 0x02},           {"2", 0x03},          {"3", 0x04},
    {"4", 0x05},           {"5", 0x06},           {"6", 0x07},          {"7", 0x08},
    {"8", 0x09},           {"9", 0x0A},           {"0", 0x0B},          {"-", 0x0C},
    {"=", 0x0D},           {"Back", 0x0E},        {"Tab", 0x0F},        {"Q", 0x10},
    {"W", 0x11},           {"E", 0x12},           {"R", 0x13},          {"T", 0x14},
    {"Y", 0x15},           {"U", 0x16},           {"I", 0x17},          {"O", 0x18},
    {"P", 0x19},           {"[", 0x1A},           {"]", 0x1B},          {"Return", 0x1C},
    {"LControl", 0x1D},    {"A", 0x1E},           {"S", 0x1F},          {"D", 0x20},
    {"F", 0x21},           {"G", 0x22},           {"H", 0x23},          {"J", 0x24},
    {"K", 0x25},           {"L", 0x26},           {";", 0x27},          {"'", 0x28},
    {"Grave", 0x29},       {"LShift", 0x2A},      {"\\", 0x2B},         {"Z", 0x2C},
    {"X", 0x2D},           {"C", 0x2E},           {"V", 0x2F},          {"B", 0x30},
    {"N", 0x31},           {"M", 0x32},           {",", 0x33},          {".", 0x34},
    {"/", 0x35},           {"RShift", 0x36},      {"*", 0x37},          {"LMenu", 0x38},
    {"Space", 0x39},       {"Capital", 0x3A},     {"F1", 0x3B},         {"F2", 0x3C},
    {"F3", 0x3D},          {"F4", 0x3E},          {"F5", 0x3F},         {"F6", 0x40},
    {"F7", 0x41},          {"F8", 0x42},          {"F9", 0x43},         {"F10", 0x44},
    {"NumLock", 0x45},     {"Scroll", 0x46},      {"NumPad7", 0x47},    {"NumPad8", 0x48},
    {"NumPad9", 0x49},     {"-", 0x4A},           {"NumPad4", 0x4B},    {"NumPad5", 0x4C},
    {"NumPad6", 0x4D},     {"+", 0x4E},           {"NumPad1", 0x4F},    {"NumPad2", 0x50},
    {"NumPad3", 0x51},     {"NumPad0", 0x52},     {"Decimal", 0x53},    {"OEM_102", 0x56},
    {"F11", 0x57},         {"F12", 0x58},         {"F13", 0x64},        {"F14", 0x65},
    {"F15", 0x66},         {"Kana", 0x70},        {"ABNT_C1", 0x73},    {"Convert", 0x79},
    {"NoConvert", 0x7B},   {"YEN", 0x7D},         {"ABNT_C2", 0x7E},    {"NumPadEquals", 0x8D},
    {"PrevTrack", 0x90},   {"AT", 0x91},          {"Colon", 0x92},      {"UnderLine", 0x93},
    {"Kanji", 0x94},       {"Stop", 0x95},        {"AX", 0x96},         {"UnLabeled", 0x97},
    {"NextTrack", 0x99},   {"NumPadEnter", 0x9C}, {"RControl", 0x9D},   {"Mute", 0xA0},
    {"Calculator", 0xA1},  {"PlayPause", 0xA2},   {"MediaStop", 0xA4},  {"VolumeDown", 0xAE},
    {"VolumeUp", 0xB0},    {"WebHome", 0xB2},     {"NumPadComma", 0xB3}, {"/", 0xB5},
    {"SysRq", 0xB7},       {"RMenu", 0xB8},       {"Pause", 0xC5},      {"Home", 0xC7},
    {"Up", 0xC8},          {"PgUp", 0xC9},        {"Left", 0xCB},       {"Right", 0xCD},
    {"End", 0xCF},         {"Down", 0xD0},        {"PgDn", 0xD1},       {"Insert", 0xD2},
    {"Delete", 0xD3},      {"LWin", 0xDB},        {"RWin", 0xDC},       {"Apps", 0xDD},
    {"Power", 0xDE},       {"Sleep", 0xDF},       {"Wake", 0xE3},       {"WebSearch", 0xE5},
    {"WebFavorites", 0xE6}, {"WebRefresh", 0xE7}, {"WebStop", 0xE8},    {"WebForward", 0xE9},
    {"WebBack", 0xEA},     {"MyComputer", 0xEB},  {"Mail", 0xEC},       {"MediaSelect", 0xED},
}};

// A lower-case name held by value, so lookup tables can be built at compile time.
struct LowerName {
    static constexpr size_t kCapacity = kLongestComparedName;
    std::array<char, kCapacity> bytes{};
    uint8_t length = 0;
    int32_t value = 0;

    constexpr std::string_view View() const { return {bytes.data(), length}; }
};

constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr LowerName MakeLowerName(std::string_view name, int32_t value) {
    LowerName lower;
    for (size_t i = 0; i < name.size(); ++i) {
        lower.bytes[i] = AsciiLower(name[i]);
    }
    lower.length = static_cast<uint8_t>(name.size());
    lower.value = value;
    return lower;
}

constexpr bool ByName(const LowerName& a, const LowerName& b) { return a.View() < b.View(); }

// Binding names in lower case, sorted, each with its action-table entry. (The
// sorted order is also the insertion order of the hash index below, which keeps
// its probes short.)
constexpr auto kSortedBindingNames = [] {
    std::array<LowerName, kBindingCount> table{};
    for (int p = 0; p < kActionCount; ++p) {
        table[2 * p] = MakeLowerName(kActions[p].keyboardName, 2 * p);
        table[2 * p + 1] = MakeLowerName(kActions[p].padName, 2 * p + 1);
    }
    std::sort(table.begin(), table.end(), ByName);
    return table;
}();

template <size_t N>
constexpr size_t LongestName(const std::array<LowerName, N>& table) {
    size_t longest = 0;
    for (const LowerName& entry : table) {
        longest = std::max<size_t>(longest, entry.length);
    }
    return longest;
}

constexpr size_t kLongestBindingName = LongestName(kSortedBindingNames);

constexpr size_t CountDistinctKeyNames() {
    std::array<LowerName, kKeyNameCount> all{};
    for (int i = 0; i < kKeyNameCount; ++i) {
        all[i] = MakeLowerName(kKeyNameTable[i].name, kKeyNameTable[i].code);
    }
    std::sort(all.begin(), all.end(), ByName);
    size_t distinct = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        distinct += (i == 0 || all[i].View() != all[i - 1].View()) ? 1 : 0;
    }
    return distinct;
}

// Key names in lower case, sorted and distinct. A name listed twice keeps the
// code of its later entry, as if each entry replaced the one before it.
constexpr auto kSortedKeyNames = [] {
    std::array<LowerName, CountDistinctKeyNames()> table{};
    size_t used = 0;
    for (const KeyName& key : kKeyNameTable) {
        LowerName lower = MakeLowerName(key.name, key.code);
        auto* existing = std::find_if(table.begin(), table.begin() + used,
                                      [&](const LowerName& e) { return e.View() == lower.View(); });
        if (existing != table.begin() + used) {
            existing->value = key.code;
        } else {
            table[used++] = lower;
        }
    }
    std::sort(table.begin(), table.end(), ByName);
    return table;
}();

static_assert(kSortedBindingNames.size() == 54);
static_assert(kSortedKeyNames.size() == 142);
static_assert(kLongestBindingName < LowerName::kCapacity);

// Binding names are matched by ASCII folding, which needs lower-case letters and
// "_" only.
constexpr bool LettersAndUnderscores(const LowerName& name) {
    return std::all_of(name.bytes.begin(), name.bytes.begin() + name.length,
                       [](char c) { return (c >= 'a' && c <= 'z') || c == '_'; });
}
static_assert(std::all_of(kSortedBindingNames.begin(), kSortedBindingNames.end(),
                          LettersAndUnderscores));

// Action names in lower case, each with its action number.
constexpr auto kLowerActionNames = [] {
    std::array<LowerName, kActionCount> table{};
    for (int p = 0; p < kActionCount; ++p) {
        table[p] = MakeLowerName(kActions[p].name, p);
    }
    return table;
}();

constexpr size_t kLongestActionName = LongestName(kLowerActionNames);

// A hash of a name from its length and four of its bytes (first, middle, last
// two), in constant time. The lookups compare whole names, so a collision only
// costs a comparison; the assertions below keep every probe short. Bit 0x20 of
// each byte is set first, so ASCII capitals hash as their lower case.
constexpr uint32_t HashName(std::string_view name) {
    if (name.empty()) {
        return 0;
    }
    const auto byteAt = [&](size_t i) { return uint32_t{static_cast<uint8_t>(name[i])} | 0x20u; };
    const size_t last = name.size() - 1;
    uint32_t hash = static_cast<uint32_t>(name.size()) * 0x9E3779B1u;
    hash ^= byteAt(0) | (byteAt(name.size() / 2) << 8) | (byteAt(last - (last > 0 ? 1 : 0)) << 16) |
            (byteAt(last) << 24);
    hash ^= hash >> 17;
    hash *= 0x2C1B3C6Du;
    hash ^= hash >> 15;
    return hash;
}

// A hash index over a name table, built at compile time: a lookup hashes the
// text once and compares it with one or two names, where a binary search over
// the table would call memcmp six to eight times. Slots hold table positions,
// kEmpty where none; at most a quarter of them are used, so probes stay short.
template <size_t N>
struct NameIndex {
    static constexpr int16_t kEmpty = -1;
    static constexpr size_t kSlotCount = std::bit_ceil(4 * N);

    const std::array<LowerName, N>* table;
    std::array<int16_t, kSlotCount> slots;

    constexpr explicit NameIndex(const std::array<LowerName, N>& names) : table(&names), slots{} {
        slots.fill(kEmpty);
        for (size_t i = 0; i < N; ++i) {
            size_t slot = HashName(names[i].View()) & (kSlotCount - 1);
            while (slots[slot] != kEmpty) {
                slot = (slot + 1) & (kSlotCount - 1);
            }
            slots[slot] = static_cast<int16_t>(i);
        }
    }

    // The most names a lookup of a listed name compares, known at compile time.
    constexpr size_t LongestProbe() const {
        size_t longest = 0;
        for (const LowerName& entry : *table) {
            size_t probes = 1;
            for (size_t slot = HashName(entry.View()) & (kSlotCount - 1);
                 (*table)[static_cast<size_t>(slots[slot])].View() != entry.View();
                 slot = (slot + 1) & (kSlotCount - 1)) {
                ++probes;
            }
            longest = std::max(longest, probes);
        }
        return longest;
    }

    // The entry whose name `name` spells: equal bytes, or with `foldAsciiCase`
    // ASCII capitals taken as their lower case. `name` holds at most kCapacity bytes.
    const LowerName* Find(std::string_view name, bool foldAsciiCase = false) const {
        for (size_t slot = HashName(name) & (kSlotCount - 1); slots[slot] != kEmpty;
             slot = (slot + 1) & (kSlotCount - 1)) {
            const LowerName& entry = (*table)[static_cast<size_t>(slots[slot])];
            if (entry.length == name.size() &&
                (foldAsciiCase
                     ? EqualNamesFoldingAsciiCase(name.data(), entry.bytes.data(), name.size())
                     : EqualNames(name.data(), entry.bytes.data(), name.size()))) {
                return &entry;
            }
        }
        return nullptr;
    }
};

constexpr NameIndex kBindingNameIndex(kSortedBindingNames);
constexpr NameIndex kKeyNameIndex(kSortedKeyNames);
constexpr NameIndex kActionNameIndex(kLowerActionNames);
static_assert(kBindingNameIndex.LongestProbe() <= 2);
static_assert(kKeyNameIndex.LongestProbe() <= 2);
static_assert(kActionNameIndex.LongestProbe() <= 2);

}  // namespace

const std::array<KeyName, kKeyNameCount> kKeyNames = kKeyNameTable;

std::string_view BindingName(int entry) {
    const Action& action = kActions[entry / 2];
    return (entry % 2 == 0) ? action.keyboardName : action.padName;
}

namespace {

// Whether the NUL-terminated `text` is `name`, reading `text` no further than
// its terminator or its first difference.
bool SpellsExactly(const char* text, std::string_view name) {
    for (char c : name) {
        if (*text++ != c) {
            return false;
        }
    }
    return *text == '\0';
}

// Gives an action the slots of list position `position`, unless an earlier
// position already holds them.
void ClaimSlots(SlotTable& slots, int action, int position) {
    if (slots[2 * action] == kNoSlot) {
        slots[2 * action] = static_cast<int8_t>(2 * position);
        slots[2 * action + 1] = static_cast<int8_t>(2 * position + 1);
    }
}

}  // namespace

SlotTable BuildSlotTable(const char* const* actionNames) {
    // An action missing from the list owns no slot, so its lines are skipped
    // instead of landing in slot 0, which belongs to another action.
    SlotTable slots;
    slots.fill(kNoSlot);
    // Each listed name is looked up once; walking the list in order and keeping
    // an action's first position gives it the first name that matches.
    for (int j = 0; j < kActionCount; ++j) {
        const char* name = actionNames[j];
        if (name == nullptr) {
            continue;
        }
        // A game most likely lists the actions in the table's own order and
        // spelling: that costs one comparison, read only up to the name's end.
        if (SpellsExactly(name, kActions[j].name)) {
            ClaimSlots(slots, j, j);
            continue;
        }
        char lower[kLongestActionName + 1];
        size_t length = 0;
        while (length <= kLongestActionName && name[length] != '\0') {
            lower[length] = AsciiLower(name[length]);
            ++length;
        }
        if (length > kLongestActionName) {
            continue;  // longer than every action name
        }
        if (const LowerName* action = kActionNameIndex.Find({lower, length})) {
            ClaimSlots(slots, action->value, j);
        }
    }
    return slots;
}

bool LowercaseInto(std::string_view text, const CodePage& codePage, char* out, size_t outSize) {
    if (text.size() > outSize) {
        return false;
    }
    if (!codePage.hasLeadBytes) {
        for (size_t i = 0; i < text.size(); ++i) {
            out[i] = static_cast<char>(codePage.lower[static_cast<uint8_t>(text[i])]);
        }
        return true;
    }
    for (size_t i = 0; i < text.size();) {
        const size_t length = codePage.CharacterLength(text, i);
        if (length == 2) {
            // Double-byte characters have no case pairs in our tables; the trail
            // byte must never be taken for an ASCII capital.
            out[i] = text[i];
            out[i + 1] = text[i + 1];
        } else {
            out[i] = static_cast<char>(codePage.lower[static_cast<uint8_t>(text[i])]);
        }
        i += length;
    }
    return true;
}

std::optional<int> FindBindingEntry(std::string_view keyText, const CodePage& codePage) {
    // Lowercasing keeps the length, so a longer text can never match.
    if (keyText.size() > kLongestBindingName) {
        return std::nullopt;
    }
    const LowerName* found = nullptr;
    if (codePage.hasPlainAsciiCase) {
        found = kBindingNameIndex.Find(keyText, true);
    } else {
        char lower[LowerName::kCapacity];
        LowercaseInto(keyText, codePage, lower, sizeof lower);
        found = kBindingNameIndex.Find({lower, keyText.size()});
    }
    if (found == nullptr) {
        return std::nullopt;
    }
    return found->value;
}

std::optional<int> FindBindingSlot(const SlotTable& slots, std::string_view keyText,
                                   const CodePage& codePage) {
    const std::optional<int> entry = FindBindingEntry(keyText, codePage);
    if (!entry || slots[*entry] == kNoSlot) {
        return std::nullopt;
    }
    return slots[*entry];
}

std::optional<int32_t> FindKeyCode(std::string_view valueText) {
    if (valueText.size() > LowerName::kCapacity) {
        return std::nullopt;
    }
    const LowerName* found = kKeyNameIndex.Find(valueText);
    if (found == nullptr) {
        return std::nullopt;
    }
    return found->value;
}

}  // namespace kio
