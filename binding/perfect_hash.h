// Name lookups by a hash chosen at compile time so that no two listed names
// share a slot: a lookup hashes the text once, reads one slot and compares the
// text with the one name found there, a machine word at a time.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>

#include "always_inline.h"

namespace kio::binding {

// A lower-case name held by value, so lookup tables can be built at compile
// time. A lookup compares at most three words of eight bytes.
struct LowerName {
    static constexpr size_t kCapacity = 24;
    std::array<char, kCapacity> bytes{};
    uint8_t length = 0;
    int32_t value = 0;

    constexpr std::string_view View() const { return {bytes.data(), length}; }
};

constexpr char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr LowerName MakeLowerName(std::string_view name, int32_t value) {
    LowerName lower;
    for (size_t i = 0; i < name.size(); ++i) {
        lower.bytes[i] = AsciiLower(name[i]);
    }
    lower.length = static_cast<uint8_t>(name.size());
    lower.value = value;
    return lower;
}

namespace perfect_hash {

static_assert(std::endian::native == std::endian::little,
              "the compile-time hash reads words as the machine does");

// `count` bytes (at most 8) as a little-endian word, at compile time or run time.
constexpr uint64_t LoadWord(const char* bytes, size_t count) {
    if (std::is_constant_evaluated()) {
        uint64_t word = 0;
        for (size_t i = 0; i < count; ++i) {
            word |= uint64_t{static_cast<uint8_t>(bytes[i])} << (8 * i);
        }
        return word;
    }
    if (count == 8) {
        uint64_t word;
        std::memcpy(&word, bytes, 8);
        return word;
    }
    uint32_t word;
    std::memcpy(&word, bytes, 4);
    return word;
}

// The bytes of a name of n bytes that the hash looks at, as one word: its last
// eight, or its first and last four, or its first, middle and last byte. Reads
// only within the n bytes.
constexpr uint64_t NameWord(const char* text, size_t n) {
    if (n >= 8) {
        return LoadWord(text + n - 8, 8);
    }
    if (n >= 4) {
        return LoadWord(text, 4) | (LoadWord(text + n - 4, 4) << 32);
    }
    if (n == 0) {
        return 0;
    }
    return uint64_t{static_cast<uint8_t>(text[0])} |
           (uint64_t{static_cast<uint8_t>(text[n / 2])} << 8) |
           (uint64_t{static_cast<uint8_t>(text[n - 1])} << 16);
}

// Bit 0x20 of every byte: set before hashing, it makes an ASCII capital hash as
// its lower case.
inline constexpr uint64_t kAsciiCaseBits = 0x2020202020202020;

constexpr uint64_t Mix(uint64_t seed) {
    seed += 0x9E3779B97F4A7C15;
    seed = (seed ^ (seed >> 30)) * 0xBF58476D1CE4E5B9;
    seed = (seed ^ (seed >> 27)) * 0x94D049BB133111EB;
    return (seed ^ (seed >> 31)) | 1;
}

}  // namespace perfect_hash

// How a text is matched against the listed names: byte for byte, or with ASCII
// capitals taken as their lower case (the names then hold only lower-case
// letters and "_", see WordsMatch).
enum class NameMatch { Exact, FoldingAsciiCase };

// An index over N names with 2^kBits slots. The multiplier of the hash is the
// first of a fixed sequence that gives every name a slot of its own.
template <size_t N, int kBits, NameMatch kMatch>
class PerfectNameIndex {
public:
    static constexpr size_t kSlotCount = size_t{1} << kBits;
    static constexpr int kMaxTries = 400;

    constexpr explicit PerfectNameIndex(const std::array<LowerName, N>& names) : names_(names) {
        for (size_t i = 0; i < N; ++i) {
            longest_ = longest_ < names_[i].length ? names_[i].length : longest_;
            records_[i] = RecordOf(names_[i], static_cast<int>(i));
        }
        records_[N].length = kNoLength;
        for (int attempt = 0; attempt < kMaxTries; ++attempt) {
            multiplier_ = perfect_hash::Mix(static_cast<uint64_t>(attempt));
            if (TryToPlaceAll()) {
                found_ = true;
                break;
            }
        }
    }

    // Whether the constructor found a hash without collisions; assert it.
    constexpr bool IsPerfect() const { return found_; }

    constexpr size_t LongestName() const { return longest_; }

    // The position in the list of the name `text` spells, or -1.
    KIO_ALWAYS_INLINE int Find(std::string_view text) const {
        const NameRecord* name = Match(text);
        return name == nullptr ? -1 : int{name->position};
    }

    // Whether every listed name's value fits its record; assert it.
    constexpr bool ValuesFit() const {
        for (size_t i = 0; i < N; ++i) {
            if (names_[i].value < 0 || names_[i].value > 0xFFFF) {
                return false;
            }
        }
        return true;
    }

    // The value of the name `text` spells, or -1.
    KIO_ALWAYS_INLINE int32_t FindValue(std::string_view text) const {
        const NameRecord* name = Match(text);
        return name == nullptr ? -1 : int32_t{name->value};
    }

    constexpr const LowerName& Name(int position) const {
        return names_[static_cast<size_t>(position)];
    }

private:
    static constexpr uint64_t kFold =
        kMatch == NameMatch::FoldingAsciiCase ? perfect_hash::kAsciiCaseBits : 0;
    static constexpr size_t kNoLength = ~size_t{0};

    // One word of a name as Find compares it: its bytes, and under ASCII
    // folding the case bit of each of its letters.
    struct ComparedWord {
        uint64_t bytes = 0;
        uint64_t caseBits = 0;
    };

    // A name cut into the words a lookup compares, with its position and value,
    // both unsigned so that a match needs no test of their sign. The record
    // after the last name has a length no text has: empty slots lead there, so
    // a lookup needs no test for them.
    struct NameRecord {
        ComparedWord hashed{};
        ComparedWord first{};
        ComparedWord middle{};
        size_t length = 0;
        uint16_t position = 0;
        uint16_t value = 0;
    };

    // Slots hold the byte offset of their record, so that finding it takes no
    // multiplication.
    using SlotOffset = uint16_t;
    static_assert((N + 1) * sizeof(NameRecord) <= 0xFFFF, "record offsets fit in a slot");
    static constexpr SlotOffset OffsetOf(size_t position) {
        return static_cast<SlotOffset>(position * sizeof(NameRecord));
    }

    static constexpr ComparedWord CompareWord(uint64_t bytes) {
        return ComparedWord{bytes, bytes & kFold};
    }

    static constexpr NameRecord RecordOf(const LowerName& name, int position) {
        const char* bytes = name.bytes.data();
        return NameRecord{CompareWord(perfect_hash::NameWord(bytes, name.length)),
                          CompareWord(name.length >= 8 ? perfect_hash::LoadWord(bytes, 8) : 0),
                          CompareWord(name.length > 16 ? perfect_hash::LoadWord(bytes + 8, 8) : 0),
                          name.length,
                          static_cast<uint16_t>(position),
                          static_cast<uint16_t>(name.value)};
    }

    KIO_ALWAYS_INLINE const NameRecord& RecordIn(size_t slot) const {
        return *std::launder(reinterpret_cast<const NameRecord*>(
            reinterpret_cast<const char*>(records_.data()) + slots_[slot]));
    }

    // The record of the name `text` spells, or null. The word the hash is taken
    // of is also the first word compared; a text of 8 bytes or more then
    // compares its first 8 and, past 16, its middle 8 bytes. Only a text of a
    // listed name's length reads further than the hashed word.
    KIO_ALWAYS_INLINE const NameRecord* Match(std::string_view text) const {
        const size_t n = text.size();
        if (n >= 8) {
            const uint64_t last = perfect_hash::LoadWord(text.data() + n - 8, 8);
            const NameRecord& name = RecordIn(SlotOfWord(last, n));
            if (name.length != n || !WordsMatch(last, name.hashed) ||
                !WordsMatch(perfect_hash::LoadWord(text.data(), 8), name.first) ||
                (n > 16 && !WordsMatch(perfect_hash::LoadWord(text.data() + 8, 8), name.middle))) {
                return nullptr;
            }
            return &name;
        }
        const uint64_t word = perfect_hash::NameWord(text.data(), n);
        const NameRecord& name = RecordIn(SlotOfWord(word, n));
        return name.length == n && WordsMatch(word, name.hashed) ? &name : nullptr;
    }

    constexpr size_t SlotOfWord(uint64_t word, size_t n) const {
        return static_cast<size_t>((((word | kFold) ^ n) * multiplier_) >> (64 - kBits));
    }

    constexpr size_t Slot(const char* text, size_t n) const {
        return SlotOfWord(perfect_hash::NameWord(text, n), n);
    }

    // Whether a word of the text matches the same bytes of a name: equal, or
    // equal with ASCII capitals taken as lower case. Bit 0x20 is what makes a
    // capital lower case; it is set in the letters of a name but not in "_".
    KIO_ALWAYS_INLINE static bool WordsMatch(uint64_t text, const ComparedWord& name) {
        if constexpr (kMatch == NameMatch::FoldingAsciiCase) {
            return (text | name.caseBits) == name.bytes;
        } else {
            return text == name.bytes;
        }
    }

    constexpr bool TryToPlaceAll() {
        slots_.fill(OffsetOf(N));
        for (size_t i = 0; i < N; ++i) {
            const size_t slot = Slot(names_[i].bytes.data(), names_[i].length);
            if (slots_[slot] != OffsetOf(N)) {
                return false;
            }
            slots_[slot] = OffsetOf(i);
        }
        return true;
    }

    std::array<LowerName, N> names_;
    std::array<NameRecord, N + 1> records_{};
    uint64_t multiplier_ = 0;
    size_t longest_ = 0;
    bool found_ = false;
    std::array<SlotOffset, kSlotCount> slots_{};
};

}  // namespace kio::binding
